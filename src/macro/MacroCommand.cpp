#include "macro/MacroCommand.h"

#include "core/Dates.h"
#include "core/EventLoop.h"
#include "core/NameValues.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "macro/Macro.h"
#include "macro/MacroXml.h"
#include "macro/Translation.h"

#include <cctype>
#include <cmath>

namespace {

std::string ChildValue(const pugi::xml_node &element, const char *name, std::string_view def = {})
{
    const pugi::xml_node child = ChildNoCase(element, name);
    return child ? XmlText(child) : std::string(def);
}

bool TrueFalse(const pugi::xml_node &element, const char *name, bool def)
{
    const pugi::xml_node child = ChildNoCase(element, name);
    return child ? SameText(Trim(XmlText(child)), "TRUE") : def;
}

// The value of a variable named by a command field: a bare name or a text with references.
std::string ValueOfNamed(const TMacro &macro, const std::string &name)
{
    return macro.Substitute(name.find('%') == std::string::npos ? "%" + name + "%" : name);
}

} // namespace

int ElementInt(const pugi::xml_node &element, const char *name, int def)
{
    const pugi::xml_node child = ChildNoCase(element, name);
    return child ? StrToIntDef(Trim(XmlText(child)), def) : def;
}

// ---------------------------------------------------------------------------------------------

TMacroCommand::TMacroCommand(TMacro &macro) : m_macro(macro) { }

TMacroCommand::~TMacroCommand() = default;

std::string TMacroCommand::DisplayName() const
{
    return "Empty Command";
}

std::string TMacroCommand::DetailValue() const
{
    return {};
}

std::string TMacroCommand::Description() const
{
    return Caption();
}

void TMacroCommand::SetDetailValue(const std::string &) { }

std::string TMacroCommand::Caption() const
{
    return "Empty Command";
}

namespace {

class TDefaultFields : public TCommandFields
{
public:
    void Text(const char *, std::string &value, bool) override { value.clear(); }
    void YesNo(const char *, bool &value, bool def) override { value = def; }
    void TrueFalse(const char *, bool &value, bool def) override { value = def; }
    void Integer(const char *, int &value, int def) override { value = def; }
    void Float(const char *, float &value) override { value = 0; }
};

class TWrittenFields : public TCommandFields
{
public:
    explicit TWrittenFields(pugi::xml_node &element) : m_element(element) { }
    void Text(const char *element, std::string &value, bool) override
    {
        AppendTextChild(m_element, element, value);
    }
    void YesNo(const char *element, bool &value, bool) override
    {
        AppendTextChild(m_element, element, value ? "Yes" : "No");
    }
    void TrueFalse(const char *element, bool &value, bool) override
    {
        AppendTextChild(m_element, element, value ? "TRUE" : "FALSE");
    }
    void Integer(const char *element, int &value, int) override
    {
        AppendTextChild(m_element, element, IntText(value));
    }
    void Float(const char *element, float &value) override
    {
        AppendTextChild(m_element, element, MacroFloatText(value));
    }

private:
    pugi::xml_node &m_element;
};

class TReadFields : public TCommandFields
{
public:
    explicit TReadFields(const pugi::xml_node &element) : m_element(element) { }
    void Text(const char *element, std::string &value, bool trimmed) override
    {
        value = ChildValue(m_element, element);
        if (trimmed) {
            value = Trim(value);
        }
    }
    void YesNo(const char *element, bool &value, bool def) override
    {
        const pugi::xml_node child = ChildNoCase(m_element, element);
        const std::string text = child ? XmlText(child) : std::string();
        value = child ? !text.empty() && (text[0] == 'Y' || text[0] == 'y') : def;
    }
    void TrueFalse(const char *element, bool &value, bool def) override
    {
        value = ::TrueFalse(m_element, element, def);
    }
    void Integer(const char *element, int &value, int def) override
    {
        value = ElementInt(m_element, element, def);
    }
    void Float(const char *element, float &value) override
    {
        value = static_cast<float>(StrToFloatDef(Trim(ChildValue(m_element, element)), 0));
    }

private:
    const pugi::xml_node &m_element;
};

} // namespace

