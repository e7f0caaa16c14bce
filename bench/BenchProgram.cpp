#include "BenchProgram.h"

#include "core/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchProgram::ScratchProgram()
{
    std::string pattern = TempFolder() + "veredivo-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder in " + TempFolder());
    }
    m_folder = pattern + "/";
    fs::create_directories(m_folder + "program");
    fs::create_directories(m_folder + "settings");
    // With its subfolders: the web scripts live in Data/Scripts.
    fs::copy(VEREDIVO_PROGRAM_DIR "Data", m_folder + "program/Data", fs::copy_options::recursive);
    ::setenv("VEREDIVO_SETTINGS_DIR", (m_folder + "settings").c_str(), 1);
    SetProgramFolder(m_folder + "program/");
    m_info = std::make_unique<TVereDivoAppInfo>("veredivo");
    m_info->OpenData();
}

ScratchProgram::~ScratchProgram()
{
    m_info.reset();
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}
