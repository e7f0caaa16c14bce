#include "QuoteHarness.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "support/ScratchFolder.h"

#include <filesystem>
#include <stdexcept>

namespace {

// The fixture tables the build made, copied into the folder: the tests change them.
std::string BuildFixture(const ScratchFolder &folder)
{
    const std::string data = folder.Path() + "Data/";
    ForceDirectories(data);
    std::filesystem::copy(VEREDIVO_FIXTURE_DATA, data,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    return folder.Path();
}

} // namespace

const std::string &FixtureProgramFolder()
{
    static const ScratchFolder folder;
    static const std::string path = BuildFixture(folder);
    return path;
}

QuoteHarness::QuoteHarness(const std::string &state, int32_t broker, TDateTime date,
                           const std::string &programFolder)
    : m_application(programFolder)
{
    TCustLOBInfo info;
    info.SetState(state);
    m_quote = CreateStateQuote(broker, m_application, info, date);
    if (!m_quote) {
        throw std::runtime_error("no quote for " + state);
    }
    m_inputs.Build(m_application.Database().Inputs(), m_application.Database().InputData(), false,
                   m_quote->RatePeriod(), 1, m_quote->StateId);
    m_quote->Bind(m_inputs);
    if (!m_quote->LoadClassBook()) {
        throw std::runtime_error("no class book for " + state);
    }
    m_prompter.Clear();
}

TVereDivoClass &QuoteHarness::Add(const std::string &code, int32_t payroll, int32_t employees,
                                  const std::string &subCode)
{
    TVereDivoClass *line = m_quote->FindClass(code, subCode);
    if (!line) {
        throw std::runtime_error("no class " + code + " in the fixture");
    }
    line->SetPayroll(payroll);
    line->SetEmployees(employees);
    m_quote->AppendClass(*line);
    m_quote->RefreshDependentInputs();
    return *line;
}

TRatingControl &QuoteHarness::Input(const std::string &name)
{
    TRatingControl *control = m_inputs.FindControl(name);
    if (!control) {
        throw std::runtime_error("no input " + name);
    }
    return *control;
}

void QuoteHarness::Enter(const std::string &name, const std::string &text)
{
    TRatingControl &control = Input(name);
    control.SetText(text);
    control.NotifyExit();
}

void QuoteHarness::Pick(const std::string &name, const std::string &text)
{
    TRatingControl &list = Input(name);
    list.SetText(text);
    const TComboItemData *entry = list.SelectedEntry();
    if (!entry || !SameText(Trim(entry->Text), text)) {
        throw std::runtime_error("no entry " + text + " in " + name);
    }
}

void QuoteHarness::Tick(const std::string &name, bool checked)
{
    Input(name).SetChecked(checked);
}

bool QuoteHarness::Rate()
{
    return m_quote->CalculatePremium();
}

std::string QuoteHarness::Summary() const
{
    std::string text;
    for (const TSummaryLine &line : m_quote->PremiumSummaryLines()) {
        text += line.Label + " " + IntText(line.Amount) + "\n";
    }
    return text;
}
