#include "macro/Macro.h"

#include "core/EventLoop.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "macro/MacroXml.h"

#include <algorithm>
#include <cstdio>
#include <exception>

const char *const kMacroGeneralError =
    "An Error has occurred.  If a previous Message was not displayed with the specific error, "
    "this is normally caused by a Web Page not providing a table or a field that was "
    "expected.  Print the web page and contact Tessaly Software with details.\r\rThe "
    "program's log names the step that failed.";

namespace {

// Includes nested deeper than this are taken for a loop of scripts including each other.
constexpr int kMaxIncludeDepth = 16;
// A value that keeps producing references is expanded at most this often.
constexpr int kMaxSubstitutionRounds = 64;

std::string Position4(int position)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d", position);
    return text;
}

std::string ProtectReserved(std::string text)
{
    text = ReplaceAll(text, "%ORIGIN%", "!ORIGIN!");
    text = ReplaceAll(text, "%FIRST%", "!FIRST!");
    return ReplaceAll(text, "%LAST%", "!LAST!");
}

} // namespace

std::string MacroFloatText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    std::string result = text;
    if (result == "-0") {
        result = "0";
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// The factory and the executor of the plain script engine

std::unique_ptr<TMacroCommand> TMacroCommandInterface::Create(int objectType, TMacro &macro)
{
    std::unique_ptr<TMacroCommand> command;
    switch (objectType) {
    case mtIf:
        command = std::make_unique<TMacroIfCommand>(macro);
        break;
    case mtEndIf:
        command = std::make_unique<TMacroEndIfCommand>(macro);
        break;
    case mtWhile:
        command = std::make_unique<TMacroWhileCommand>(macro);
        break;
    case mtWhileEnd:
        command = std::make_unique<TMacroWhileEndCommand>(macro);
        break;
    case mtSetVar:
        command = std::make_unique<TMacroSetVarCommand>(macro);
        break;
    case mtAdjustVar:
        command = std::make_unique<TMacroAdjustVarCommand>(macro);
        break;
    case mtIncludeScript:
        command = std::make_unique<TMacroIncludeScriptCommand>(macro);
        break;
    case mtCallback:
        command = std::make_unique<TMacroCallbackCommand>(macro);
        break;
    case mtError:
        command = std::make_unique<TMacroErrorCommand>(macro);
        break;
    case mtDialog:
        command = std::make_unique<TMacroDialogCommand>(macro);
        break;
    case mtDisplayVars:
        command = std::make_unique<TMacroDisplayVarsCommand>(macro);
        break;
    case mtProcessMessages:
        command = std::make_unique<TMacroProcessMessagesCommand>(macro);
        break;
    case mtIMacrosInit:
        command = std::make_unique<TMacroIMacrosInitCommand>(macro);
        break;
    case mtIMacrosPlay:
        command = std::make_unique<TMacroIMacrosPlayCommand>(macro);
        break;
    case mtIMacrosGetVars:
        command = std::make_unique<TMacroIMacrosGetVarsCommand>(macro);
        break;
    case mtIMacrosClose:
        command = std::make_unique<TMacroIMacrosCloseCommand>(macro);
        break;
    case mtIMacrosValueToVar:
        command = std::make_unique<TMacroIMacrosValueToVarCommand>(macro);
        break;
    case mtReqData:
        command = std::make_unique<TMacroReqDataCommand>(macro);
        break;
    case mtNameValueFromFile:
        command = std::make_unique<TMacroNameValueFromFileCommand>(macro);
        break;
    case mtTranslate:
        command = std::make_unique<TMacroTranslateCommand>(macro);
        break;
    case mtPickFromDelimited:
        command = std::make_unique<TMacroPickFromDelimtedStringCommand>(macro);
        break;
    case mtComment:
        command = std::make_unique<TMacroCommentCommand>(macro);
        break;
    case mtSetFocusElsewhere:
        command = std::make_unique<TMacroCommandSetFocusElsewhere>(macro);
        break;
    case mtPause:
        command = std::make_unique<TMacroPauseCommand>(macro);
        break;
    default:
        return nullptr;
    }
    command->SetDefaults();
    return command;
}

bool TMacroInterface::Execute(TMacroCommand &command)
{
    TMacro &macro = command.Macro();
    switch (command.CommandType) {
    case mtIf:
    case mtWhile: {
        auto *condition = dynamic_cast<TMacroIfCommand *>(&command);
        if (condition == nullptr) {
            return false;
        }
        const bool run = condition->Evaluate();
        macro.MarkBlock(command, run);
        if (auto *loop = dynamic_cast<TMacroWhileCommand *>(&command);
            loop != nullptr && command.CommandType == mtWhile) {
            auto &stack = macro.WhileStack();
            const auto found = std::find(stack.begin(), stack.end(), loop);
            if (run && found == stack.end()) {
                stack.push_back(loop);
            } else if (!run && found != stack.end()) {
                stack.erase(found);
            }
        }
        return true;
    }
    case mtEndIf:
    case mtIncludeScript:
    case mtIMacrosInit:
    case mtIMacrosPlay:
    case mtIMacrosGetVars:
    case mtIMacrosClose:
    case mtIMacrosValueToVar:
    case mtComment:
        return true;
    case mtWhileEnd: {
        auto &stack = macro.WhileStack();
        if (stack.empty()) {
            throw std::runtime_error("End While without an open While");
        }
        TMacroWhileCommand *top = stack.back();
        macro.SetRepositionTarget(top);
        top->SetDone(false);
        return true;
    }
    case mtSetVar:
    case mtAdjustVar:
        return dynamic_cast<TMacroSetVarCommand *>(&command) != nullptr && command.Perform();
    case mtNameValueFromFile:
        return dynamic_cast<TMacroNameValueFromFileCommand *>(&command) != nullptr &&
            command.Perform();
    case mtTranslate:
        return dynamic_cast<TMacroTranslateCommand *>(&command) != nullptr && command.Perform();
    case mtPickFromDelimited:
        return dynamic_cast<TMacroPickFromDelimtedStringCommand *>(&command) != nullptr &&
            command.Perform();
    case mtCallback: {
        auto *callback = dynamic_cast<TMacroCallbackCommand *>(&command);
        if (callback == nullptr) {
            return false;
        }
        if (macro.OnCallback) {
            macro.OnCallback(macro, callback->Identifier, macro.Variables, macro.DataIn);
        }
        return true;
    }
    case mtError:
    case mtDialog: {
        auto *dialog = dynamic_cast<TMacroDialogCommand *>(&command);
        if (dialog == nullptr) {
            return false;
        }
        if (!dialog->MessageText.empty()) {
            const std::string text = macro.Substitute(dialog->MessageText);
            if (command.CommandType == mtError) {
                macro.Log("MACRO ERROR MESSAGE: " + text);
                ShowError(text);
            } else {
                ShowInformation(text);
            }
        }
        if (command.CommandType == mtError) {
            macro.SetState(TMacro::msError);
        }
        return true;
    }
    case mtDisplayVars:
        if (macro.Dialogs != nullptr) {
            macro.Dialogs->ShowVariables(macro);
        }
        return true;
    case mtProcessMessages:
        macro.Loop().ProcessEvents();
        return true;
    case mtSetFocusElsewhere:
        if (macro.OnSetFocusElsewhere) {
            macro.OnSetFocusElsewhere(macro);
        }
        return true;
    case mtPause: {
        auto *pause = dynamic_cast<TMacroPauseCommand *>(&command);
        if (pause == nullptr) {
            return false;
        }
        pause->StartPause();
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// The macro

TMacro::TMacro(EventLoop &loop, std::unique_ptr<TMacroCommandInterface> factory,
               std::unique_ptr<TMacroInterface> executor)
    : m_loop(loop), m_factory(std::move(factory)), m_executor(std::move(executor))
{
    if (!m_factory) {
        m_factory = std::make_unique<TMacroCommandInterface>();
    }
    if (!m_executor) {
        m_executor = std::make_unique<TMacroInterface>();
    }
}

TMacro::~TMacro()
{
    OnLog = nullptr;
    m_whileStack.clear();
    m_commands.clear();
    m_retired.clear();
}

void TMacro::Log(const std::string &text)
{
    if (OnLog) {
        OnLog(*this, text);
    }
}

void TMacro::ReadRootSettings(const pugi::xml_node &) { }

void TMacro::WriteRootSettings(pugi::xml_node &) const { }

void TMacro::DoStarted()
{
    if (OnStarted) {
        OnStarted(*this);
    }
}

// ---------------------------------------------------------------------------------------------
// Loading and saving

bool TMacro::LoadCommands(const std::string &fileName, bool expandIncludes)
{
    std::vector<std::unique_ptr<TMacroCommand>> loaded;
    if (!LoadFile(fileName, expandIncludes, 0, loaded)) {
        return false;
    }
    for (auto &command : loaded) {
        m_commands.push_back(std::move(command));
    }
    return true;
}

bool TMacro::LoadFile(const std::string &fileName, bool expandIncludes, int depth,
                      std::vector<std::unique_ptr<TMacroCommand>> &into)
{
    Log("MACRO DoLoadCommands requested for " + fileName);
    const std::string path = ResolveFileName(ScriptFolder + NativePath(fileName));
    if (fileName.empty() || !FileExists(path)) {
        Log("MACRO DoLoadCommands FAILED.  File not found");
        return false;
    }
    if (depth > kMaxIncludeDepth) {
        Log("MACRO DoLoadCommands FAILED.  Scripts include each other without end");
        return false;
    }
    Log("MACRO DoLoadCommands started");
    pugi::xml_document document;
    std::string error;
    if (!LoadXmlFile(path, document, error)) {
        Log("MACRO DoLoadCommands FAILED.  The script is not readable XML: " + error);
        return false;
    }
    const pugi::xml_node root = document.document_element();
    if (!SameText(root.name(), "Macro")) {
        Log("MACRO DoLoadCommands FAILED.  The script's root element is not Macro");
        return false;
    }
    if (depth == 0) {
        ReadRootSettings(root);
    }
    std::vector<std::unique_ptr<TMacroCommand>> commands;
    const pugi::xml_node list = ChildNoCase(root, "Commands");
    for (pugi::xml_node element = list.first_child(); element; element = element.next_sibling()) {
        if (element.type() != pugi::node_element || !SameText(element.name(), "Command")) {
            continue;
        }
        const int objectType = ElementInt(element, "ObjectType", 0);
        std::unique_ptr<TMacroCommand> command = m_factory->Create(objectType, *this);
        if (!command) {
            Log("MACRO DoLoadCommands - unknown object type " + IntText(objectType) + " left out");
            continue;
        }
        command->ReadFromXml(element);
        const auto *include = dynamic_cast<const TMacroIncludeScriptCommand *>(command.get());
        const std::string included = include != nullptr ? include->FileName : std::string();
        const bool expand = expandIncludes && include != nullptr && command->Enabled;
        commands.push_back(std::move(command));
        if (expand && !LoadFile(included, true, depth + 1, commands)) {
            Log("MACRO DoLoadCommands FAILED.  The included script " + included +
                " could not be loaded");
            return false;
        }
    }
    for (auto &command : commands) {
        into.push_back(std::move(command));
    }
    return true;
}

void TMacro::SaveCommands(const std::string &path) const
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("Macro");
    WriteRootSettings(root);
    pugi::xml_node list = root.append_child("Commands");
    for (const auto &command : m_commands) {
        pugi::xml_node element = list.append_child("Command");
        command->WriteToXml(element);
    }
    SaveXmlFile(document, path);
}

void TMacro::ClearCommands()
{
    // Waits and timers of the commands end with them.
    DoReset();
    m_whileStack.clear();
    m_currentCommand = nullptr;
    m_repositionTarget = nullptr;
    m_pauseCommand = nullptr;
    for (auto &command : m_commands) {
        m_retired.push_back(std::move(command));
    }
    m_commands.clear();
    if (!m_inStepLoop) {
        m_retired.clear();
    }
}

void TMacro::AddCommand(std::unique_ptr<TMacroCommand> command)
{
    m_commands.push_back(std::move(command));
}

int TMacro::IndexOf(const TMacroCommand *command) const
{
    for (size_t i = 0; i < m_commands.size(); ++i) {
        if (m_commands[i].get() == command) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TMacro::ReloadCommands(bool expandIncludes)
{
    ClearCommands();
    LoadCommands(ScriptFileName, expandIncludes);
}

// ---------------------------------------------------------------------------------------------
// Variables

bool TMacro::LookUp(const std::string &name, std::string &value) const
{
    if (Variables != nullptr) {
        const int index = IndexOfName(*Variables, name);
        if (index >= 0) {
            value = ValueOfLine((*Variables)[static_cast<size_t>(index)]);
            return true;
        }
    }
    if (DataIn != nullptr) {
        const int index = IndexOfName(*DataIn, name);
        if (index >= 0) {
            value = ValueOfLine((*DataIn)[static_cast<size_t>(index)]);
            return true;
        }
    }
    if (DataDocument != nullptr) {
        const pugi::xml_node found = ChildNoCase(DataDocument->document_element(), name);
        if (found) {
            value = XmlText(found);
            return true;
        }
    }
    return false;
}

std::string TMacro::Substitute(const std::string &text, bool numeric) const
{
    std::string result = text;
    for (int round = 0; round < kMaxSubstitutionRounds; ++round) {
        result = ProtectReserved(result);
        if (result.find('%') == std::string::npos) {
            return result;
        }
        const std::string trimmed = Trim(result);
        const size_t open = trimmed.find('%');
        const size_t close = trimmed.find('%', open + 1);
        if (close == std::string::npos) {
            // A lone "%" is not a reference.
            return result;
        }
        const std::string prefix = trimmed.substr(0, open);
        const std::string name = trimmed.substr(open + 1, close - open - 1);
        const std::string suffix = trimmed.substr(close + 1);
        std::string value;
        if (Variables == nullptr) {
            return {};
        }
        if (!LookUp(name, value)) {
            return numeric ? std::string("0") : std::string();
        }
        result = prefix + value + suffix;
        if (result.find('%') == std::string::npos || suffix == "%") {
            return ProtectReserved(result);
        }
    }
    return result;
}

void TMacro::SetVariable(const std::string &name, const std::string &value)
{
    if (Variables == nullptr) {
        return;
    }
    const std::string stored = Substitute(name);
    if (!stored.empty()) {
        SetNameValue(*Variables, stored, value);
    }
}

std::string TMacro::Variable(const std::string &name) const
{
    std::string value;
    LookUp(name, value);
    return value;
}

bool TMacro::MissingData() const
{
    for (const auto &command : m_commands) {
        const std::string &id = command->ExternalData.ID;
        if (id.empty()) {
            continue;
        }
        std::string value;
        if (DataIn != nullptr && HasName(*DataIn, id)) {
            value = NameValue(*DataIn, id);
        } else if (DataDocument != nullptr) {
            const pugi::xml_node found = ChildNoCase(DataDocument->document_element(), id);
            value = found ? XmlText(found) : std::string();
        }
        if (Trim(value).empty()) {
            return true;
        }
    }
    return false;
}

std::set<std::string> TMacro::SecretNames() const
{
    std::set<std::string> names;
    for (const auto &command : m_commands) {
        if (command->ExternalData.Password && !command->ExternalData.ID.empty()) {
            names.insert(UpperCase(command->ExternalData.ID));
        }
    }
    return names;
}

bool TMacro::IsSecretName(const std::string &name) const
{
    const std::string upper = UpperCase(Trim(name));
    return upper.find("PASSWORD") != std::string::npos || SecretNames().count(upper) > 0;
}

// ---------------------------------------------------------------------------------------------
// Running

void TMacro::SetPosition(int position, const std::string &from)
{
    m_position = position;
    Log("RUN POSITION UPDATED TO: " + IntText(position) + " FROM: " + from);
}

void TMacro::Play()
{
    Log("MACRO START FULL PLAY");
    Start();
    while (m_playing) {
        m_loop.WaitForEvents();
    }
}

void TMacro::Start()
{
    Log("MACRO START PLAY");
    m_fullPlay = true;
    m_state = msRunning;
    m_failed = false;
    m_playing = true;
    m_pauseRequested = false;
    ReloadCommands(m_fullPlay);
    Reset();
    Resume();
}

void TMacro::StartFrom(int position)
{
    Log("MACRO START FROM POS: " + IntText(position));
    m_fullPlay = true;
    m_state = msRunning;
    m_failed = false;
    m_playing = true;
    m_pauseRequested = false;
    ReloadCommands(true);
    Reset();
    SetPosition(position, "Macro.StartFrom");
    Resume();
}

void TMacro::Resume()
{
    if (!m_playing) {
        return;
    }
    Log("MACRO RESUME");
    m_pauseRequested = false;
    if (m_pauseCommand != nullptr) {
        // The pause ended some other way (a page finished loading).
        TMacroPauseCommand *pause = m_pauseCommand;
        m_pauseCommand = nullptr;
        pause->CancelTimer();
    }
    DoPlay();
}

void TMacro::Reset()
{
    SetPosition(0, "Macro.Reset");
    for (auto &command : m_commands) {
        command->SetDone(false);
        command->PrerequisiteTestRunning = false;
    }
    m_whileStack.clear();
    m_repositionTarget = nullptr;
    m_currentCommand = nullptr;
    m_startedFired = false;
    DoReset();
}

void TMacro::Stop()
{
    Log("MACRO STOP");
    Reset();
    if (m_fullPlay) {
        ReloadCommands(false);
    }
    DoStop();
    m_pauseRequested = false;
    m_playing = false;
    if (OnStopped) {
        OnStopped(*this);
    }
}

void TMacro::Cancel()
{
    if (!m_fullPlay) {
        return;
    }
    m_state = msCancelled;
    if (m_playing && !m_inStepLoop) {
        // Nothing would come round to the check while the run waits on a timer or a page.
        Stop();
    }
}

void TMacro::Fail()
{
    Log("MACRO FAIL");
    Stop();
    m_failed = true;
}

void TMacro::MarkBlock(TMacroCommand &opening, bool run)
{
    const int start = IndexOf(&opening);
    if (start < 0) {
        return;
    }
    int depth = 0;
    for (size_t i = static_cast<size_t>(start) + 1; i < m_commands.size(); ++i) {
        TMacroCommand &command = *m_commands[i];
        const bool closing = dynamic_cast<TMacroEndIfCommand *>(&command) != nullptr;
        command.SetDone(!run);
        if (dynamic_cast<TMacroIfCommand *>(&command) != nullptr) {
            ++depth;
        } else if (closing) {
            if (depth == 0) {
                break;
            }
            --depth;
        }
    }
}

bool TMacro::AllDone() const
{
    return std::all_of(m_commands.begin(), m_commands.end(),
                       [](const auto &command) { return command->Done; });
}

void TMacro::DoPlay()
{
    if (m_state != msRunning) {
        return;
    }
    if (m_inStepLoop) {
        m_resumePending = true;
        return;
    }
    m_inStepLoop = true;
    do {
        m_resumePending = false;
        try {
            RunSteps();
            AfterSteps();
        } catch (const std::exception &error) {
            Log("MACRO EXCEPTION: " + std::string(error.what()));
            m_state = msError;
            ShowError(kMacroGeneralError);
            Stop();
        }
    } while (m_resumePending && m_playing && !m_pauseRequested && m_state == msRunning);
    m_resumePending = false;
    m_inStepLoop = false;
    m_retired.clear();
}

bool TMacro::ExecuteCommand(TMacroCommand &command)
{
    Log("  Command --> EXECUTE");
    m_currentCommand = &command;
    if (!m_executor->Execute(command)) {
        Log("  Command execute FAILED");
        if (!m_pauseRequested) {
            Fail();
        }
        return false;
    }
    command.Done = true;
    return true;
}

void TMacro::RunSteps()
{
    if (m_position == 0 && !m_startedFired && m_playing) {
        m_startedFired = true;
        DoStarted();
    }
    while (m_position >= 0 && m_position < static_cast<int>(m_commands.size()) && m_playing &&
           !m_pauseRequested && m_state == msRunning) {
        TMacroCommand *command = m_commands[static_cast<size_t>(m_position)].get();
        const std::string logText =
            command->HasDescription() ? command->Description() : command->Caption();
        Log(Position4(m_position) + ": " + logText);
        if (ShowEachStep) {
            ShowInformation("Just completed Step " + IntText(m_position) + "\r\r" +
                            command->DisplayName() + "\r\r" + command->DetailValue());
        }
        if (!command->Enabled) {
            command->Done = true;
            Log("  Command NOT enabled");
        }
        if (OnStep) {
            bool flag = true;
            OnStep(*this, *command, flag, static_cast<int>(m_commands.size()), m_position + 1);
        }
        if (!command->Done) {
            Log("  Command NOT Processed");
            Log("  Command has been requested to Excecute");
            if (command->HasPrerequisites()) {
                Log("  Command has prerequistes");
                if (!command->PrerequisitesTested) {
                    Log("  Test Prerequisites");
                    if (!command->PrerequisiteTestRunning) {
                        command->PrerequisiteTestRunning = true;
                        command->TestPrerequisites();
                    }
                    return;
                }
                Log("  Command requested have been tested");
                if (command->PrerequisitesPassed) {
                    if (!ExecuteCommand(*command)) {
                        return;
                    }
                } else {
                    Log("  Command prerequisites Failed, pending override");
                    bool overridden = false;
                    if (command->OKToContinue) {
                        Log("  Command prerequisites OVERRIDED by OKToFail setting");
                        overridden = true;
                    } else if (OnPrerequisiteFailed) {
                        bool fail = true;
                        OnPrerequisiteFailed(*this, *command, fail);
                        if (!fail) {
                            Log("  Command prerequisites OVERRIDED by OnPreRequisiteFailed "
                                "method");
                            overridden = true;
                        }
                    }
                    if (!overridden) {
                        Log("  Command prerequisites FAILED all attempts to Override");
                        m_state = msPrerequisitesFailed;
                        Fail();
                        return;
                    }
                    command->Done = true;
                }
            } else {
                Log("  Command has no prerequisites");
                if (!ExecuteCommand(*command)) {
                    return;
                }
            }
        }
        if (!m_playing) {
            return;
        }
        if (dynamic_cast<TMacroWhileEndCommand *>(command) != nullptr &&
            m_repositionTarget != nullptr) {
            return;
        }
        SetPosition(m_position + 1, "Macro.DoPlay for " + logText);
    }
}

void TMacro::AfterSteps()
{
    if (!m_playing) {
        return;
    }
    if (m_state != msRunning) {
        Stop();
        return;
    }
    if (m_position >= static_cast<int>(m_commands.size()) || AllDone()) {
        Stop();
        return;
    }
    if (m_repositionTarget != nullptr && !m_pauseRequested) {
        const int target = IndexOf(m_repositionTarget);
        m_repositionTarget = nullptr;
        SetPosition(target, "Macro.DoPlay/REPOSITION");
        Resume();
    }
}
