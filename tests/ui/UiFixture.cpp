#include "UiFixture.h"

#include "core/Paths.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "storage/records/QuoteInfo.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

QuoteWindow *TTestHost::NewQuoteFrom(const TCustLOBInfo &header,
                                     std::shared_ptr<TRatingSnapshot> carried)
{
    TCustLOBInfo copy;
    copy.Assign(header);
    auto quote = CreateStateQuote(1, m_info.QuoteApplication(), copy,
                                  header.QuoteID() < 1 ? header.EffectiveDate() : 0);
    auto window = std::make_unique<TfrmVereDivoDetail>(std::move(quote), *this, carried);
    window->show();
    followers.push_back(std::move(window));
    return followers.back().get();
}

UiFixture::UiFixture()
    : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
      state("XDG_STATE_HOME", dir.File("state/"))
{
    SetProgramFolder(dir.File("program/"));
    CopyDeliveredData(dir.File("program/Data/"));
    info = std::make_unique<TVereDivoAppInfo>();
    info->OpenData();
    info->StartLog();
    customerDialog = std::make_unique<TQtCustomerDialog>(info.get());
    info->QuoteDB().SetCustomerDialog(customerDialog.get());
    host = std::make_unique<TTestHost>(*info);
}

UiFixture::~UiFixture()
{
    TfrmVereDivoDetail::SetClassSelectionWindow({});
    TfrmVereDivoDetail::SetDeviationsWindow({});
    host->followers.clear();
    host.reset();
    info->QuoteDB().SetCustomerDialog(nullptr);
    info.reset();
    SetProgramFolder("");
}

std::unique_ptr<TVereDivoQuote> UiFixture::NewQuote(const std::string &stateCode, TDateTime date,
                                                    int32_t broker)
{
    TCustLOBInfo header;
    header.SetState(stateCode);
    return CreateStateQuote(broker, info->QuoteApplication(), header, date);
}

std::unique_ptr<TfrmVereDivoDetail> UiFixture::OpenWindow(const std::string &stateCode,
                                                          TDateTime date, int32_t broker)
{
    auto window = std::make_unique<TfrmVereDivoDetail>(NewQuote(stateCode, date, broker), *host);
    window->resize(1200, 800);
    window->show();
    return window;
}

void UiFixture::AddClasses(TfrmVereDivoDetail &window, const std::vector<TLine> &lines)
{
    TfrmVereDivoDetail::SetClassSelectionWindow([lines](TVereDivoQuote &quote, QWidget *) {
        for (const TLine &wanted : lines) {
            TVereDivoClass *line = quote.FindClass(wanted.Code, "");
            if (line == nullptr) {
                ADD_FAILURE() << "no class " << wanted.Code;
                continue;
            }
            line->SetPayroll(wanted.Payroll);
            line->SetEmployees(wanted.Employees);
            quote.AppendClass(*line);
        }
        return true;
    });
    window.btnAdd->click();
}

std::vector<std::string> ClassRows(const TfrmVereDivoDetail &window)
{
    std::vector<std::string> rows;
    for (int i = 0; i < window.lstClasses->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = window.lstClasses->topLevelItem(i);
        std::string row;
        for (int column = 0; column < window.lstClasses->columnCount(); ++column) {
            row += (column == 0 ? "" : " | ") + item->text(column).toStdString();
        }
        rows.push_back(row);
    }
    return rows;
}
