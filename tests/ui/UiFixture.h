#pragma once

// The quote windows on a program folder of their own (the delivered tables copied into a
// scratch folder), with a host that stands where the main window does.

#include "core/Dates.h"
#include "rating/VereDivoQuote.h"
#include "storage/VereDivoAppInfo.h"
#include "ui/CustomerDialog.h"
#include "ui/DetailWindow.h"
#include "ui/QuoteHost.h"

#include "support/ModalScript.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

// What the main window does for a quote window, recorded.
class TTestHost final : public TQuoteHost
{
public:
    explicit TTestHost(TVereDivoAppInfo &info) : m_info(info) { }

    TVereDivoAppInfo &AppInfo() const override { return m_info; }
    void UpdateCommandState() override { ++commandUpdates; }
    QuoteWindow *NewQuoteFrom(const TCustLOBInfo &header,
                              std::shared_ptr<TRatingSnapshot> carried) override;
    bool OutputBlocked(QuoteWindow *, const std::string &verb, bool askForAddress) override
    {
        readiness.push_back(verb + (askForAddress ? " (address)" : ""));
        return blockOutput;
    }
    void PrintQuote(QuoteWindow &) override { ++prints; }

    int commandUpdates = 0;
    int prints = 0;
    bool blockOutput = true;
    std::vector<std::string> readiness;
    // Windows made by NewQuoteFrom.
    std::vector<std::unique_ptr<TfrmVereDivoDetail>> followers;

private:
    TVereDivoAppInfo &m_info;
};

class UiFixture : public testing::Test
{
protected:
    UiFixture();
    ~UiFixture() override;

    // A quote of the state on broker `broker`'s plan, dated `date`.
    std::unique_ptr<TVereDivoQuote> NewQuote(const std::string &state, TDateTime date,
                                             int32_t broker = 1);
    // Its window, shown (the inputs are built at the first showing).
    std::unique_ptr<TfrmVereDivoDetail> OpenWindow(const std::string &state, TDateTime date,
                                                   int32_t broker = 1);
    // Puts class lines on the window's quote through "Add Class", as the class selection
    // window would: each code with its payroll and employees.
    struct TLine
    {
        std::string Code;
        int32_t Payroll;
        int32_t Employees;
    };
    void AddClasses(TfrmVereDivoDetail &window, const std::vector<TLine> &lines);

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
    ScriptedPrompter prompter;
    std::unique_ptr<TVereDivoAppInfo> info;
    std::unique_ptr<TQtCustomerDialog> customerDialog;
    std::unique_ptr<TTestHost> host;
};

// The texts of the class list's rows, each as its columns joined by " | ".
std::vector<std::string> ClassRows(const TfrmVereDivoDetail &window);
