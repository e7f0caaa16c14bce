#pragma once

#include "core/NameValues.h"
#include "macro/MacroCommand.h"

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class EventLoop;
class TMacro;

// Makes the command object of an object type; nullptr for a type it does not know.
class TMacroCommandInterface
{
public:
    virtual ~TMacroCommandInterface() = default;
    virtual std::unique_ptr<TMacroCommand> Create(int objectType, TMacro &macro);
};

// Runs a command by its command type; false when it failed or the type is not known.
class TMacroInterface
{
public:
    virtual ~TMacroInterface() = default;
    virtual bool Execute(TMacroCommand &command);
};

// The windows a script may open, supplied by the program that hosts the macro. Without a
// host, picks and questions count as cancelled and the variable window is not shown.
class TMacroDialogs
{
public:
    virtual ~TMacroDialogs() = default;
    // A modal list; the chosen zero-based index, or -1 when cancelled.
    virtual int PickFromList(const std::string &caption, const std::string &prompt,
                             const std::vector<std::string> &items) = 0;
    // The variable window over the macro's lists (and its data document).
    virtual void ShowVariables(TMacro &macro) = 0;
    // An input box; false when cancelled. A password value is typed hidden.
    virtual bool AskValue(const std::string &caption, const std::string &prompt, bool password,
                          std::string &value) = 0;
};

// A running script: its commands, variables and the step loop. Pauses and waits run on the
// program's event loop; nothing here blocks.
class TMacro
{
public:
    enum TState { msRunning = 0, msPrerequisitesFailed = 1, msError = 2, msCancelled = 3 };

    using TLogEvent = std::function<void(TMacro &, const std::string &)>;
    using TMacroEvent = std::function<void(TMacro &)>;
    using TStepEvent = std::function<void(TMacro &, TMacroCommand &, bool &, int count, int step)>;
    using TCallbackEvent = std::function<void(TMacro &, const std::string &identifier,
                                              TNameValueList *variables, TNameValueList *dataIn)>;
    using TPrerequisiteFailedEvent = std::function<void(TMacro &, TMacroCommand &, bool &fail)>;

    // The factory and executor default to the ones of the plain script engine.
    explicit TMacro(EventLoop &loop, std::unique_ptr<TMacroCommandInterface> factory = nullptr,
                    std::unique_ptr<TMacroInterface> executor = nullptr);
    virtual ~TMacro();
    TMacro(const TMacro &) = delete;
    TMacro &operator=(const TMacro &) = delete;

    // The script: folder (with a trailing "/") + file name.
    std::string ScriptFolder;
    std::string ScriptFileName;

    // Loads the commands of a file of the script folder after the ones loaded already; with
    // `expandIncludes` every enabled Include Script command brings its script's commands after
    // it. A missing or malformed file (or include) is logged and loads nothing.
    bool LoadCommands(const std::string &fileName, bool expandIncludes);
    // Writes the commands (and the settings of the script's root) back in the same form.
    void SaveCommands(const std::string &path) const;
    void ClearCommands();
    void AddCommand(std::unique_ptr<TMacroCommand> command);
    const std::vector<std::unique_ptr<TMacroCommand>> &Commands() const { return m_commands; }
    int IndexOf(const TMacroCommand *command) const;

    // Starts the script and keeps the event loop turning until the run ends.
    void Play();
    // Starts a run: reloads the script (includes expanded) and runs from the first command.
    void Start();
    void StartFrom(int position);
    void Resume();
    void Reset();
    void Stop();
    // Ends a run at its next check (state 3); a run waiting on a timer ends at once.
    void Cancel();
    // Ends the run as failed.
    void Fail();

    // True when a command names an external value that the data-in list and data document
    // leave empty.
    bool MissingData() const;
    // The value of a name in the variables, the data-in list, then the data document; false
    // when none knows it.
    bool LookUp(const std::string &name, std::string &value) const;
    // Replaces the variable references ("%NAME%") of a text (see the script language notes).
    std::string Substitute(const std::string &text, bool numeric = false) const;
    // Stores a variable under its substituted name; nothing without a variables list.
    void SetVariable(const std::string &name, const std::string &value);
    std::string Variable(const std::string &name) const;
    void Log(const std::string &text);

