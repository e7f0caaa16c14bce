#pragma once

#include <pugixml.hpp>

#include <string>

class TMacro;

// Object types and command types of the script files share one numbering.
constexpr int mtEmpty = 1;
constexpr int mtWebModify = 200;
constexpr int mtWebClick = 201;
constexpr int mtWebLink = 202; // also the scrape command's type
constexpr int mtWebIgnorePage = 203;
constexpr int mtWebRestartOnFrame = 204;
constexpr int mtIf = 205;
constexpr int mtEndIf = 206;
constexpr int mtWhile = 207;
constexpr int mtWhileEnd = 208;
constexpr int mtSetVar = 209;
constexpr int mtAdjustVar = 210;
constexpr int mtWebNavigate = 211;
constexpr int mtWebSubmitForm = 212;
constexpr int mtIncludeScript = 213;
constexpr int mtCallback = 214;
constexpr int mtError = 215;
constexpr int mtDialog = 216;
constexpr int mtDisplayVars = 217;
constexpr int mtProcessMessages = 218;
constexpr int mtWebCheckFrames = 219;
constexpr int mtIMacrosInit = 220;
constexpr int mtIMacrosPlay = 221;
constexpr int mtIMacrosGetVars = 222;
constexpr int mtIMacrosClose = 223;
constexpr int mtIMacrosValueToVar = 224;
constexpr int mtReqData = 225;
constexpr int mtNameValueFromFile = 226;
constexpr int mtTranslate = 227;
constexpr int mtPickFromDelimited = 228;
constexpr int mtComment = 229;
constexpr int mtSetFocusElsewhere = 230;
constexpr int mtPause = 231;

// A value a command needs from outside the script; the macro browser collects the missing
// ones from the user before a run.
struct TExternalData
{
    std::string ID; // empty: none
    int Iteration = 0;
    std::string Description;
    std::string Topic;
    std::string Options; // list entries offered for the value, separated by "|" or ","
    bool Password = false;
    bool Always = false;
};

// The command's own elements of a script file, visited in the order they are written; the
// defaults, the writer and the reader of a command are visitors.
class TCommandFields
{
public:
    virtual ~TCommandFields() = default;
    // `trimmed`: blanks around the text are dropped on reading.
    virtual void Text(const char *element, std::string &value, bool trimmed = false) = 0;
    // Written "Yes"/"No", read as true when the text starts with "Y" or "y".
    virtual void YesNo(const char *element, bool &value, bool def) = 0;
    // Written "TRUE"/"FALSE".
    virtual void TrueFalse(const char *element, bool &value, bool def) = 0;
    virtual void Integer(const char *element, int &value, int def) = 0;
    virtual void Float(const char *element, float &value) = 0;
};

// One line of a script. The executor decides what runs by CommandType; the class holds the
// line's own settings.
class TMacroCommand
{
public:
    explicit TMacroCommand(TMacro &macro);
    virtual ~TMacroCommand();
    TMacroCommand(const TMacroCommand &) = delete;
    TMacroCommand &operator=(const TMacroCommand &) = delete;

    virtual std::string DisplayName() const;
    virtual std::string DetailValue() const;
    virtual std::string Description() const;
    virtual void SetDetailValue(const std::string &value);
    virtual bool HasDescription() const { return false; }
    // Puts every setting back to its default (the factory calls it on a new command).
    virtual void SetDefaults();
    virtual bool HasPrerequisites() const { return false; }
    virtual void WriteToXml(pugi::xml_node &element) const;
    virtual void ReadFromXml(const pugi::xml_node &element);
    virtual int ObjectType() const { return mtEmpty; }
    virtual std::string Caption() const;
    // Starts the check of what the command needs (a page element); the check records its
    // result in the command and resumes the macro.
    virtual void TestPrerequisites() { }
    // The command's own action, for the commands that have one; false when it failed.
    virtual bool Perform() { return true; }
    // The elements of the command's own class (a subclass visits its parent's first).
    virtual void Fields(TCommandFields &) { }

    TMacro &Macro() const { return m_macro; }

    // Marks the command done or to be run; a command to be run tests its prerequisites again.
    void SetDone(bool done);

    int ID = 0;
    int Key = 0;
    int CommandType = mtEmpty;
    bool Enabled = true;
    bool Done = false;
    bool PrerequisitesTested = false;
    bool PrerequisitesPassed = false;
    bool PrerequisiteTestRunning = false;
    bool OKToContinue = false;
    TExternalData ExternalData;

private:
    TMacro &m_macro;
};

