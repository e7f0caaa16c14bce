#include "support/FuzzFiles.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

std::string FuzzFolder()
{
    static const std::string folder = [] {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/veredivo-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a folder for the fuzz target");
        }
        return pattern + "/";
    }();
    return folder;
}

void WriteFuzzFile(const std::string &path, const uint8_t *data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}