    // The external data IDs whose values are secret (marked password in any command).
    std::set<std::string> SecretNames() const;
    bool IsSecretName(const std::string &name) const;

    EventLoop &Loop() const { return m_loop; }
    TMacroCommandInterface &Factory() const { return *m_factory; }
    TMacroInterface &Executor() const { return *m_executor; }

    int Position() const { return m_position; }
    void SetPosition(int position, const std::string &from);
    int State() const { return m_state; }
    void SetState(int state) { m_state = state; }
    bool Playing() const { return m_playing; }
    bool PauseRequested() const { return m_pauseRequested; }
    void RequestPause() { m_pauseRequested = true; }
    bool FullPlay() const { return m_fullPlay; }
    bool Failed() const { return m_failed; }
    TMacroCommand *CurrentCommand() const { return m_currentCommand; }
    std::vector<TMacroWhileCommand *> &WhileStack() { return m_whileStack; }
    TMacroCommand *RepositionTarget() const { return m_repositionTarget; }
    void SetRepositionTarget(TMacroCommand *target) { m_repositionTarget = target; }
    // True while the step loop runs (a resume then waits for it to come round).
    bool InStepLoop() const { return m_inStepLoop; }

    // Marks the commands after an If or While up to its matching End If or While End.
    void MarkBlock(TMacroCommand &opening, bool run);
    // Registers the pause timer in flight so that a resume by other means ends it.
    void SetPauseCommand(TMacroPauseCommand *command) { m_pauseCommand = command; }

    bool ShowEachStep = false;
    TNameValueList *Variables = nullptr;
    TNameValueList *DataIn = nullptr;
    pugi::xml_document *DataDocument = nullptr;
    TMacroDialogs *Dialogs = nullptr;

    TLogEvent OnLog;
    TMacroEvent OnStarted;
    TMacroEvent OnStopped;
    TStepEvent OnStep;
    TCallbackEvent OnCallback;
    TPrerequisiteFailedEvent OnPrerequisiteFailed;
    TMacroEvent OnSetFocusElsewhere;

protected:
    // Hooks of a subclass.
    virtual void ReadRootSettings(const pugi::xml_node &root);
    virtual void WriteRootSettings(pugi::xml_node &root) const;
    // The first step of a run (fires the started event).
    virtual void DoStarted();
    virtual void DoReset() { }
    virtual void DoStop() { }

private:
    bool LoadFile(const std::string &fileName, bool expandIncludes, int depth,
                  std::vector<std::unique_ptr<TMacroCommand>> &into);
    void DoPlay();
    void RunSteps();
    bool ExecuteCommand(TMacroCommand &command);
    void AfterSteps();
    bool AllDone() const;
    void ReloadCommands(bool expandIncludes);

    EventLoop &m_loop;
    std::unique_ptr<TMacroCommandInterface> m_factory;
    std::unique_ptr<TMacroInterface> m_executor;
    std::vector<std::unique_ptr<TMacroCommand>> m_commands;
    // Commands replaced while the step loop still runs over them; freed when it ends.
    std::vector<std::unique_ptr<TMacroCommand>> m_retired;
    std::vector<TMacroWhileCommand *> m_whileStack;
    TMacroCommand *m_currentCommand = nullptr;
    TMacroCommand *m_repositionTarget = nullptr;
    TMacroPauseCommand *m_pauseCommand = nullptr;
    int m_position = 0;
    int m_state = msRunning;
    bool m_playing = false;
    bool m_pauseRequested = false;
    bool m_fullPlay = false;
    bool m_failed = false;
    bool m_startedFired = false;
    bool m_inStepLoop = false;
    bool m_resumePending = false;
};

// The message shown when a step raised an error.
extern const char *const kMacroGeneralError;

// Float text as scripts write numbers: up to 15 significant digits, no trailing zeros.
std::string MacroFloatText(double value);
