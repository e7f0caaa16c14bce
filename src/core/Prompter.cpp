#include "core/Prompter.h"

#include "core/Encoding.h"

#include <cstdio>
#include <string>

namespace {

// Messages break lines with "\r" (or "\r\n"); a terminal would print over the line instead.
// Engine text is Windows-1252; the console speaks UTF-8.
std::string ConsoleText(const std::string &text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out += '\n';
        }
    }
    return ConsoleUtf8(out);
}

class ConsolePrompter final : public Prompter
{
public:
    void ShowMessage(Kind kind, const std::string &text, const std::string &caption) override
    {
        const char *label = kind == Kind::Error ? "Error" : kind == Kind::Warning ? "Warning" : "";
        const std::string &title = caption.empty() ? std::string(label) : caption;
        if (title.empty()) {
            std::fprintf(stderr, "%s\n", ConsoleText(text).c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", ConsoleText(title).c_str(), ConsoleText(text).c_str());
        }
    }

    Answer Ask(const std::string &text, Buttons, Answer def, const std::string &) override
    {
        std::fprintf(stderr, "%s\n", ConsoleText(text).c_str());
        return def;
    }
};

ConsolePrompter &Console()
{
    static ConsolePrompter console;
    return console;
}

Prompter *&Installed()
{
    static Prompter *installed = nullptr;
    return installed;
}

} // namespace

Prompter &CurrentPrompter()
{
    return Installed() != nullptr ? *Installed() : Console();
}

Prompter *SetPrompter(Prompter *prompter)
{
    Prompter *previous = Installed();
    Installed() = prompter;
    return previous;
}

void ShowInformation(const std::string &text, const std::string &caption)
{
    CurrentPrompter().ShowMessage(Prompter::Kind::Information, text, caption);
}

void ShowWarning(const std::string &text, const std::string &caption)
{
    CurrentPrompter().ShowMessage(Prompter::Kind::Warning, text, caption);
}

void ShowError(const std::string &text, const std::string &caption)
{
    CurrentPrompter().ShowMessage(Prompter::Kind::Error, text, caption);
}

bool AskYesNo(const std::string &text, const std::string &caption, Prompter::Answer def)
{
    return CurrentPrompter().Ask(text, Prompter::Buttons::YesNo, def, caption) ==
        Prompter::Answer::Yes;
}

Prompter::Answer AskYesNoCancel(const std::string &text, const std::string &caption,
                                Prompter::Answer def)
{
    return CurrentPrompter().Ask(text, Prompter::Buttons::YesNoCancel, def, caption);
}
