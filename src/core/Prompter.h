#pragma once

#include <string>

// Every message box and question the user sees goes through the current Prompter. The program
// installs a Qt prompter; tools print to the console; tests install a scripted one.
class Prompter
{
public:
    enum class Kind { Information, Warning, Error };
    enum class Buttons { YesNo, YesNoCancel, OkCancel };
    enum class Answer { Yes, No, Cancel, Ok };

    virtual ~Prompter() = default;

    // A modal box with an OK button. An empty caption means the program's title.
    virtual void ShowMessage(Kind kind, const std::string &text, const std::string &caption) = 0;
    // A modal question; `def` is the button that has the focus.
    virtual Answer Ask(const std::string &text, Buttons buttons, Answer def,
                       const std::string &caption) = 0;
};

// The process-wide prompter. Until one is installed, a console prompter writes messages to
// standard error and answers every question with its default.
Prompter &CurrentPrompter();
// Installs `prompter` (not owned) and returns the one it replaces; nullptr restores the console.
Prompter *SetPrompter(Prompter *prompter);

// Shorthands for the common boxes.
void ShowInformation(const std::string &text, const std::string &caption = {});
void ShowWarning(const std::string &text, const std::string &caption = {});
void ShowError(const std::string &text, const std::string &caption = {});
bool AskYesNo(const std::string &text, const std::string &caption = {},
              Prompter::Answer def = Prompter::Answer::Yes);
Prompter::Answer AskYesNoCancel(const std::string &text, const std::string &caption = {},
                                Prompter::Answer def = Prompter::Answer::Yes);