// Whole numbers of the script: blanks allowed, anything else gives `def`.
int ElementInt(const pugi::xml_node &element, const char *name, int def);

// If (205): compares the variable named by A with the text B.
class TMacroIfCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;

    enum TExpression {
        exEquals = 0,
        exGreaterThan = 1,
        exLessThan = 2,
        exGreaterOrEqual = 3,
        exLessOrEqual = 4,
        exNotEqual = 5,
        exIsBlank = 6,
        exNotBlank = 7
    };

    std::string DisplayName() const override { return "If Statement"; }
    std::string DetailValue() const override { return B; }
    std::string Description() const override;
    void SetDetailValue(const std::string &value) override { B = value; }
    bool HasDescription() const override { return true; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtIf; }
    std::string Caption() const override { return "If"; }

    // The condition now; raises EConvertError for a comparison of numbers that are not.
    bool Evaluate() const;
    static std::string ExpressionName(int expression);

    std::string A;
    std::string B;
    int Expression = exEquals;
};

class TMacroEndIfCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "End If"; }
    int ObjectType() const override { return mtEndIf; }
    std::string Caption() const override { return "End If"; }
};

class TMacroWhileCommand : public TMacroIfCommand
{
public:
    using TMacroIfCommand::TMacroIfCommand;
    std::string DisplayName() const override { return "While Loop"; }
    std::string Description() const override;
    int ObjectType() const override { return mtWhile; }
    std::string Caption() const override { return "While"; }
};

class TMacroWhileEndCommand : public TMacroEndIfCommand
{
public:
    using TMacroEndIfCommand::TMacroEndIfCommand;
    std::string DisplayName() const override { return "End While"; }
    int ObjectType() const override { return mtWhileEnd; }
    std::string Caption() const override { return "End While"; }
};

class TMacroSetVarCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Set Variable"; }
    std::string DetailValue() const override { return VarValue; }
    void SetDetailValue(const std::string &value) override { VarValue = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtSetVar; }
    std::string Caption() const override;
    bool Perform() override;

    std::string VarName;
    std::string VarValue;
    bool Trim = false;
    bool URLEncode = false;
    bool Numeric = false;
    bool MakeDateParts = false;
    bool MakePhoneParts = false;
};

// Adds the number of VarValue to the variable's number.
class TMacroAdjustVarCommand : public TMacroSetVarCommand
{
public:
    using TMacroSetVarCommand::TMacroSetVarCommand;
    std::string DisplayName() const override { return "Adjust Variable"; }
    int ObjectType() const override { return mtAdjustVar; }
    std::string Caption() const override;
    bool Perform() override;
};

class TMacroIncludeScriptCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Include Script"; }
    std::string DetailValue() const override { return FileName; }
    void SetDetailValue(const std::string &value) override { FileName = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtIncludeScript; }
    std::string Caption() const override { return "Include " + FileName; }

    std::string FileName;
};

class TMacroCallbackCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Callback"; }
    std::string DetailValue() const override { return Identifier; }
    void SetDetailValue(const std::string &value) override { Identifier = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtCallback; }
    std::string Caption() const override { return "Callback " + Identifier; }

    std::string Identifier;
};

// An information message (216); the error command (215) shows an error and ends the run.
class TMacroDialogCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Dialog"; }
    std::string DetailValue() const override { return MessageText; }
    void SetDetailValue(const std::string &value) override { MessageText = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtDialog; }
    std::string Caption() const override { return "Dialog"; }

    std::string MessageText; // the element "Caption"
};

class TMacroErrorCommand : public TMacroDialogCommand
{
public:
    using TMacroDialogCommand::TMacroDialogCommand;
    std::string DisplayName() const override { return "Error"; }
    int ObjectType() const override { return mtError; }
    std::string Caption() const override { return "Error"; }
};

class TMacroDisplayVarsCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Display Variables"; }
    int ObjectType() const override { return mtDisplayVars; }
    std::string Caption() const override { return "Display Variables"; }
};

class TMacroProcessMessagesCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Process Messages"; }
    int ObjectType() const override { return mtProcessMessages; }
    std::string Caption() const override { return "Process Messages"; }
};

// The commands of an outside automation product the format once named; they do nothing.
class TMacroIMacrosCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
};

class TMacroIMacrosInitCommand : public TMacroIMacrosCommand
{
public:
    using TMacroIMacrosCommand::TMacroIMacrosCommand;
    std::string DisplayName() const override { return "iMacros Init"; }
    int ObjectType() const override { return mtIMacrosInit; }
    std::string Caption() const override { return "iMacros Init"; }
};

