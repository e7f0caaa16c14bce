// Fuzz target: a translation file read, every topic it holds applied to a few inputs.

#include "macro/MacroXml.h"
#include "macro/Translation.h"

#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pugi::xml_document file;
    std::string error;
    if (!LoadXmlText(std::string_view(reinterpret_cast<const char *>(data), size), file, error)) {
        return 0;
    }
    for (const pugi::xml_node &translation : file.document_element().children()) {
        const std::string topic = AttributeText(translation, "id");
        for (const char *input : {"", "5", "1234567.5", "Corporation", "abc", "-1e300", "5%"}) {
            try {
                (void)TranslateValue(file, topic, input);
            } catch (const std::runtime_error &) {
                // Text that is no number for a numeric translation, a missing topic.
            }
        }
    }
    try {
        (void)TranslateValue(file, "", "x");
    } catch (const std::runtime_error &) { }
    return 0;
}
