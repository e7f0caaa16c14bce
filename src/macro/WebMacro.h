#pragma once

#include "macro/HtmlDocument.h"
#include "macro/Macro.h"

#include <memory>
#include <string>
#include <vector>

class TWebMacro;

// A command that works on the page: it waits for what it needs (its prerequisites) before it
// runs. Object type 200 is a plain one.
class TWebMacroCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;

    std::string DisplayName() const override;
    void Fields(TCommandFields &fields) override;
    bool HasPrerequisites() const override { return true; }
    void WriteToXml(pugi::xml_node &element) const override;
    int ObjectType() const override { return mtWebModify; }
    std::string Caption() const override { return DisplayName(); }
    void TestPrerequisites() override;

    // One check of the prerequisites; true when what the command needs is on the page.
    virtual bool CheckPrerequisites(TWebBrowser &browser);
    // How many checks the wait allows.
    virtual int CheckLimit() const { return 1000; }

    TWebMacro &WebMacro() const;

    int FrameIndex = -1;
    std::string OtherInfo;
};

// Acts on one element: sets its value (200), clicks it or picks a list entry (201), or follows
// a link (202).
class TWebElementMacroCommand : public TWebMacroCommand
{
public:
    using TWebMacroCommand::TWebMacroCommand;

    std::string DisplayName() const override;
    std::string DetailValue() const override { return Value; }
    std::string Description() const override;
    void SetDetailValue(const std::string &value) override { Value = value; }
    bool HasDescription() const override { return true; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtWebClick; }
    bool CheckPrerequisites(TWebBrowser &browser) override;

    // The element the criteria find: the top document first, then each frame's.
    std::unique_ptr<THTMLElement> FindElement(TWebBrowser &browser) const;
    std::unique_ptr<THTMLElement> FindInDocument(const THTMLDocument &document) const;
    // The page events fired before and after a change.
    std::vector<std::string> BeforeEvents() const;
    std::vector<std::string> AfterEvents() const;
    // The element the last successful check found (taken by the action).
    std::unique_ptr<THTMLElement> TakeFoundElement() { return std::move(m_found); }

    std::string Tagname;
    std::string ElementID;
    std::string Name;
    std::string ElementIndex;
    std::string ClassName;
    std::string ElementType;
    std::string Value;
    std::string Link;
    std::string Title;
    std::string Src;
    int Length = 0;
    bool CallOnFocus = true;
    bool CallOnKeyPress = true;
    bool CallOnChange = true;
    bool CallOnClick = true;
    bool CallOnBlur = true;
    std::string CustomBeforeEvents;
    std::string CustomAfterEvents;

private:
    std::unique_ptr<THTMLElement> m_found;
};

// Reads a value off the page into a variable (202).
class TWebScrapeCommand : public TWebMacroCommand
{
public:
    using TWebMacroCommand::TWebMacroCommand;

    enum TScrapeType {
        stValueBetween = 0,
        stAllRows = 1,
        stCell = 2,
        stBoolean = 3,
        stInnerText = 4,
        stAttribute = 5,
        stRowsFromCell = 6,
        stPickRow = 7
    };

    std::string DisplayName() const override { return "Scrape Page Data"; }
    std::string DetailValue() const override { return ValueName; }
    std::string Description() const override;
    void SetDetailValue(const std::string &value) override { ValueName = value; }
    bool HasDescription() const override { return true; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtWebLink; }
    bool CheckPrerequisites(TWebBrowser &browser) override;
    int CheckLimit() const override { return WaitTimeOverride > 0 ? WaitTimeOverride : 1000; }

    // Scrapes into ValueName, then applies BooleanCondition and Formatting.
    void Scrape(TWebBrowser &browser);

    int ScrapeType = stValueBetween;
    std::string FirstCondition;
    std::string SecondCondition;
    std::string ThirdCondition;
    std::string FourthCondition;
    std::string ValueName;
    std::string BooleanCondition;
    bool Required = true;
    std::string Formatting;
    int WaitTimeOverride = 0;
};

class TWebNavigateToURLCommand : public TWebMacroCommand
{
public:
    using TWebMacroCommand::TWebMacroCommand;
    std::string DisplayName() const override { return "Navigate to Address"; }
    std::string DetailValue() const override { return Address; }
    void SetDetailValue(const std::string &value) override { Address = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtWebNavigate; }
    std::string Caption() const override { return "Navigate to " + Address; }

    std::string Address;
};

class TWebSubmitFormCommand : public TWebMacroCommand
{
public:
    using TWebMacroCommand::TWebMacroCommand;
    std::string DisplayName() const override { return "Submit Form"; }
    std::string DetailValue() const override { return FormName; }
    void SetDetailValue(const std::string &value) override { FormName = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtWebSubmitForm; }
    std::string Caption() const override { return "Submit Form " + FormName; }