class TMacroIMacrosPlayCommand : public TMacroIMacrosCommand
{
public:
    using TMacroIMacrosCommand::TMacroIMacrosCommand;
    std::string DisplayName() const override { return "iMacros Play"; }
    std::string DetailValue() const override { return ScriptName; }
    void SetDetailValue(const std::string &value) override { ScriptName = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtIMacrosPlay; }
    std::string Caption() const override { return "iMacros Play"; }

    bool PassDataInVars = true;
    bool PassDataOutVars = true;
    std::string ScriptName;
};

class TMacroIMacrosGetVarsCommand : public TMacroIMacrosCommand
{
public:
    using TMacroIMacrosCommand::TMacroIMacrosCommand;
    std::string DisplayName() const override { return "iMacros Get Variables"; }
    int ObjectType() const override { return mtIMacrosGetVars; }
    std::string Caption() const override { return "iMacros Get Variables"; }
};

class TMacroIMacrosCloseCommand : public TMacroIMacrosCommand
{
public:
    using TMacroIMacrosCommand::TMacroIMacrosCommand;
    std::string DisplayName() const override { return "iMacros Close"; }
    int ObjectType() const override { return mtIMacrosClose; }
    std::string Caption() const override { return "iMacros Close"; }
};

class TMacroIMacrosValueToVarCommand : public TMacroIMacrosCommand
{
public:
    using TMacroIMacrosCommand::TMacroIMacrosCommand;
    std::string DisplayName() const override { return "iMacros Value to Variable"; }
    std::string DetailValue() const override { return IMacrosVarName; }
    void SetDetailValue(const std::string &value) override { IMacrosVarName = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtIMacrosValueToVar; }
    std::string Caption() const override { return "iMacros Value to Variable"; }

    std::string VarName;
    std::string IMacrosVarName;
};

// Names, through its external data, a value the script requires before it runs.
class TMacroReqDataCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Required Data"; }
    std::string DetailValue() const override { return ExternalData.ID; }
    int ObjectType() const override { return mtReqData; }
    std::string Caption() const override { return "Required Data " + ExternalData.ID; }
};

class TMacroNameValueFromFileCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Name Value from File"; }
    std::string DetailValue() const override { return FieldName; }
    void SetDetailValue(const std::string &value) override { FieldName = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtNameValueFromFile; }
    std::string Caption() const override;
    bool Perform() override;

    std::string FileName;
    std::string FieldName;
    std::string VarName;
};

class TMacroTranslateCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Translate"; }
    std::string DetailValue() const override { return Topic; }
    void SetDetailValue(const std::string &value) override { Topic = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtTranslate; }
    std::string Caption() const override;
    bool Perform() override;

    std::string VarIn;
    std::string VarOut;
    std::string FileName;
    std::string Topic;
};

class TMacroPickFromDelimtedStringCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Pick from Delimited String"; }
    std::string DetailValue() const override { return VarIn; }
    void SetDetailValue(const std::string &value) override { VarIn = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtPickFromDelimited; }
    std::string Caption() const override;
    bool Perform() override;

    std::string VarIn;
    std::string VarOut;
    std::string Delimiter;
    std::string FormCaption;
    bool ReturnAsIndex = false;
};

class TMacroCommentCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Comment"; }
    std::string DetailValue() const override { return Text; }
    void SetDetailValue(const std::string &value) override { Text = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtComment; }
    std::string Caption() const override { return "Comment: " + Text; }

    std::string Text; // the element "Caption"
};

class TMacroCommandSetFocusElsewhere : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Set Focus Elsewhere"; }
    int ObjectType() const override { return mtSetFocusElsewhere; }
    std::string Caption() const override { return "Set Focus Elsewhere"; }
};

// Pauses the run on the program's event loop; its timer, or a page that finishes loading,
// resumes it.
class TMacroPauseCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    ~TMacroPauseCommand() override;
    std::string DisplayName() const override { return "Pause"; }
    std::string DetailValue() const override;
    void SetDetailValue(const std::string &value) override;
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtPause; }
    std::string Caption() const override { return "Pause " + DetailValue() + " seconds"; }

    // Asks the macro to pause and starts the timer.
    void StartPause();
    void CancelTimer();
    bool TimerRunning() const { return m_timerId != 0; }
    int IntervalMilliseconds() const;

    float Seconds = 0;

private:
    int m_timerId = 0;
};
