#pragma once

#include "../ScriptText.h"
#include "SimulatedSite.h"

#include "core/NameValues.h"
#include "macro/WebMacro.h"
#include "macro/qt/QtWebBrowser.h"

#include "support/ScratchFolder.h"

#include <QJsonValue>

#include <string>
#include <vector>

// The simulated site, started once for a test program.
SimulatedSite &Site();

// A web macro on the real browser engine, on a script of a scratch folder that starts at a
// page of the simulated site.
struct WebHarness
{
    WebHarness();
    ~WebHarness();

    // Writes the script, starting at /_test/page/START (or an address), and plays it to its end.
    void Run(const std::vector<ScriptLine> &lines, const std::string &start);
    // A page of the site given by the test.
    static std::string Page(const std::string &name, const std::string &body);
    // Evaluates a script expression in the page shown now.
    QJsonValue Eval(const std::string &expression);
    std::string Var(const std::string &name) const { return NameValue(variables, name); }
    bool Logged(const std::string &part) const;

    ScratchFolder folder;
    TQtWebBrowser browser;
    TWebMacro macro;
    TNameValueList variables {"TRACE="};
    TNameValueList dataIn;
    std::vector<std::string> log;
};
