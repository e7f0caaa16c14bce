#include "ScriptText.h"

#include "core/Text.h"

namespace {

std::string Escaped(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string ScriptXml(const std::vector<ScriptLine> &lines, const std::string &rootSettings)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<Macro>\n" +
        rootSettings + "<Commands>\n";
    for (const ScriptLine &line : lines) {
        xml += "<Command><ObjectType>" + IntText(line.objectType) + "</ObjectType>";
        for (const auto &[name, value] : line.elements) {
            xml += "<" + name + ">" + Escaped(value) + "</" + name + ">";
        }
        xml += "</Command>\n";
    }
    return xml + "</Commands>\n</Macro>\n";
}

ScriptLine SetVar(const std::string &name, const std::string &value)
{
    return {209, {{"VarName", name}, {"VarValue", value}}};
}

ScriptLine AdjustVar(const std::string &name, const std::string &by)
{
    return {210, {{"VarName", name}, {"VarValue", by}}};
}

ScriptLine If(const std::string &a, int expression, const std::string &b)
{
    return {205, {{"A", a}, {"B", b}, {"Expression", IntText(expression)}}};
}

ScriptLine EndIf()
{
    return {206, {}};
}

ScriptLine While(const std::string &a, int expression, const std::string &b)
{
    return {207, {{"A", a}, {"B", b}, {"Expression", IntText(expression)}}};
}

ScriptLine WhileEnd()
{
    return {208, {}};
}

ScriptLine Pause(const std::string &seconds)
{
    return {231, {{"Seconds", seconds}}};
}

ScriptLine Callback(const std::string &identifier)
{
    return {214, {{"Identifier", identifier}}};
}

ScriptLine ErrorLine(const std::string &caption)
{
    return {215, {{"Caption", caption}}};
}

ScriptLine Dialog(const std::string &caption)
{
    return {216, {{"Caption", caption}}};
}

ScriptLine Trace(const std::string &text)
{
    return SetVar("TRACE", "%TRACE%" + text);
}

ScriptLine With(ScriptLine line, const std::string &element, const std::string &value)
{
    for (auto &[name, text] : line.elements) {
        if (name == element) {
            text = value;
            return line;
        }
    }
    line.elements.emplace_back(element, value);
    return line;
}

ScriptLine Element(int commandType, const std::string &id, const std::string &value)
{
    return {201,
            {{"CommandType", IntText(commandType)},
             {"ElementID", id},
             {"Name", id},
             {"Value", value},
             {"CallOnKeyPress", "FALSE"}}};
}

ScriptLine Scrape(int type, const std::string &valueName, const std::string &first,
                  const std::string &second, const std::string &third, const std::string &fourth)
{
    return {202,
            {{"ScrapeType", IntText(type)},
             {"ValueName", valueName},
             {"FirstCondition", first},
             {"SecondCondition", second},
             {"ThirdCondition", third},
             {"FourthCondition", fourth}}};
}
