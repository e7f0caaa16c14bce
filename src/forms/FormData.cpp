#include "forms/FormData.h"

#include "core/Text.h"
#include "forms/FormErrors.h"

#include <fstream>

int LoadFormData(TFormDocument &document, const std::string &path)
{
    std::string bytes;
    if (!ReadFormFile(path, bytes)) {
        throw EFormFileError("Cannot open file \"" + path + "\". No such file or directory");
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
    const std::string text = FormDataText(document);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
        throw EFormFileError("Cannot write file \"" + path + "\".");
    }
}
