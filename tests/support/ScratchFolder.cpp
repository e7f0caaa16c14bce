#include "support/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "veredivo-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern + "/";
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

void ScratchFolder::WriteFile(const std::string &name, const std::string &contents) const
{
    const fs::path path = fs::path(m_path) / name;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string ScratchFolder::ReadFile(const std::string &name) const
{
    std::ifstream in(fs::path(m_path) / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string SourceFolder()
{
    const char *dir = std::getenv("VEREDIVO_SOURCE_DIR");
    if (dir == nullptr || *dir == '\0') {
        throw std::runtime_error("VEREDIVO_SOURCE_DIR is not set");
    }
    return std::string(dir) + "/";
}

std::string BuiltProgramFolder()
{
    const char *dir = std::getenv("VEREDIVO_PROGRAM_DIR");
    if (dir == nullptr || *dir == '\0') {
        throw std::runtime_error("VEREDIVO_PROGRAM_DIR is not set");
    }
    return std::string(dir) + "/";
}

void CopyDeliveredData(const std::string &folder)
{
    fs::create_directories(folder);
    for (const auto &entry : fs::directory_iterator(fs::path(BuiltProgramFolder()) / "Data")) {
        if (entry.is_regular_file()) {
            fs::copy_file(entry.path(), fs::path(folder) / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
    }
}
