// Fuzz target: a .crd file read by every artwork list, its directives and sides, and the
// positions of its texts worked out.

#include "forms/FormErrors.h"
#include "forms/FormItems.h"
#include "forms/XExpression.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

template<class List>
void ReadAll(const std::vector<std::string> &lines)
{
    List list("");
    try {
        list.Parse(lines);
    } catch (const EFormDataError &) {
        // A clear error is the expected end for most inputs.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<std::string> lines =
        SplitFormLines(std::string(reinterpret_cast<const char *>(data), size));
    CrdDirectives(lines);
    CrdFontName(lines);
    CrdSideCount(lines);
    ReadAll<TShadeItems>(lines);
    ReadAll<TBoxItems>(lines);
    ReadAll<TImageItems>(lines);
    ReadAll<TSeperatorItems>(lines);
    ReadAll<TUserImageItems>(lines);
    TTextItems texts("");
    try {
        texts.Parse(lines);
    } catch (const EFormDataError &) { }
    for (size_t i = 0; i < texts.Count(); ++i) {
        try {
            EvaluateXExpression(
                texts[i].XExpression, [](const std::string &text, int32_t height, bool bold) {
                    return static_cast<int32_t>(text.size()) * height / 2 + (bold ? 1 : 0);
                });
        } catch (const EFormDataError &) { }
    }
    return 0;
}
