#include "StoreFixture.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "dbase/Table.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include <stdexcept>

std::map<std::string, TRowTally> TallyRows(TCBTable &table, const std::string &column)
{
    std::map<std::string, TRowTally> rows;
    table.SelectTag("");
    for (table.First(); !table.Eof(); table.Next()) {
        TRowTally &tally = rows[Trim(table.GetString(column))];
        ++(table.Deleted() ? tally.deleted : tally.live);
    }
    return rows;
}

std::string CheckTable(TCBTable &table)
{
    std::string problems;
    for (const std::string &line : table.Handle()->Check()) {
        problems += line + "\n";
    }
    return problems;
}

// ---------------------------------------------------------------------------------------------
// Quotes

TVereDivoClass &TOpenQuote::Add(const std::string &code, int32_t payroll, int32_t employees)
{
    TVereDivoClass *line = Quote->FindClass(code, "");
    if (line == nullptr) {
        throw std::runtime_error("no class " + code + " in the class book");
    }
    line->SetPayroll(payroll);
    line->SetEmployees(employees);
    Quote->AppendClass(*line);
    Quote->RefreshDependentInputs();
    return *line;
}

TRatingControl &TOpenQuote::Input(const std::string &name) const
{
    TRatingControl *control = Controls.FindControl(name);
    if (control == nullptr) {
        throw std::runtime_error("no rating input " + name);
    }
    return *control;
}

void TOpenQuote::Enter(const std::string &name, const std::string &text)
{
    TRatingControl &control = Input(name);
    control.SetText(text);
    control.NotifyExit();
}

std::vector<std::string> TOpenQuote::Lines() const
{
    std::vector<std::string> lines;
    for (const TVereDivoClass *line : Quote->Classes()) {
        lines.push_back(line->Code + " " + IntText(line->GetPayroll()));
    }
    return lines;
}

namespace {

std::unique_ptr<TOpenQuote> Bound(TVereDivoAppInfo &info, std::unique_ptr<TVereDivoQuote> quote)
{
    if (!quote) {
        throw std::runtime_error("the quote was not made");
    }
    auto open = std::make_unique<TOpenQuote>();
    open->Quote = std::move(quote);
    TVereDivoDatabase &tables = info.Tables();
    open->Controls.Build(tables.Inputs(), tables.InputData(), false, open->Quote->RatePeriod(), 1,
                         open->Quote->StateId);
    open->Quote->Bind(open->Controls);
    return open;
}

} // namespace

std::unique_ptr<TOpenQuote> NewQuote(TVereDivoAppInfo &info, const std::string &state,
                                     int32_t broker, TDateTime date)
{
    TCustLOBInfo header;
    header.SetState(state);
    auto open = Bound(info, CreateStateQuote(broker, info.QuoteApplication(), header, date));
    if (!open->Quote->LoadClassBook()) {
        throw std::runtime_error("the class book did not load");
    }
    return open;
}

std::unique_ptr<TOpenQuote> ReopenQuote(TVereDivoAppInfo &info, int32_t quoteID)
{
    const std::unique_ptr<TCustLOBInfo> header = info.QuoteDB().CustDBO().LoadQuoteHeader(quoteID);
    if (!header) {
        throw std::runtime_error("quote " + IntText(quoteID) + " is not stored");
    }
    auto open = Bound(info, CreateStateQuote(1, info.QuoteApplication(), *header));
    info.QuoteDB().LoadQuote(*open->Quote);
    open->Quote->RefreshDependentInputs();
    return open;
}

ProgramFolderTest::ProgramFolderTest()
    : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
      state("XDG_STATE_HOME", dir.File("state/"))
{
    SetProgramFolder(dir.File("program/"));
    CopyDeliveredData(dir.File("program/Data/"));
}

ProgramFolderTest::~ProgramFolderTest()
{
    SetProgramFolder("");
}

std::unique_ptr<TVereDivoAppInfo> ProgramFolderTest::OpenProgram() const
{
    auto info = std::make_unique<TVereDivoAppInfo>("veredivo");
    info->OpenData();
    return info;
}
