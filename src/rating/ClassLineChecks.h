#pragma once

// What the line-editing dialogs accept, as plain functions: a dialog hands in the texts of its
// boxes and gets back the message to show (and where the focus goes), or applies the entries
// to the line once they pass.

#include "rating/VereDivoClass.h"

#include <array>
#include <cstdint>
#include <string>

enum class TEntryFocus { None, Payroll, Employees, FirstPayroll, Title, Code, StateRate, Other };

struct TEntryCheck
{
    std::string Message; // empty when the entries are accepted
    TEntryFocus Focus = TEntryFocus::None;

    bool Accepted() const { return Message.empty(); }
};

// "Edit Classification": the payroll dialog of an ordinary line.
struct TPayrollEntry
{
    std::string Payroll;
    std::string Employees;
    bool IfAny = false;
};

// "If Any" is offered (and may be checked) only for a class that is not a survey class.
bool IfAnyAllowed(const TVereDivoClass &line);
// The boxes as the dialog opens: payroll and employees, "If Any" checked for a payroll of 0.
TPayrollEntry PayrollEntryOf(const TVereDivoClass &line);
TEntryCheck CheckPayrollEntry(const TVereDivoClass &line, const TPayrollEntry &entry);
// Checks, and when the entries pass gives the line its payroll and employees.
TEntryCheck ApplyPayrollEntry(TVereDivoClass &line, const TPayrollEntry &entry);

// "Contractors Class": the payroll dialog of a New York construction line.
struct TConstructionPayrollEntry
{
    std::array<std::string, 4> Payrolls;
    std::string Employees;
};

// The read-only total the dialog keeps current: RoundAmount of the sum of the boxes (a box
// that holds no number counts 0).
int32_t ConstructionPayrollTotal(const TConstructionPayrollEntry &entry);
TEntryCheck CheckConstructionPayrollEntry(const TConstructionPayrollEntry &entry);
TEntryCheck ApplyConstructionPayrollEntry(TNewYorkConstructionClass &line,
                                          const TConstructionPayrollEntry &entry);

// "Classification Information": the details of a user class.
struct TClassInfoEntry
{
    std::string Title;
    std::string Code;
    std::string StateRate;
    std::string Rate; // the deviated rate; empty or 0 takes the state rate
    std::string LossConstant;
    std::string HazardCode;
    std::string Construction; // "Yes" or "No"
    std::string MinPremium;
};

// The boxes as the dialog opens: rates with 2 decimals, construction "Yes" or "No".
TClassInfoEntry ClassInfoEntryOf(const TVereDivoClass &line);
TEntryCheck CheckClassInfoEntry(const TClassInfoEntry &entry);
TEntryCheck ApplyClassInfoEntry(TVereDivoClass &line, const TClassInfoEntry &entry);

// The payroll and employees of an exception class (clerical, sales, drivers) as the class
// selection's fields hold them: a field without a number counts 0. Refused, with the field that
// must change, when the line could not rate them.
struct TExceptionEntry
{
    int32_t Payroll = 0;
    int32_t Employees = 0;
    TEntryCheck Check;
};
TExceptionEntry ReadExceptionEntry(const TVereDivoClass &line, const std::string &payroll,
                                   const std::string &employees);

// A deviation as the deviations window hands it in: refused when it is no number, not above 0,
// or would price the line beyond what an amount can hold.
TEntryCheck CheckDeviationEntry(const TVereDivoClass &line, const std::string &deviation);