void TMacroCommand::SetDefaults()
{
    ID = 0;
    Key = 0;
    CommandType = ObjectType();
    Enabled = true;
    OKToContinue = false;
    ExternalData = TExternalData();
    SetDone(false);
    TDefaultFields defaults;
    Fields(defaults);
}

void TMacroCommand::SetDone(bool done)
{
    Done = done;
    if (!done) {
        PrerequisitesTested = false;
        PrerequisitesPassed = false;
    }
}

void TMacroCommand::WriteToXml(pugi::xml_node &element) const
{
    AppendTextChild(element, "ObjectType", IntText(ObjectType()));
    AppendTextChild(element, "ID", IntText(ID));
    AppendTextChild(element, "Key", IntText(Key));
    AppendTextChild(element, "CommandType", IntText(CommandType));
    AppendTextChild(element, "Enabled", Enabled ? "TRUE" : "FALSE");
    AppendTextChild(element, "OKToContinue", OKToContinue ? "TRUE" : "FALSE");
    if (ExternalData.ID.empty()) {
        AppendTextChild(element, "ExternalDataID", "0");
    } else {
        AppendCDataChild(element, "ExternalDataID", ExternalData.ID);
    }
    AppendTextChild(element, "ExternalDataIteration", IntText(ExternalData.Iteration));
    AppendTextChild(element, "ExternalDataDescription", ExternalData.Description);
    AppendTextChild(element, "ExternalDataOptions", ExternalData.Options);
    AppendTextChild(element, "ExternalDataTopic",
                    ExternalData.Topic.empty() ? std::string("0") : ExternalData.Topic);
    AppendTextChild(element, "ExternalDataPassword", ExternalData.Password ? "1" : "0");
    AppendTextChild(element, "ExternalDataAlways", ExternalData.Always ? "1" : "0");
    // Writing leaves the command as it is; the visitor only takes references.
    TWrittenFields written(element);
    const_cast<TMacroCommand *>(this)->Fields(written);
}

void TMacroCommand::ReadFromXml(const pugi::xml_node &element)
{
    ID = ElementInt(element, "ID", 0);
    Key = ElementInt(element, "Key", 0);
    // A line without a command type runs as its object type (the type is written equal).
    CommandType = ElementInt(element, "CommandType", ObjectType());
    Enabled = TrueFalse(element, "Enabled", true);
    OKToContinue = TrueFalse(element, "OKToContinue", false);
    ExternalData.ID = Trim(ChildValue(element, "ExternalDataID"));
    if (ExternalData.ID == "0") {
        ExternalData.ID.clear();
    }
    ExternalData.Iteration = ElementInt(element, "ExternalDataIteration", 0);
    ExternalData.Description = ChildValue(element, "ExternalDataDescription");
    ExternalData.Options = Trim(ChildValue(element, "ExternalDataOptions"));
    ExternalData.Topic = Trim(ChildValue(element, "ExternalDataTopic"));
    if (ExternalData.Topic == "0") {
        ExternalData.Topic.clear();
    }
    ExternalData.Password = ElementInt(element, "ExternalDataPassword", 0) != 0;
    ExternalData.Always = ElementInt(element, "ExternalDataAlways", 0) != 0;
    TReadFields read(element);
    Fields(read);
}

// ---------------------------------------------------------------------------------------------
// The commands' own elements

void TMacroIfCommand::Fields(TCommandFields &fields)
{
    fields.Text("A", A);
    fields.Text("B", B);
    fields.Integer("Expression", Expression, exEquals);
}

void TMacroSetVarCommand::Fields(TCommandFields &fields)
{
    fields.Text("VarName", VarName);
    fields.Text("VarValue", VarValue);
    fields.YesNo("Trim", Trim, false);
    fields.YesNo("URLEncode", URLEncode, false);
    fields.YesNo("Numeric", Numeric, false);
    fields.YesNo("MakeDateParts", MakeDateParts, false);
    fields.YesNo("MakePhoneParts", MakePhoneParts, false);
}

