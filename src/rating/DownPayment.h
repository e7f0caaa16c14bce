#pragma once

// The down payment schedule of a plan: for a range of total premium, the deposit percentage,
// the number of installments, the installment fee and their interval.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCBTable;

struct TDownPayInfo
{
    int32_t ID1 = 0; // the plan pair the row belongs to
    int32_t ID2 = 0;
    double Low = 0; // premium range, both ends included
    double High = 0;
    double Percent = 0; // 100: no installments
    int32_t Installs = 0; // 0: none stated
    double InstFee = 0;
    int32_t InstIntrvl = 0; // 0 none, 4 quarterly, 12 monthly, 124 monthly with quarterly

    void LoadFromTable(const TCBTable &table);
    std::string IntervalText() const;
};

class TDownPaySchedule
{
public:
    // An empty schedule: every premium falls outside it.
    TDownPaySchedule() = default;
    // The rows of the pair (ID1 the broker, ID2 the state) from the down payment table.
    TDownPaySchedule(TCBTable &table, int32_t id1, int32_t id2);

    const std::vector<std::unique_ptr<TDownPayInfo>> &Rows() const { return m_rows; }
    void Add(std::unique_ptr<TDownPayInfo> row) { m_rows.push_back(std::move(row)); }

    // The first row in table order whose range holds the premium, or none.
    const TDownPayInfo *Find(double premium) const;

    // The full payment rule: the row of the premium asks for 100 %; without a row, a premium
    // below the plan's minimum for a down payment.
    bool FullPaymentRequired(int32_t totalPremium, int32_t minDown) const;
    // "N/A" when full payment is required, else the down payment in plain digits.
    std::string DownPaymentText(int32_t totalPremium, int32_t minDown, double downPercent) const;
    // The worksheet's payment terms line.
    std::string PaymentTermsText(int32_t totalPremium, int32_t minDown, double downPercent) const;

private:
    std::vector<std::unique_ptr<TDownPayInfo>> m_rows;
};

// RoundAmount of percent x 0.01 x premium.
int32_t DownPaymentAmount(int32_t totalPremium, double downPercent);

// The user's default down payment percentage for new quotes: "UserSets.ini" in the given
// (program) folder, [Settings] "DownPay", 30 when absent.
int32_t ReadDefaultDownPercent(const std::string &folder);
void WriteDefaultDownPercent(const std::string &folder, int32_t percent);
