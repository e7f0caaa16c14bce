#include "forms/FormData.h"

#include "core/Text.h"
#include "forms/FormErrors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Far beyond any form's values; a larger file is not a form data file.
constexpr size_t MaxFormDataBytes = 4 * 1024 * 1024;

bool WriteAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

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
    const std::string text = FormDataText(document);
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    // Written beside the old file, made durable and renamed over it: a crash leaves the old
    // file or the new one, never half of either.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        throw EFormFileError("Cannot write file \"" + path + "\". " + std::strerror(errno));
    }
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written || std::rename(temp.c_str(), path.c_str()) != 0) {
        const int cause = written ? errno : error;
        std::remove(temp.c_str());
        throw EFormFileError("Cannot write file \"" + path + "\". " + std::strerror(cause));
    }
    SyncFolder(folder);
}