void TMacroIncludeScriptCommand::Fields(TCommandFields &fields)
{
    fields.Text("FileName", FileName, true);
}

void TMacroCallbackCommand::Fields(TCommandFields &fields)
{
    fields.Text("Identifier", Identifier);
}

void TMacroDialogCommand::Fields(TCommandFields &fields)
{
    fields.Text("Caption", MessageText);
}

void TMacroCommentCommand::Fields(TCommandFields &fields)
{
    fields.Text("Caption", Text);
}

void TMacroIMacrosPlayCommand::Fields(TCommandFields &fields)
{
    fields.YesNo("PassDataInVars", PassDataInVars, true);
    fields.YesNo("PassDataOutVars", PassDataOutVars, true);
    fields.Text("ScriptName", ScriptName);
}

void TMacroIMacrosValueToVarCommand::Fields(TCommandFields &fields)
{
    fields.Text("VarName", VarName);
    fields.Text("IMacrosVarName", IMacrosVarName);
}

void TMacroNameValueFromFileCommand::Fields(TCommandFields &fields)
{
    fields.Text("FileName", FileName);
    fields.Text("FieldName", FieldName);
    fields.Text("VarName", VarName);
}

void TMacroTranslateCommand::Fields(TCommandFields &fields)
{
    fields.Text("VarIn", VarIn);
    fields.Text("VarOut", VarOut);
    fields.Text("FileName", FileName, true);
    fields.Text("Topic", Topic);
}

void TMacroPickFromDelimtedStringCommand::Fields(TCommandFields &fields)
{
    fields.Text("VarIn", VarIn);
    fields.Text("VarOut", VarOut);
    fields.Text("Delimiter", Delimiter);
    fields.Text("FormCaption", FormCaption);
    fields.YesNo("ReturnAsIndex", ReturnAsIndex, false);
}

void TMacroPauseCommand::Fields(TCommandFields &fields)
{
    fields.Float("Seconds", Seconds);
}

// ---------------------------------------------------------------------------------------------
// If and While

std::string TMacroIfCommand::ExpressionName(int expression)
{
    switch (expression) {
    case exEquals:
        return "Equals";
    case exGreaterThan:
        return "Greater than";
    case exLessThan:
        return "Less than";
    case exGreaterOrEqual:
        return "Greater than or Equal to";
    case exLessOrEqual:
        return "Less than or Equal to";
    case exNotEqual:
        return "Not Equal To";
    case exIsBlank:
        return "Is Blank";
    case exNotBlank:
        return "Not Blank";
    default:
        return "Unknown Expression " + IntText(expression);
    }
}

std::string TMacroIfCommand::Description() const
{
    return "If " + A + " " + ExpressionName(Expression) + " " + B + " then...";
}

std::string TMacroWhileCommand::Description() const
{
    return "While " + A + " " + ExpressionName(Expression) + " " + B + " then loop...";
}

bool TMacroIfCommand::Evaluate() const
{
    const TMacro &macro = Macro();
    const bool numeric = Expression >= exGreaterThan && Expression <= exLessOrEqual;
    const std::string name = A.find('%') == std::string::npos ? A : macro.Substitute(A);
    if (Expression == exIsBlank || Expression == exNotBlank) {
        std::string value;
        bool known = false;
        if (macro.Variables != nullptr && HasName(*macro.Variables, name)) {
            known = true;
            value = NameValue(*macro.Variables, name);
        } else if (macro.DataIn != nullptr) {
            if (HasName(*macro.DataIn, name)) {
                known = true;
                value = NameValue(*macro.DataIn, name);
            }
        } else if (macro.LookUp(name, value)) {
            known = true;
        }
        value = Trim(value);
        const bool notBlank = known && !value.empty() && value != name;
        return Expression == exNotBlank ? notBlank : !notBlank;
    }
    const std::string left = macro.Substitute("%" + name + "%", numeric);
    const std::string right = macro.Substitute(B, numeric);
    if (!numeric) {
        const bool equal = Trim(left) == Trim(right);
        return Expression == exNotEqual ? !equal : equal;
    }
    const auto number = [](const std::string &text) {
        const std::string trimmed = Trim(text);
        return trimmed.empty() ? 0 : StrToInt(trimmed);
    };
    const int32_t a = number(left);
    const int32_t b = number(right);
    switch (Expression) {
    case exGreaterThan:
        return a > b;
    case exLessThan:
        return a < b;
    case exGreaterOrEqual:
        return a >= b;
    default:
        return a <= b;
    }
}

