#pragma once

#include "core/Prompter.h"

#include <deque>
#include <string>
#include <vector>

// A prompter for tests: answers come from a queue (the question's default when it is empty)
// and every text shown or asked is recorded in order. Installs itself while it lives.
class ScriptedPrompter final : public Prompter
{
public:
    struct Entry
    {
        bool question = false;
        Kind kind = Kind::Information;
        std::string text;
        std::string caption;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;
    ScriptedPrompter(const ScriptedPrompter &) = delete;
    ScriptedPrompter &operator=(const ScriptedPrompter &) = delete;

    void QueueAnswer(Answer answer) { m_answers.push_back(answer); }

    const std::vector<Entry> &Entries() const { return m_entries; }
    // The texts alone, in the order they were shown or asked.
    std::vector<std::string> Texts() const;
    void Clear() { m_entries.clear(); }

    void ShowMessage(Kind kind, const std::string &text, const std::string &caption) override;
    Answer Ask(const std::string &text, Buttons buttons, Answer def,
               const std::string &caption) override;

private:
    std::deque<Answer> m_answers;
    std::vector<Entry> m_entries;
    Prompter *m_previous = nullptr;
};
