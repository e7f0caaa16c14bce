#pragma once

#include "core/Prompter.h"

#include <memory>
#include <string>

class QMessageBox;

// Message boxes and questions as modal QMessageBox dialogs over the active window. Texts are
// shown exactly: never as rich text, "&" literally, a lone CR or CR LF as a line break. An
// empty caption shows the application title. While a box is up the normal cursor shows.
class QtPrompter final : public Prompter
{
public:
    explicit QtPrompter(std::string applicationTitle = {});

    void SetApplicationTitle(std::string title) { m_title = std::move(title); }
    const std::string &ApplicationTitle() const { return m_title; }

    void ShowMessage(Kind kind, const std::string &text, const std::string &caption) override;
    Answer Ask(const std::string &text, Buttons buttons, Answer def,
               const std::string &caption) override;

private:
    std::unique_ptr<QMessageBox> MakeBox(Kind kind, const std::string &text,
                                         const std::string &caption) const;

    std::string m_title;
};
