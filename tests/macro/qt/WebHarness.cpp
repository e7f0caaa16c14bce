#include "WebHarness.h"

#include "core/EventLoop.h"
#include "core/Text.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<SimulatedSite> g_site;

} // namespace

SimulatedSite &Site()
{
    if (!g_site) {
        g_site = std::make_unique<SimulatedSite>();
    }
    return *g_site;
}

// The site goes before the application object: the tests' environment ends it.
class SiteEnvironment : public testing::Environment
{
public:
    void TearDown() override { g_site.reset(); }
};

[[maybe_unused]] static testing::Environment *const g_siteEnvironment =
    testing::AddGlobalTestEnvironment(new SiteEnvironment);

WebHarness::WebHarness() : macro(CurrentEventLoop())
{
    macro.ScriptFolder = folder.Path();
    macro.ScriptFileName = "web.xml";
    macro.Variables = &variables;
    macro.DataIn = &dataIn;
    macro.SetBrowser(&browser);
    macro.OnLog = [this](TMacro &, const std::string &line) { log.push_back(line); };
    browser.OnLog = [this](const std::string &line) { log.push_back(line); };
    browser.OnDocumentComplete = [this](bool top, const std::string &address) {
        macro.DocumentComplete(top, address);
    };
}

WebHarness::~WebHarness()
{
    browser.OnDocumentComplete = nullptr;
    macro.SetBrowser(nullptr);
}

std::string WebHarness::Page(const std::string &name, const std::string &body)
{
    Site().SetPage(name,
                   "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + name +
                       "</title></head><body>" + body + "</body></html>");
    return name;
}

void WebHarness::Run(const std::vector<ScriptLine> &lines, const std::string &start)
{
    const std::string address =
        start.find("://") != std::string::npos ? start : Site().Url("/_test/page/" + start);
    folder.WriteFile(
        "web.xml",
        ScriptXml(lines,
                  "<UseCurrentURL>FALSE</UseCurrentURL><StartURL>" + address + "</StartURL>"));
    macro.Play();
}

QJsonValue WebHarness::Eval(const std::string &expression)
{
    const QString answer = browser.Call(QString::fromStdString(expression));
    return QJsonDocument::fromJson(answer.toUtf8()).object().value("r");
}

bool WebHarness::Logged(const std::string &part) const
{
    return std::any_of(log.begin(), log.end(), [&part](const std::string &line) {
        return line.find(part) != std::string::npos;
    });
}
