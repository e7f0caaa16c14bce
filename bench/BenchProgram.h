#pragma once

// What the benchmarks share: a program folder of their own in the temporary folder with the
// built program's tables, and a prompter that shows nothing.

#include "core/Prompter.h"
#include "storage/VereDivoAppInfo.h"

#include <memory>
#include <string>

class SilentPrompter final : public Prompter
{
public:
    void ShowMessage(Kind, const std::string &, const std::string &) override { }
    Answer Ask(const std::string &, Buttons, Answer def, const std::string &) override
    {
        return def;
    }
};

class ScratchProgram
{
public:
    ScratchProgram();
    ~ScratchProgram();
    ScratchProgram(const ScratchProgram &) = delete;
    ScratchProgram &operator=(const ScratchProgram &) = delete;

    TVereDivoAppInfo &Info() { return *m_info; }
    std::string File(const std::string &name) const { return m_folder + name; }

private:
    std::string m_folder;
    std::unique_ptr<TVereDivoAppInfo> m_info;
};