    std::string FormName;
};

class TWebIgnorePageMacroCommand : public TWebMacroCommand
{
public:
    using TWebMacroCommand::TWebMacroCommand;
    std::string DisplayName() const override { return "Ignore a Redirect"; }
    int ObjectType() const override { return mtWebIgnorePage; }
    std::string Caption() const override { return "Ignore a Redirect"; }
};

// Marks where a paused run waits for a frame to finish loading.
class TWebRestartOnFrameMacroCommand : public TMacroCommand
{
public:
    using TMacroCommand::TMacroCommand;
    std::string DisplayName() const override { return "Restart on Frame"; }
    std::string DetailValue() const override { return FrameName; }
    void SetDetailValue(const std::string &value) override { FrameName = value; }
    void Fields(TCommandFields &fields) override;
    int ObjectType() const override { return mtWebRestartOnFrame; }
    std::string Caption() const override { return "Restart on Frame " + FrameName; }

    std::string FrameName;
};

class TWebCheckAllFramesFinishedMacroCommand : public TWebMacroCommand
{
public:
    using TWebMacroCommand::TWebMacroCommand;
    std::string DisplayName() const override { return "Check All Frames Finished"; }
    int ObjectType() const override { return mtWebCheckFrames; }
    std::string Caption() const override { return "Check All Frames Finished"; }
};

// The wait of one command for its prerequisites: a first check at once (on the event loop),
// then one every 10 ms, up to the command's limit of checks.
class TWebElementSeekTimer
{
public:
    TWebElementSeekTimer(TWebMacroCommand &command, int limit);
    ~TWebElementSeekTimer();
    TWebElementSeekTimer(const TWebElementSeekTimer &) = delete;
    TWebElementSeekTimer &operator=(const TWebElementSeekTimer &) = delete;

    void Start();
    void Stop();
    bool Finished() const { return m_finished; }
    const TWebMacroCommand &Command() const { return m_command; }

    static constexpr int IntervalMilliseconds = 10;

private:
    void Tick();

    TWebMacroCommand &m_command;
    int m_limit;
    int m_count = 0;
    int m_timerId = 0;
    bool m_finished = false;
};

class TWebMacroCommandInterface : public TMacroCommandInterface
{
public:
    std::unique_ptr<TMacroCommand> Create(int objectType, TMacro &macro) override;
};

// Runs the web commands on the browser after the plain engine's commands.
class TWebMacroInterface : public TMacroInterface
{
public:
    bool Execute(TMacroCommand &command) override;

    TWebBrowser *Browser = nullptr;

private:
    bool SetValue(TWebElementMacroCommand &command);
    void Click(TWebElementMacroCommand &command);
    void SubmitForm(TWebSubmitFormCommand &command);
    void CheckFrames(TMacro &macro);
};

// A script that drives the embedded browser.
class TWebMacro : public TMacro
{
public:
    explicit TWebMacro(EventLoop &loop);
    ~TWebMacro() override;

    TWebMacroInterface &WebExecutor() const;
    TWebBrowser *Browser() const { return WebExecutor().Browser; }
    void SetBrowser(TWebBrowser *browser) { WebExecutor().Browser = browser; }

    // Starts the wait of a command for its prerequisites.
    void StartSeek(TWebMacroCommand &command);
    int RunningSeeks() const;
    // The page-loaded rules: a finished top document resumes a paused run; a finished frame
    // resumes a run paused at a restart-on-frame command for that frame.
    void DocumentComplete(bool top, const std::string &address);
    // Hook of the ignore-page command; does nothing.
    virtual void IgnorePage() { }

    // Root settings of the script.
    bool UseCurrentURL = true;
    std::string StartURL;

    // Asks for a missing value at an element command (the macro browser switches it off and
    // collects missing values before the run).
    bool AskForMissingData = true;
    std::vector<std::string> SkippedIDs;
    // A value the user typed for a command's external data.
    std::function<void(TWebMacro &, TMacroCommand &, const std::string &value)> OnDataEntered;

protected:
    void ReadRootSettings(const pugi::xml_node &root) override;
    void WriteRootSettings(pugi::xml_node &root) const override;
    void DoStarted() override;
    void DoReset() override;

private:
    std::vector<std::unique_ptr<TWebElementSeekTimer>> m_seekTimers;
    bool m_navigatedToStart = false;
};

// Upper case without punctuation, for matching list entries.
std::string OptionMatchText(const std::string &text);
// A scrape condition as a marker: trimmed, upper-cased, %CRLF%, %LF% and %CR% as line breaks.
std::string MarkerText(const std::string &condition);