// ---------------------------------------------------------------------------------------------
// Set Var and Adjust Var

std::string TMacroSetVarCommand::Caption() const
{
    return "Set " + VarName + " = " + VarValue;
}

bool TMacroSetVarCommand::Perform()
{
    TMacro &macro = Macro();
    if (macro.Variables == nullptr) {
        return true;
    }
    std::string value = macro.Substitute(VarValue);
    const std::string name = macro.Substitute(VarName);
    if (Trim) {
        value = ::Trim(value);
    }
    if (URLEncode) {
        value = ReplaceAll(value, " ", "+");
    }
    if (Numeric) {
        std::string digits;
        bool separator = false;
        for (const char c : value) {
            if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
                digits += c;
            } else if (c == '.' && !separator) {
                separator = true;
                digits += c;
            }
        }
        value = digits.empty() ? std::string("0") : digits;
    }
    if (MakeDateParts) {
        TDateTime date = 0;
        if (TryStrToDate(::Trim(value), date) && date != 0) {
            std::vector<std::string> parts(1);
            for (const char c : ::Trim(value)) {
                if (c == '/' || c == '-' || c == '.') {
                    parts.emplace_back();
                } else {
                    parts.back() += c;
                }
            }
            parts.resize(3);
            macro.SetVariable(name + "_MONTH", parts[0]);
            macro.SetVariable(name + "_DAY", parts[1]);
            macro.SetVariable(name + "_YEAR", parts[2]);
        }
    }
    if (MakePhoneParts) {
        std::string digits;
        for (const char c : value) {
            if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
                digits += c;
            }
        }
        value = digits;
        if (!digits.empty()) {
            const auto part = [&digits](size_t from, size_t count) {
                return from < digits.size() ? digits.substr(from, count) : std::string();
            };
            macro.SetVariable(name + "_AREA", part(0, 3));
            macro.SetVariable(name + "_PH3", part(3, 3));
            macro.SetVariable(name + "_PH4", part(6, 4));
        }
    }
    macro.SetVariable(name, value);
    return true;
}

std::string TMacroAdjustVarCommand::Caption() const
{
    return "Adjust " + VarName + " by " + VarValue;
}

