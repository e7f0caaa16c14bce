#include "macro/WebMacro.h"

#include "core/EventLoop.h"
#include "core/Text.h"
#include "macro/MacroXml.h"

#include <algorithm>
#include <cctype>

namespace {

std::string ChildValue(const pugi::xml_node &element, const char *name)
{
    const pugi::xml_node child = ChildNoCase(element, name);
    return child ? XmlText(child) : std::string();
}

const char *TrueFalseText(bool value)
{
    return value ? "TRUE" : "FALSE";
}

std::string Criterion(const std::string &text)
{
    return UpperCase(Trim(text));
}

// The names of a list of events ("onfocus,onchange" or one per line).
std::vector<std::string> EventNames(const std::string &text)
{
    std::vector<std::string> names;
    std::string current;
    for (const char c : text + ",") {
        if (c == ',' || c == ';' || c == '\r' || c == '\n' || c == ' ') {
            if (!Trim(current).empty()) {
                names.push_back(Trim(current));
            }
            current.clear();
        } else {
            current += c;
        }
    }
    return names;
}

bool IsEngineType(int type)
{
    return (type >= mtIf && type <= mtAdjustVar) ||
        (type >= mtIncludeScript && type <= mtProcessMessages) ||
        (type >= mtIMacrosInit && type <= mtIMacrosValueToVar) ||
        (type >= mtNameValueFromFile && type <= mtPause);
}

} // namespace

std::string OptionMatchText(const std::string &text)
{
    std::string out;
    for (const char c : UpperCase(Trim(text))) {
        if (std::ispunct(static_cast<unsigned char>(c)) == 0) {
            out += c;
        }
    }
    return out;
}

std::string MarkerText(const std::string &condition)
{
    std::string text = UpperCase(Trim(condition));
    text = ReplaceAll(text, "%CRLF%", "\r\n");
    text = ReplaceAll(text, "%LF%", "\n");
    return ReplaceAll(text, "%CR%", "\r");
}

// ---------------------------------------------------------------------------------------------
// The plain web command

std::string TWebMacroCommand::DisplayName() const
{
    switch (CommandType) {
    case mtWebModify:
        return "Provide a value to a text box or list";
    case mtWebClick:
        return "Click an item on the Web Page";
    case mtWebLink:
        return "Navigate to a different web location";
    default:
        return "Web Command";
    }
}

TWebMacro &TWebMacroCommand::WebMacro() const
{
    return static_cast<TWebMacro &>(Macro());
}

void TWebMacroCommand::TestPrerequisites()
{
    WebMacro().StartSeek(*this);
}

bool TWebMacroCommand::CheckPrerequisites(TWebBrowser &)
{
    return true;
}

// ---------------------------------------------------------------------------------------------
// The element command

std::string TWebElementMacroCommand::DisplayName() const
{
    return TWebMacroCommand::DisplayName();
}

std::string TWebElementMacroCommand::Description() const
{
    std::string what = Tagname.empty() ? std::string("element") : Tagname;
    if (!ElementID.empty()) {
        what += " " + ElementID;
    } else if (!Name.empty()) {
        what += " " + Name;
    }
    switch (CommandType) {
    case mtWebModify:
        return "Provide a value to " + what +
            (ExternalData.ID.empty() ? std::string() : " from " + ExternalData.ID);
    case mtWebClick:
        return "Click " + what;
    case mtWebLink:
        return "Follow the link to " + Link;
    default:
        return DisplayName() + " " + what;
    }
}

std::vector<std::string> TWebElementMacroCommand::BeforeEvents() const
{
    if (!Trim(CustomBeforeEvents).empty()) {
        return EventNames(CustomBeforeEvents);
    }
    if (CallOnFocus) {
        return {"onfocus"};
    }
    return {};
}

