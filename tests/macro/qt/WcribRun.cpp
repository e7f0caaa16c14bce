#include "WcribRun.h"

#include "core/Dates.h"
#include "macro/qt/MacroBrowser.h"
#include "macro/qt/MacroDialogs.h"
#include "macro/qt/WcribWindows.h"

#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

const std::string kWcribPassword = "Bay-State#2718";

namespace {

std::unique_ptr<SimulatedSite> g_site;

} // namespace

SimulatedSite &WcribSite()
{
    if (!g_site) {
        g_site = std::make_unique<SimulatedSite>();
    }
    return *g_site;
}

void EndWcribSite()
{
    g_site.reset();
}

std::string ProgramCopy(const std::string &folder, const std::string &startUrl)
{
    namespace fs = std::filesystem;
    fs::copy(BuiltProgramFolder() + "Data", folder + "Data",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const std::string script = folder + "Data/Scripts/MA_WCRIB.xml";
    std::ifstream in(script, std::ios::binary);
    std::string text {std::istreambuf_iterator<char>(in), {}};
    in.close();
    // The site's address lives only in the script: a run changes that line of data.
    const size_t open = text.find("<StartURL>");
    const size_t close = text.find("</StartURL>");
    if (open != std::string::npos && close != std::string::npos) {
        text.replace(open + 10, close - open - 10, startUrl);
    }
    std::ofstream(script, std::ios::binary | std::ios::trunc) << text;
    return folder;
}

WindowDriver::WindowDriver()
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start(20);
}

int WindowDriver::Seen(const std::string &objectName) const
{
    const auto found = m_seen.find(objectName);
    return found == m_seen.end() ? 0 : found->second;
}

void WindowDriver::Poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == m_last) {
        return;
    }
    const std::string name = modal->objectName().toStdString();
    const auto found = m_actions.find(name);
    if (found == m_actions.end()) {
        return;
    }
    m_last = modal;
    ++m_seen[name];
    QTimer::singleShot(0, modal, [modal, action = found->second] { action(modal); });
}

bool FakeQuoteWindow::OutputBlocked(const std::string &verb, bool askForAddress)
{
    checks.push_back(verb + (askForAddress ? " with address" : ""));
    return blocked;
}

MaQuote::TClasses MaQuote::ThreeClasses()
{
    return {{"5551", 120000, 6}, {"8810", 45000, 2}, {"7380", 60000, 3}};
}

void MakeAcmeTheCustomer(TVereDivoQuote &quote, bool withPhone)
{
    auto &customer = quote.Customer();
    customer.SetCompany("Acme Roofing & Siding");
    customer.SetFirstName("Ann");
    customer.SetLastName("Lee");
    customer.SetStreet("12 Harbor St");
    customer.SetCity("Boston");
    customer.SetState("MA");
    customer.SetZip("02134");
    if (withPhone) {
        customer.SetWorkPhone("(617)555-0142");
    }
    auto &info = quote.QuoteInfo();
    info.SetLocationStreet("40 Dock Rd");
    info.SetLocationCity("Gloucester");
    info.SetLocationState("MA");
    info.SetLocationZip("01930");
}

MaQuote::MaQuote(const std::string &programFolder, const TClasses &classes, bool withPhone)
    : harness("MA", 1, Today() + 30, programFolder)
{
    harness.Application().AgencyAddress.Name = "Lee Insurance Agency";
    MakeAcmeTheCustomer(harness.Quote(), withPhone);
    for (const auto &[code, payroll, employees] : classes) {
        harness.Add(code, payroll, employees);
    }
    harness.Rate();
}

WcribAgent::WcribAgent(const std::string &password)
{
    driver.On("TfrmMAWCRIBSubmit", [password](QWidget *w) {
        auto *form = static_cast<TfrmMAWCRIBSubmit *>(w);
        form->txtUserID->setText(QStringLiteral("agent7"));
        form->txtPassword->setText(QString::fromStdString(password));
        form->txtTaxID->setText(QStringLiteral("04-3141592"));
        form->txtLocations->setText(QStringLiteral("3"));
        form->lstBizType->setCurrentText(QStringLiteral("Corporation"));
        form->btnContinue->click();
    });
    driver.On("TfrmReqData", [this](QWidget *w) {
        auto *form = static_cast<TfrmReqData *>(w);
        form->BuildRows();
        for (size_t i = 0; i < form->Rows().size(); ++i) {
            asked.push_back(form->Rows()[i].id);
            form->SetRowText(
                i, form->Rows()[i].id == "WC_PHONE" ? "6175550199" : "Commercial roofing");
        }
        form->btnDone->click();
    });
    driver.On("TfrmWCRIBComplete", [this](QWidget *w) {
        ++completions;
        static_cast<TfrmWCRIBComplete *>(w)->btnUseThisBrowser->click();
    });
    driver.On("TfrmMacroBrowser", [this](QWidget *w) {
        auto *browser = static_cast<TfrmMacroBrowser *>(w);
        // The window stays for the agent after the run; the run closes it.
        auto *poll = new QTimer(browser);
        QObject::connect(poll, &QTimer::timeout, browser, [this, browser] {
            if (browser->Frame()->Finished()) {
                result = browser->Frame()->lblProgress->text().toStdString();
                log = browser->Frame()->Memo1->toPlainText().toStdString();
                browser->accept();
            }
        });
        poll->start(50);
    });
}

WcribRun::WcribRun(const std::string &startPath, const std::string &password, bool withPhone,
                   const MaQuote::TClasses &classes)
    : WcribAgent(password),
      program(ProgramCopy(folder.Path(), WcribSite().Url(startPath))),
      quote(program, classes, withPhone),
      submission(quote.harness.Quote(), window)
{ }

bool WcribRun::Run()
{
    const auto started = std::chrono::steady_clock::now();
    const bool ran = submission.Submit();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return ran;
}

QJsonObject WcribRun::Record()
{
    const QJsonArray apps = WcribSite().Applications().array();
    return apps.isEmpty() ? QJsonObject() : apps.last().toObject();
}
