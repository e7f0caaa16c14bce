#pragma once

#include <string>

// A fresh folder under the system temporary folder, removed with everything in it when the
// object goes. Path() ends with "/".
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &Path() const { return m_path; }
    // Path() + name.
    std::string File(const std::string &name) const { return m_path + name; }

    // Writes `contents` to Path() + name, creating folders on the way.
    void WriteFile(const std::string &name, const std::string &contents) const;
    std::string ReadFile(const std::string &name) const;

private:
    std::string m_path;
};

// The project's source folder, from $VEREDIVO_SOURCE_DIR (set by the test registration).
std::string SourceFolder();
// The program folder the build laid out (with the delivered tables), from
// $VEREDIVO_PROGRAM_DIR (set by the test registration).
std::string BuiltProgramFolder();
// Copies every file of the built program's data folder into `folder` (created).
void CopyDeliveredData(const std::string &folder);