std::vector<std::string> TWebElementMacroCommand::AfterEvents() const
{
    if (!Trim(CustomAfterEvents).empty()) {
        return EventNames(CustomAfterEvents);
    }
    std::vector<std::string> events;
    if (CallOnChange) {
        events.emplace_back("onchange");
    }
    if (CallOnClick) {
        events.emplace_back("onclick");
    }
    if (CallOnBlur) {
        events.emplace_back("onblur");
    }
    return events;
}

std::unique_ptr<THTMLElement>
TWebElementMacroCommand::FindInDocument(const THTMLDocument &document) const
{
    const TMacro &macro = Macro();
    const std::string id = Criterion(macro.Substitute(ElementID));
    const std::string name = Criterion(macro.Substitute(Name));
    const std::string src = Criterion(Src);
    const std::string value = Criterion(Value);
    const std::string type = Criterion(ElementType);
    const std::string tag = Criterion(Tagname);
    auto candidates = tag.empty() ? document.All() : document.Tags(tag);
    for (auto &candidate : candidates) {
        THTMLElement &element = *candidate;
        const std::string elementTag = UpperCase(element.TagName());
        const std::string elementType = Criterion(element.Attribute("type"));
        const bool sameIdAndName = Criterion(element.Attribute("id")) == id &&
            Criterion(element.Attribute("name")) == name;
        bool match = false;
        if (elementTag == "INPUT" && elementType == "IMAGE") {
            match = sameIdAndName && Criterion(element.Attribute("src")) == src;
        } else if (elementTag == "INPUT" && elementType == type) {
            match =
                type == "SUBMIT" ? Criterion(element.Attribute("value")) == value : sameIdAndName;
        } else if ((elementTag == "SELECT" || elementTag == "TEXTAREA") && elementType == type) {
            match = sameIdAndName;
        } else if (elementTag == "A") {
            if (!name.empty()) {
                match = sameIdAndName;
                if (!match && value.find("IMG") != std::string::npos) {
                    for (const auto &image : element.Tags("IMG")) {
                        if (Criterion(image->Attribute("id")) == id &&
                            Criterion(image->Attribute("name")) == name) {
                            match = true;
                            break;
                        }
                    }
                }
            } else {
                match = sameIdAndName && Criterion(element.InnerHTML()) == value;
            }
        } else {
            match = sameIdAndName &&
                (type != "SUBMIT" || Criterion(element.Attribute("value")) == value);
        }
        if (match) {
            return std::move(candidate);
        }
    }
    return nullptr;
}

std::unique_ptr<THTMLElement> TWebElementMacroCommand::FindElement(TWebBrowser &browser) const
{
    const std::unique_ptr<THTMLDocument> document = browser.Document();
    if (!document) {
        throw std::runtime_error(
            "Couldn't convert the FInternetExplorer.Document to an IHTMLDocument2");
    }
    std::unique_ptr<THTMLElement> found = FindInDocument(*document);
    for (int i = 0; !found && i < document->FrameCount(); ++i) {
        if (const std::unique_ptr<THTMLDocument> frame = document->Frame(i)) {
            found = FindInDocument(*frame);
        }
    }
    if (found) {
        const std::string tag = UpperCase(found->TagName());
        const std::string type = Criterion(found->Attribute("type"));
        if (tag == "SELECT" || tag == "TEXTAREA" ||
            (tag == "INPUT" && (type == "TEXT" || type == "PASSWORD" || type.empty()))) {
            try {
                found->Focus();
            } catch (const std::exception &) {
                // A field that cannot take the focus is still filled.
            }
        }
    }
    return found;
}

