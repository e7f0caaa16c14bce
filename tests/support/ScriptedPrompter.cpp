#include "support/ScriptedPrompter.h"

ScriptedPrompter::ScriptedPrompter() : m_previous(SetPrompter(this)) { }

ScriptedPrompter::~ScriptedPrompter()
{
    SetPrompter(m_previous);
}

std::vector<std::string> ScriptedPrompter::Texts() const
{
    std::vector<std::string> texts;
    for (const Entry &entry : m_entries) {
        texts.push_back(entry.text);
    }
    return texts;
}

void ScriptedPrompter::ShowMessage(Kind kind, const std::string &text, const std::string &caption)
{
    m_entries.push_back({false, kind, text, caption});
}

Prompter::Answer ScriptedPrompter::Ask(const std::string &text, Buttons, Answer def,
                                       const std::string &caption)
{
    m_entries.push_back({true, Kind::Information, text, caption});
    if (m_answers.empty()) {
        return def;
    }
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}