bool TMacroAdjustVarCommand::Perform()
{
    TMacro &macro = Macro();
    if (macro.Variables == nullptr) {
        return true;
    }
    const std::string name = macro.Substitute(VarName);
    const auto number = [](const std::string &text) {
        const std::string trimmed = ::Trim(text);
        return trimmed.empty() ? 0.0 : StrToFloat(trimmed);
    };
    const double sum = number(macro.Variable(name)) + number(macro.Substitute(VarValue, true));
    macro.SetVariable(name, MacroFloatText(sum));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Name value from file

std::string TMacroNameValueFromFileCommand::Caption() const
{
    return "Read " + FieldName + " from " + FileName + " into " + VarName;
}

bool TMacroNameValueFromFileCommand::Perform()
{
    TMacro &macro = Macro();
    const std::string name = NativePath(Trim(macro.Substitute(FileName)));
    // A relative name is never taken from the current folder: only the script's own folder.
    std::string path;
    if (!name.empty() && name[0] == '/' && FileExists(name)) {
        path = name;
    } else if (!name.empty()) {
        path = ResolveFileName(macro.ScriptFolder + "NameValues/" + name);
    }
    std::string value;
    if (!path.empty() && FileExists(path)) {
        std::string text;
        ReadFileBytes(path, text);
        value = NameValue(SplitLines(text), macro.Substitute(FieldName));
    }
    macro.SetVariable(VarName, value);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Translate

std::string TMacroTranslateCommand::Caption() const
{
    return "Translate " + VarIn + " by " + Topic;
}

bool TMacroTranslateCommand::Perform()
{
    TMacro &macro = Macro();
    const std::string input = ::Trim(ValueOfNamed(macro, VarIn));
    const std::string name = NativePath(FileName);
    // A relative name is looked up in the script's translations, beside the script, then in
    // the delivered translations; never in the current folder.
    std::vector<std::string> candidates;
    if (!name.empty() && name[0] == '/') {
        candidates.push_back(name);
    } else if (!name.empty()) {
        candidates.push_back(macro.ScriptFolder + "Translations/" + name);
        candidates.push_back(macro.ScriptFolder + name);
        candidates.push_back(ProgramFolder() + "Data/Scripts/Translations/" + name);
    }
    std::string result = input;
    for (const std::string &candidate : candidates) {
        const std::string path = ResolveFileName(candidate);
        if (FileExists(path)) {
            result = TranslateWithFile(path, Topic, input);
            break;
        }
    }
    macro.SetVariable(VarOut.empty() ? VarIn : VarOut, result);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Pick from a delimited string

std::string TMacroPickFromDelimtedStringCommand::Caption() const
{
    return "Pick from " + VarIn;
}

bool TMacroPickFromDelimtedStringCommand::Perform()
{
    TMacro &macro = Macro();
    std::string delimiter = macro.Substitute(Delimiter);
    if (delimiter.empty()) {
        delimiter = " ";
    }
    const std::string text = ValueOfNamed(macro, VarIn);
    std::vector<std::string> items;
    if (!text.empty()) {
        size_t start = 0;
        for (size_t at = text.find(delimiter); at != std::string::npos;
             at = text.find(delimiter, start)) {
            items.push_back(text.substr(start, at - start));
            start = at + delimiter.size();
        }
        items.push_back(text.substr(start));
    }
    std::string result;
    if (!items.empty() && macro.Dialogs != nullptr) {
        std::string caption = macro.Substitute(FormCaption);
        if (caption.empty()) {
            caption = "Select...";
        }
        const int chosen =
            macro.Dialogs->PickFromList(caption, "Select from the Available Items", items);
        if (chosen >= 0 && chosen < static_cast<int>(items.size())) {
            result = ReturnAsIndex ? IntText(chosen) : items[static_cast<size_t>(chosen)];
        }
    }
    macro.SetVariable(VarOut.empty() ? VarIn : VarOut, result);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Pause

TMacroPauseCommand::~TMacroPauseCommand()
{
    CancelTimer();
}

void TMacroPauseCommand::CancelTimer()
{
    if (m_timerId != 0) {
        Macro().Loop().CancelTimer(m_timerId);
        m_timerId = 0;
        Macro().SetPauseCommand(nullptr);
    }
}

std::string TMacroPauseCommand::DetailValue() const
{
    return MacroFloatText(Seconds);
}

void TMacroPauseCommand::SetDetailValue(const std::string &value)
{
    Seconds = static_cast<float>(StrToFloatDef(Trim(value), 0));
}

int TMacroPauseCommand::IntervalMilliseconds() const
{
    const float milliseconds = Seconds * 1000.0f;
    if (!(milliseconds > 0)) {
        return 0;
    }
    return milliseconds > 86400000.0f ? 86400000 : static_cast<int>(milliseconds);
}

void TMacroPauseCommand::StartPause()
{
    TMacro &macro = Macro();
    if (macro.Playing()) {
        macro.Log("MACRO PAUSE FROM TIMER");
        macro.RequestPause();
    }
    CancelTimer();
    macro.SetPauseCommand(this);
    m_timerId = macro.Loop().StartTimer(IntervalMilliseconds(), [this] {
        m_timerId = 0;
        TMacro &owner = Macro();
        owner.SetPauseCommand(nullptr);
        owner.Resume();
    });
}
