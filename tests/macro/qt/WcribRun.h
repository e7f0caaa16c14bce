#pragma once

#include "SimulatedSite.h"

#include "../../rating/QuoteHarness.h"

#include "ui/WcribSubmission.h"

#include "support/ScratchFolder.h"

#include <QJsonObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The bureau password of the site's account in these runs.
extern const std::string kWcribPassword;

// The simulated site shared by one program's runs (ended by EndWcribSite()).
SimulatedSite &WcribSite();
void EndWcribSite();

// Copies the built program's data into the program folder `folder` (ending in "/"), its bureau
// script starting at `startUrl`; the folder.
std::string ProgramCopy(const std::string &folder, const std::string &startUrl);

// Answers the windows a run opens, by their object names; once for each window.
class WindowDriver
{
public:
    using Action = std::function<void(QWidget *)>;

    WindowDriver();
    void On(const std::string &objectName, Action action) { m_actions[objectName] = action; }
    int Seen(const std::string &objectName) const;

private:
    void Poll();

    QTimer m_timer;
    QPointer<QWidget> m_last;
    std::map<std::string, Action> m_actions;
    std::map<std::string, int> m_seen;
};

class FakeQuoteWindow : public TWcribSubmissionWindow
{
public:
    bool OutputBlocked(const std::string &verb, bool askForAddress) override;
    void EffectiveDateChanged() override { ++dateChanges; }
    QWidget *Widget() override { return nullptr; }

    bool blocked = false;
    int dateChanges = 0;
    std::vector<std::string> checks;
};

// Acme Roofing & Siding of Boston as the quote's customer, its location in Gloucester.
void MakeAcmeTheCustomer(TVereDivoQuote &quote, bool withPhone);

// An MA quote for Acme Roofing & Siding, dated next month, with its classes (code, payroll,
// employees) on the delivered tables of a program folder.
struct MaQuote
{
    using TClasses = std::vector<std::tuple<std::string, int32_t, int32_t>>;
    static TClasses ThreeClasses();

    MaQuote(const std::string &programFolder, const TClasses &classes, bool withPhone);
    QuoteHarness harness;
};

// The agent's answers to the windows of one "Submit to WCRIB": the bureau window filled in,
// the missing values given, option 1 on the completion window, the browser closed after its
// run.
struct WcribAgent
{
    explicit WcribAgent(const std::string &password = kWcribPassword);

    WindowDriver driver;
    std::vector<std::string> asked;
    int completions = 0;
    // The progress line and the log of the finished run.
    std::string result;
    std::string log;
};

// One "Submit to WCRIB" of such a quote against the simulated site.
struct WcribRun : WcribAgent
{
    WcribRun(const std::string &startPath, const std::string &password = kWcribPassword,
             bool withPhone = true, const MaQuote::TClasses &classes = MaQuote::ThreeClasses());

    bool Run();
    // The site's last application.
    QJsonObject Record();

    ScratchFolder folder;
    std::string program;
    MaQuote quote;
    FakeQuoteWindow window;
    TWcribSubmission submission;
    double seconds = 0;
};
