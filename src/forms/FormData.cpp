#include "forms/FormData.h"

#include "core/DiskWrites.h"
#include "core/Text.h"
#include "forms/FormErrors.h"

#include <system_error>

namespace {

// Far beyond any form's values; a larger file is not a form data file.
constexpr size_t MaxFormDataBytes = 4 * 1024 * 1024;

} // namespace

int LoadFormData(TFormDocument &document, const std::string &path)
{
    std::string bytes;
    if (!ReadFormFile(path, bytes)) {
        throw EFormFileError("Cannot open file \"" + path + "\". No such file or directory");
    }
    if (bytes.size() > MaxFormDataBytes || bytes.find('\0') != std::string::npos) {
        RaiseFormDataCorrupt("\"" + path + "\" is not a form data file.");
    }
    int skipped = 0;
    for (const std::string &line : SplitFormLines(bytes)) {
        const size_t equals = line.find('=');
        TFormField *field =
            equals == std::string::npos ? nullptr : document.FindField(line.substr(0, equals));
        if (field == nullptr) {
            skipped += Trim(line).empty() ? 0 : 1;
            continue;
        }
        const std::string value = line.substr(equals + 1);
        if (field->Kind == fkCircleBox) {
            SetMarked(*field, !Trim(value).empty());
        } else {
            SetValue(*field, value);
        }
    }
    return skipped;
}

std::string FormDataText(const TFormDocument &document)
{
    std::string text;
    for (const TFormField *field : document.AllFields()) {
        const std::string value =
            field->Kind == fkCircleBox ? (field->Marked ? "X" : "") : field->Value;
        text += field->FieldName + "=" + value + "\r\n";
    }
    return text;
}

void SaveFormData(const TFormDocument &document, const std::string &path)
{
    try {
        ReplaceFileDurably(path, FormDataText(document));
    } catch (const std::system_error &error) {
        throw EFormFileError("Cannot write file \"" + path + "\". " + error.code().message());
    }
}