bool TWebElementMacroCommand::CheckPrerequisites(TWebBrowser &browser)
{
    m_found = FindElement(browser);
    return m_found != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Commands with one setting

void TWebMacroCommand::Fields(TCommandFields &fields)
{
    fields.Integer("FrameIndex", FrameIndex, -1);
    fields.Text("OtherInfo", OtherInfo);
}

void TWebMacroCommand::WriteToXml(pugi::xml_node &element) const
{
    TMacroCommand::WriteToXml(element);
    switch (CommandType) {
    case mtWebModify:
        AppendTextChild(element, "UserAction", "Element_Modifed");
        break;
    case mtWebClick:
        AppendTextChild(element, "UserAction", "Element_Clicked");
        break;
    case mtWebLink:
        AppendTextChild(element, "UserAction", "Link_Performed");
        break;
    default:
        break;
    }
}

void TWebElementMacroCommand::Fields(TCommandFields &fields)
{
    TWebMacroCommand::Fields(fields);
    fields.Text("Tagname", Tagname);
    fields.Text("ElementID", ElementID);
    fields.Text("Name", Name);
    fields.Text("ElementIndex", ElementIndex);
    fields.Text("ClassName", ClassName);
    fields.Text("ElementType", ElementType);
    fields.Text("Value", Value);
    fields.Text("Link", Link, true);
    fields.Text("Title", Title);
    fields.Text("Src", Src);
    fields.Integer("Length", Length, 0);
    fields.TrueFalse("CallOnFocus", CallOnFocus, true);
    fields.TrueFalse("CallOnKeyPress", CallOnKeyPress, true);
    fields.TrueFalse("CallOnChange", CallOnChange, true);
    fields.TrueFalse("CallOnClick", CallOnClick, true);
    fields.TrueFalse("CallOnBlur", CallOnBlur, true);
    fields.Text("CustomBeforeEvents", CustomBeforeEvents);
    fields.Text("CustomAfterEvents", CustomAfterEvents);
}

void TWebNavigateToURLCommand::Fields(TCommandFields &fields)
{
    TWebMacroCommand::Fields(fields);
    fields.Text("Address", Address, true);
}

void TWebSubmitFormCommand::Fields(TCommandFields &fields)
{
    TWebMacroCommand::Fields(fields);
    fields.Text("FormName", FormName);
}

void TWebRestartOnFrameMacroCommand::Fields(TCommandFields &fields)
{
    fields.Text("FrameName", FrameName);
}

// ---------------------------------------------------------------------------------------------
// Waiting for prerequisites

TWebElementSeekTimer::TWebElementSeekTimer(TWebMacroCommand &command, int limit)
    : m_command(command), m_limit(limit)
{ }

TWebElementSeekTimer::~TWebElementSeekTimer()
{
    Stop();
}

void TWebElementSeekTimer::Start()
{
    Stop();
    // The first check comes as soon as the event loop turns: most elements are there already,
    // and a script of some hundred web steps would otherwise spend seconds waiting for nothing.
    const int interval = m_count == 0 ? 0 : IntervalMilliseconds;
    m_timerId = m_command.Macro().Loop().StartTimer(interval, [this] {
        m_timerId = 0;
        Tick();
    });
}

void TWebElementSeekTimer::Stop()
{
    if (m_timerId != 0) {
        m_command.Macro().Loop().CancelTimer(m_timerId);
        m_timerId = 0;
    }
}

// Touches nothing of its own after resuming the macro: the resumed run may free the timer.
void TWebElementSeekTimer::Tick()
{
    if (m_finished || m_command.PrerequisitesPassed) {
        return;
    }
    TWebMacro &macro = m_command.WebMacro();
    TWebBrowser *browser = macro.Browser();
    bool found = false;
    // Nothing counts as found while a page is still on its way: the old page may hold the same
    // element.
    if (browser != nullptr && browser->ReadyState() == TWebBrowser::ReadyStateComplete) {
        found = m_command.CheckPrerequisites(*browser);
    }
    if (m_finished) {
        return;
    }
    if (found) {
        m_finished = true;
        m_command.PrerequisiteTestRunning = false;
        m_command.PrerequisitesTested = true;
        m_command.PrerequisitesPassed = true;
        macro.Resume();
        return;
    }
    if (++m_count > m_limit) {
        m_finished = true;
        m_command.PrerequisiteTestRunning = false;
        m_command.PrerequisitesTested = true;
        m_command.PrerequisitesPassed = false;
        macro.Resume();
        return;
    }
    Start();
}

// ---------------------------------------------------------------------------------------------
// Factory and executor

namespace {

// Chooses the first entry of a list whose text matches, with the command's page events around
// it; false when none matches.
bool PickOption(const TWebElementMacroCommand &command, THTMLElement &list, const std::string &text)
{
    const std::string wanted = OptionMatchText(text);
    const std::vector<THTMLOption> options = list.Options();
    for (size_t i = 0; i < options.size(); ++i) {
        if (OptionMatchText(options[i].Text) == wanted) {
            for (const std::string &event : command.BeforeEvents()) {
                list.FireEvent(event);
            }
            list.SelectOption(static_cast<int>(i));
            for (const std::string &event : command.AfterEvents()) {
                list.FireEvent(event);
            }
            return true;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<TMacroCommand> TWebMacroCommandInterface::Create(int objectType, TMacro &macro)
{
    std::unique_ptr<TMacroCommand> command;
    switch (objectType) {
    case mtEmpty:
        command = std::make_unique<TMacroCommand>(macro);
        break;
    case mtWebModify:
        command = std::make_unique<TWebMacroCommand>(macro);
        break;
    case mtWebClick:
        command = std::make_unique<TWebElementMacroCommand>(macro);
        break;
    case mtWebLink:
        command = std::make_unique<TWebScrapeCommand>(macro);
        break;
    case mtWebIgnorePage:
        command = std::make_unique<TWebIgnorePageMacroCommand>(macro);
        break;
    case mtWebRestartOnFrame:
        command = std::make_unique<TWebRestartOnFrameMacroCommand>(macro);
        break;
    case mtWebNavigate:
        command = std::make_unique<TWebNavigateToURLCommand>(macro);
        break;
    case mtWebSubmitForm:
        command = std::make_unique<TWebSubmitFormCommand>(macro);
        break;
    case mtWebCheckFrames:
        command = std::make_unique<TWebCheckAllFramesFinishedMacroCommand>(macro);
        break;
    default:
        return TMacroCommandInterface::Create(objectType, macro);
    }
    command->SetDefaults();
    return command;
}

bool TWebMacroInterface::Execute(TMacroCommand &command)
{
    if (IsEngineType(command.CommandType)) {
        return TMacroInterface::Execute(command);
    }
    TMacro &macro = command.Macro();
    auto *element = dynamic_cast<TWebElementMacroCommand *>(&command);
    auto *scrape = dynamic_cast<TWebScrapeCommand *>(&command);
    const auto needBrowser = [this]() -> TWebBrowser & {
        if (Browser == nullptr) {
            throw std::runtime_error("The script has no browser to work on");
        }
        return *Browser;
    };
    switch (command.CommandType) {
    case mtWebModify:
        if (element != nullptr) {
            return SetValue(*element);
        }
        break;
    case mtWebClick:
        if (element != nullptr) {
            Click(*element);
        }
        break;
    case mtWebLink:
        if (element != nullptr) {
            needBrowser().Navigate(element->Link);
        } else if (scrape != nullptr) {
            scrape->Scrape(needBrowser());
        }
        break;
    case mtWebIgnorePage:
        if (auto *web = dynamic_cast<TWebMacro *>(&macro); web != nullptr) {
            web->IgnorePage();
        }
        break;
    case mtWebNavigate:
        if (auto *navigate = dynamic_cast<TWebNavigateToURLCommand *>(&command)) {
            needBrowser().Navigate(navigate->Address);
        }
        break;
    case mtWebSubmitForm:
        if (auto *submit = dynamic_cast<TWebSubmitFormCommand *>(&command)) {
            SubmitForm(*submit);
        }
        break;
    case mtWebCheckFrames:
        if (dynamic_cast<TWebCheckAllFramesFinishedMacroCommand *>(&command) != nullptr) {
            CheckFrames(macro);
        }
        break;
    default:
        break;
    }
    return true;
}

bool TWebMacroInterface::SetValue(TWebElementMacroCommand &command)
{
    auto &macro = static_cast<TWebMacro &>(command.Macro());
    std::unique_ptr<THTMLElement> element = command.TakeFoundElement();
    if (!element && Browser != nullptr) {
        element = command.FindElement(*Browser);
    }
    if (!element) {
        throw std::runtime_error("The field to fill is no longer on the page");
    }
    const std::string id = Trim(command.ExternalData.ID);
    std::string dataValue;
    if (!id.empty()) {
        if (macro.DataIn != nullptr) {
            dataValue = NameValue(*macro.DataIn, id);
        }
        if (macro.Variables != nullptr && HasName(*macro.Variables, id)) {
            dataValue = NameValue(*macro.Variables, id);
        }
        const bool skipped = std::any_of(macro.SkippedIDs.begin(), macro.SkippedIDs.end(),
                                         [&id](const std::string &s) { return SameText(s, id); });
        if (dataValue.empty() && (macro.AskForMissingData || command.ExternalData.Always) &&
            !skipped) {
            std::string answer;
            if (macro.Dialogs == nullptr ||
                !macro.Dialogs->AskValue("Information Required", command.ExternalData.Description,
                                         command.ExternalData.Password, answer)) {
                macro.Log("  Information Required for " + id + " was cancelled");
                return false;
            }
            dataValue = answer;
            if (macro.OnDataEntered) {
                macro.OnDataEntered(macro, command, answer);
            }
        }
    }
    // With an external value, a field whose Value is empty or a single blank takes it.
    const bool useData = !id.empty() && Trim(command.Value).empty();
    std::string text = useData ? dataValue : macro.Substitute(command.Value);
    const std::string tag = UpperCase(element->TagName());
    if (tag == "SELECT") {
        if (!PickOption(command, *element, text)) {
            macro.Log("  No list entry matches the value");
        }
        return true;
    }
    if (tag != "TEXTAREA" && command.Length > 0) {
        const auto length = static_cast<size_t>(command.Length);
        text = text.size() > length ? text.substr(0, length)
                                    : text + std::string(length - text.size(), ' ');
    }
    for (const std::string &event : command.BeforeEvents()) {
        element->FireEvent(event);
    }
    if (tag != "TEXTAREA" && command.CallOnKeyPress) {
        std::string typed;
        element->SetValue(typed);
        for (const char c : text) {
            typed += c;
            element->SetValue(typed);
            element->FireEvent("onkeypress");
        }
    } else {
        element->SetValue(text);
    }
    for (const std::string &event : command.AfterEvents()) {
        element->FireEvent(event);
    }
    return true;
}

void TWebMacroInterface::Click(TWebElementMacroCommand &command)
{
    std::unique_ptr<THTMLElement> element = command.TakeFoundElement();
    if (!element && Browser != nullptr) {
        element = command.FindElement(*Browser);
    }
    if (!element) {
        throw std::runtime_error("The element to click is no longer on the page");
    }
    if (UpperCase(element->TagName()) == "SELECT" &&
        PickOption(command, *element, command.Macro().Substitute(command.Value))) {
        return;
    }
    element->Click();
}

void TWebMacroInterface::SubmitForm(TWebSubmitFormCommand &command)
{
    if (Browser == nullptr) {
        throw std::runtime_error("The script has no browser to work on");
    }
    const std::unique_ptr<THTMLDocument> document = Browser->Document();
    if (!document) {
        throw std::runtime_error(
            "Couldn't convert the FInternetExplorer.Document to an IHTMLDocument2");
    }
    const std::string wanted = Criterion(command.FormName);
    const auto submitIn = [&wanted](const THTMLDocument &in) {
        for (const auto &form : in.Tags("FORM")) {
            if (Criterion(form->Attribute("name")) == wanted) {
                form->Submit();
                return true;
            }
        }
        return false;
    };
    if (submitIn(*document)) {
        return;
    }
    for (int i = 0; i < document->FrameCount(); ++i) {
        if (const std::unique_ptr<THTMLDocument> frame = document->Frame(i)) {
            if (submitIn(*frame)) {
                return;
            }
        }
    }
}

void TWebMacroInterface::CheckFrames(TMacro &macro)
{
    for (int attempt = 0; attempt < 21; ++attempt) {
        macro.Loop().ProcessEvents();
        if (Browser == nullptr || Browser->ReadyState() == TWebBrowser::ReadyStateComplete) {
            return;
        }
        // The wait turns the event loop, so pages go on loading meanwhile.
        bool waited = false;
        const int timer = macro.Loop().StartTimer(250, [&waited] { waited = true; });
        while (!waited) {
            macro.Loop().WaitForEvents();
        }
        macro.Loop().CancelTimer(timer);
    }
}

// ---------------------------------------------------------------------------------------------
// The web macro

TWebMacro::TWebMacro(EventLoop &loop)
    : TMacro(loop, std::make_unique<TWebMacroCommandInterface>(),
             std::make_unique<TWebMacroInterface>())
{ }

TWebMacro::~TWebMacro()
{
    m_seekTimers.clear();
}

TWebMacroInterface &TWebMacro::WebExecutor() const
{
    return static_cast<TWebMacroInterface &>(Executor());
}

void TWebMacro::ReadRootSettings(const pugi::xml_node &root)
{
    const pugi::xml_node use = ChildNoCase(root, "UseCurrentURL");
    UseCurrentURL = !use || SameText(Trim(XmlText(use)), "TRUE");
    StartURL = Trim(ChildValue(root, "StartURL"));
}

void TWebMacro::WriteRootSettings(pugi::xml_node &root) const
{
    AppendTextChild(root, "UseCurrentURL", TrueFalseText(UseCurrentURL));
    AppendTextChild(root, "StartURL", StartURL);
}

void TWebMacro::DoStarted()
{
    TMacro::DoStarted();
    if (!UseCurrentURL && !m_navigatedToStart && Browser() != nullptr) {
        m_navigatedToStart = true;
        Log("MACRO NAVIGATE TO START: " + StartURL);
        Browser()->Navigate(StartURL);
        Loop().ProcessEvents();
    }
}

void TWebMacro::DoReset()
{
    m_navigatedToStart = false;
    m_seekTimers.clear();
}

void TWebMacro::StartSeek(TWebMacroCommand &command)
{
    // Finished waits are freed here; a running one is never freed from inside its own tick.
    m_seekTimers.erase(std::remove_if(m_seekTimers.begin(), m_seekTimers.end(),
                                      [](const auto &timer) { return timer->Finished(); }),
                       m_seekTimers.end());
    auto timer = std::make_unique<TWebElementSeekTimer>(command, command.CheckLimit());
    timer->Start();
    m_seekTimers.push_back(std::move(timer));
}

int TWebMacro::RunningSeeks() const
{
    return static_cast<int>(std::count_if(m_seekTimers.begin(), m_seekTimers.end(),
                                          [](const auto &timer) { return !timer->Finished(); }));
}

void TWebMacro::DocumentComplete(bool top, const std::string &address)
{
    if (!Playing()) {
        return;
    }
    if (top) {
        if (FullPlay() && PauseRequested()) {
            Resume();
        }
        return;
    }
    if (!PauseRequested() || Position() < 0 || Position() >= static_cast<int>(Commands().size())) {
        return;
    }
    const auto *restart = dynamic_cast<const TWebRestartOnFrameMacroCommand *>(
        Commands()[static_cast<size_t>(Position())].get());
    if (restart == nullptr || Browser() == nullptr) {
        return;
    }
    const std::unique_ptr<THTMLDocument> document = Browser()->Document();
    if (!document) {
        return;
    }
    const std::string wanted = UpperCase(Trim(restart->FrameName));
    for (int i = 0; i < document->FrameCount(); ++i) {
        if (UpperCase(Trim(document->FrameName(i))) == wanted &&
            document->FrameAddress(i) == address) {
            Resume();
            return;
        }
    }
}
