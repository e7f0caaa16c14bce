#include "rating/DownPayment.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

void TDownPayInfo::LoadFromTable(const TCBTable &table)
{
    ID1 = TextInteger(table, "ID1");
    ID2 = TextInteger(table, "ID2");
    Low = table.GetDouble("Low");
    High = table.GetDouble("High");
    Percent = table.GetDouble("Percent");
    Installs = table.GetInteger("Installs");
    InstFee = table.GetDouble("InstFee");
    InstIntrvl = table.GetInteger("InstIntrvl");
}

std::string TDownPayInfo::IntervalText() const
{
    std::string text;
    switch (InstIntrvl) {
    case 4:
        text = "Quarterly Installments";
        break;
    case 12:
        text = "Monthly Installments";
        break;
    case 124:
        text = "Monthly Installments (Quarterly Available)";
        break;
    default:
        break;
    }
    if (Installs != 0) {
        text += " (" + IntText(Installs) + " Installments)";
    }
    return text;
}

TDownPaySchedule::TDownPaySchedule(TCBTable &table, int32_t id1, int32_t id2)
{
    bool found = table.Seek(KeyNumber(id1) + KeyNumber(id2), "ID");
    while (found) {
        if (!table.Deleted()) {
            auto row = std::make_unique<TDownPayInfo>();
            row->LoadFromTable(table);
            m_rows.push_back(std::move(row));
        }
        table.Next();
        found =
            !table.Eof() && TextInteger(table, "ID1") == id1 && TextInteger(table, "ID2") == id2;
    }
}

const TDownPayInfo *TDownPaySchedule::Find(double premium) const
{
    for (const auto &row : m_rows) {
        if (row->Low <= premium && premium <= row->High) {
            return row.get();
        }
    }
    return nullptr;
}

bool TDownPaySchedule::FullPaymentRequired(int32_t totalPremium, int32_t minDown) const
{
    if (const TDownPayInfo *row = Find(totalPremium)) {
        return row->Percent == 100;
    }
    return totalPremium < minDown;
}

std::string TDownPaySchedule::DownPaymentText(int32_t totalPremium, int32_t minDown,
                                              double downPercent) const
{
    if (FullPaymentRequired(totalPremium, minDown)) {
        return "N/A";
    }
    return IntText(DownPaymentAmount(totalPremium, downPercent));
}

std::string TDownPaySchedule::PaymentTermsText(int32_t totalPremium, int32_t minDown,
                                               double downPercent) const
{
    const TDownPayInfo *row = Find(totalPremium);
    if (row == nullptr) {
        if (FullPaymentRequired(totalPremium, minDown)) {
            return "Full Payment of Premium Required";
        }
        return "Down Payment: " + MoneyText(DownPaymentAmount(totalPremium, downPercent));
    }
    if (row->Percent == 100) {
        return "100% Deposit Required (no installments available)";
    }
    const int32_t deposit = RoundUpToDollar(totalPremium * 0.01 * row->Percent);
    return FixedText(row->Percent, 2) + "% Deposit (" + MoneyText(deposit) + ") required " +
        "plus $" + FixedText(row->InstFee, 2) + " installment fee - " + row->IntervalText();
}

int32_t DownPaymentAmount(int32_t totalPremium, double downPercent)
{
    return RoundAmount(downPercent * 0.01 * totalPremium);
}

namespace {

TIniFile UserSettings(const std::string &folder)
{
    return TIniFile(IncludeTrailingSlash(folder) + "UserSets.ini");
}

} // namespace

int32_t ReadDefaultDownPercent(const std::string &folder)
{
    return UserSettings(folder).ReadInteger("Settings", "DownPay", 30);
}

void WriteDefaultDownPercent(const std::string &folder, int32_t percent)
{
    UserSettings(folder).WriteInteger("Settings", "DownPay", percent);
}
