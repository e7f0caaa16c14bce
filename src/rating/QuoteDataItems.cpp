// The numbered data items through which forms, finance agreements and the bureau submission
// read a quote, and the export mapping that places them.

#include "core/NameValues.h"
#include "db/VereDivoDatabase.h"
#include "rating/VereDivoQuote.h"

#include "core/Rounding.h"
#include "core/Text.h"

#include <array>
#include <cstdio>

namespace {

// Output kind of a name=value list.
constexpr int32_t KindNameValueList = 5;
// The data item of the assessment, left out when there is none.
constexpr int32_t DataItemAssessment = 15;

const std::array<const char *, 12> MonthNames = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};

std::string TwoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

std::string ShortDate(TDateTime date) // "mm/dd/yy"
{
    const DateParts p = DecodeDate(date);
    return TwoDigits(p.month) + "/" + TwoDigits(p.day) + "/" + TwoDigits(p.year);
}

std::string MonthDay(TDateTime date) // "mm/dd"
{
    const DateParts p = DecodeDate(date);
    return TwoDigits(p.month) + "/" + TwoDigits(p.day);
}

std::string MonthName(TDateTime date)
{
    return MonthNames.at(static_cast<size_t>(DecodeDate(date).month - 1));
}

std::string CityStateZip(const std::string &city, const std::string &state, const std::string &zip)
{
    return city + ", " + state + " " + zip;
}

} // namespace

std::string TVereDivoQuote::GetDataItem(int32_t index, int32_t argument) const
{
    const bool formOpen = ApplicationFormOpen();
    const auto formDate = [formOpen](TDateTime date) {
        return formOpen ? DateToStr(date) : ShortDate(date);
    };
    const auto amount = [](int32_t value) { return IntText(value); };
    const auto shown = [this](const char *name) { return SelectedText(Find(name)); };
    const auto entered = [this](const char *name) { return Trim(TextOf(Find(name))); };
    const auto dashOr = [](int32_t value, const std::string &text) {
        return value == 0 ? std::string("-") : text;
    };
    const auto classItem = [this](const TVereDivoClass *special, int32_t part) -> std::string {
        if (!special || !HasClass(*special)) {
            return {};
        }
        switch (part) {
        case 0:
            return special->Code;
        case 1:
            return IntText(special->GetPayroll());
        case 2:
            return FixedText(special->Rate, 2);
        default:
            return IntText(special->GetPremium());
        }
    };
    const TCustInfo &customer = Customer();
    const TCustLOBInfo &header = QuoteInfo();
    const TDateTime effective = EffectiveDate;
    const TDateTime expiration = header.ExpirationDate();

    if (index >= 70 && index <= 73) {
        return classItem(ClericalClass, index - 70);
    }
    if (index >= 80 && index <= 83) {
        return classItem(DriversClass, index - 80);
    }
    if (index >= 90 && index <= 93) {
        return classItem(SalesClass, index - 90);
    }
    if (index >= 135 && index <= 138) {
        if (argument < 1 || static_cast<size_t>(argument) > m_classes.size()) {
            return {};
        }
        const TVereDivoClass &line = *m_classes[static_cast<size_t>(argument - 1)];
        switch (index) {
        case 135:
            return line.Code;
        case 136:
            return line.GetPayroll() == 0 ? "Y" : "N";
        case 137:
            return IntText(line.GetPayroll());
        default:
            return IntText(line.Employees);
        }
    }

    switch (index) {
    case 1:
        return amount(Results.TotalManualPremium);
    case 2:
        return amount(Results.PartTwoPremium);
    case 3:
        return amount(Results.UnmodifiedPremium);
    case 4: // no sequence prices the benefits deductible
        return "0";
    case 5:
        return amount(Results.MedicalDeductible);
    case 6:
        return amount(Results.MeritAdjustment);
    case 7:
        return amount(Results.ExperienceModAdjustment);
    case 8: // no sequence has a schedule modification
        return "0";
    case 9:
        return amount(Results.ModifiedPremium);
    case 10:
        return amount(Results.BalanceToMin);
    case 11:
        return amount(Results.StandardPremium);
    case 12:
        return amount(Results.ArapAdjustment);
    case 13:
        return amount(Results.PremiumDiscount);
    case 14:
        return amount(Results.ExpenseConstant);
    case DataItemAssessment:
        return Results.Assessment == 0 ? std::string() : amount(Results.Assessment);
    case 16:
        return amount(Results.TotalPremium);
    case 17: // no sequence balances the standard premium separately
        return "0";
    case 18:
        return amount(Results.ConstructionCredit);
    case 19: {
        const TComboItemData *entry = SelectedEntryOf(Find("lstPartTwo"));
        return entry ? FixedText(entry->Data1, 3) : std::string();
    }
    case 20:
        return shown("lstBenefits");
    case 21:
        return entered("txtExpMod");
    case 22:
        return entered("txtARAP");
    case 23:
        return amount(Results.MinimumPremium);
    case 24:
        return DownPaymentText();
    case 25:
        return m_application.Agency().Name;
    case 26:
        return m_application.Agency().Attention;
    case 27:
        return m_application.Agency().Street;
    case 28: {
        const TAgencyAddress agency = m_application.Agency();
        return CityStateZip(agency.City, agency.State, agency.Zip);
    }
    case 29:
        return m_application.Agency().Phone;
    case 30:
        return m_application.Agency().ProducerId;
    case 31:
        return formDate(Today());
    case 32:
        return OutputInfo ? OutputInfo->Row1Field1 : std::string();
    case 33:
        return OutputInfo ? OutputInfo->Row1Field2 : std::string();
    case 34:
        return shown("lstPartTwo");
    case 37:
        return formDate(effective);
    case 38:
        return formDate(expiration);
    case 39:
        return MonthDay(expiration);
    case 40:
        return PlanProfile->STATE_TEXT;
    case 41:
    case 42:
    case 43: {
        const std::string limits = shown("lstPartTwo");
        size_t start = 0;
        for (int32_t part = 41; part < index && start != std::string::npos; ++part) {
            const size_t slash = limits.find('/', start);
            start = slash == std::string::npos ? slash : slash + 1;
        }
        if (start == std::string::npos) {
            return {};
        }
        return limits.substr(start, limits.find('/', start) - start);
    }
    case 44:
        return customer.Company();
    case 45:
        return customer.FirstName() + " " + customer.LastName();
    case 46:
        return customer.Street();
    case 47:
        return CityStateZip(customer.City(), customer.State(), customer.Zip());
    case 48: {
        const std::string ident = PlanProfile->ACORD_IDNT;
        if (Trim(ident).empty()) {
            return "DO_NOT_ADD";
        }
        return PadLeft(ident, formOpen ? 90 : 65);
    }
    case 49:
        return "0";
    case 50:
        return Trim(customer.WorkPhone());
    case 51:
        return DateToStr(IncMonth(effective, 1));
    case 52:
        return IntText(DecodeDate(effective).day);
    case 53:
        return MonthName(effective);
    case 54:
        return ShortDate(effective);
    case 55:
        return ShortDate(expiration);
    case 56:
        return MonthName(effective) + ", " + IntText(DecodeDate(effective).year);
    case 57:
        return amount(Results.PartTwoBalanceToMin);
    case 58:
        return m_application.Agency().Fax;
    case 59:
        return amount(Results.Fees);
    case 60:
        return customer.Street() + "   " +
            CityStateZip(customer.City(), customer.State(), customer.Zip());
    case 61: {
        const TAgencyAddress agency = m_application.Agency();
        return agency.Street + "   " + CityStateZip(agency.City, agency.State, agency.Zip);
    }
    case 62:
        return amount(Results.ExperienceModAdjustment != 0 ? Results.ExperienceModAdjustment
                                                           : Results.MeritAdjustment);
    case 63:
        return dashOr(Results.ExperienceModAdjustment, entered("txtExpMod"));
    case 64:
        return dashOr(Results.MeritAdjustment, shown("lstMerit"));
    case 65:
        return dashOr(Results.ArapAdjustment, entered("txtARAP"));
    case 66:
        return FixedText(Factor().ASSESSMENT * 100, 1);
    case 67:
        return dashOr(Results.ConstructionCredit, entered("txtConstCredit"));
    case 68:
        return "0";
    case 69:
        return dashOr(Results.MedicalDeductible, shown("lstMedical"));
    case 100:
        return header.LocationStreet() + "   " + header.LocationCity() + ", " +
            header.LocationState() + "  " + header.LocationZip();
    case 101:
        return amount(Results.NetPremium);
    case 102:
        return header.LocationStreet();
    case 103:
        return header.LocationCity();
    case 104:
        return header.LocationState();
    case 105:
        return header.LocationZip();
    case 110:
        return customer.City();
    case 111:
        return customer.State();
    case 112:
        return customer.Zip();
    case 120:
        return m_application.Agency().City;
    case 121:
        return m_application.Agency().State;
    case 122:
        return m_application.Agency().Zip;
    case 130:
        return amount(Results.TerrorismCharge);
    case 131:
        return FloatText(RoundTo(Factor().Terror * 0.01, 6));
    case 132:
        return amount(Results.DomesticTerrorismCharge);
    case 133:
        return customer.FirstName();
    case 134:
        return customer.LastName();
    case 139:
        return customer.Street() == header.LocationStreet() ? "Yes" : "No";
    case 140: // a customer text that nothing in the program fills
        return {};
    case 141:
        return shown("lstPremiumDiscount");
    case 142:
        return shown("lstMerit");
    case 143: {
        const std::string credit = entered("txtConstCredit");
        if (credit.empty()) {
            return "0";
        }
        if (StateCode == "MA") {
            return IntText(RoundAmount(StrToFloatDef(credit, 0)));
        }
        return credit;
    }
    case 144:
        return shown("lstMedical");
    case 145:
        return DateToStr(effective);
    default:
        return {};
    }
}

void TVereDivoQuote::SetFormField(const std::string &name, const std::string &value,
                                  std::vector<std::string> &list, bool readOnly)
{
    if (value == "DO_NOT_ADD") {
        return;
    }
    if (m_form) {
        m_form->SetField(name, value, readOnly);
        return;
    }
    list.push_back(name + "," + value);
}

void TVereDivoQuote::AddFormItem(const std::string &name, const std::string &value,
                                 std::vector<std::string> &list)
{
    SetFormField(name, value, list, false);
}

void TVereDivoQuote::ApplyExportMapping(std::vector<std::string> &list, bool toForm,
                                        int32_t argument, int32_t mappingId, int32_t kind)
{
    TCBTable *table = &m_application.Database().Exports();
    if (!table->Seek(KeyNumber(kind, 3) + KeyNumber(mappingId, 3), "EXP_TYPE")) {
        return;
    }
    while (!table->Eof() && table->GetInteger("ExpType") == kind &&
           table->GetInteger("ExpID") == mappingId) {
        if (table->Deleted()) {
            table->Next();
            continue;
        }
        const std::string name =
            Trim(toForm ? table->GetString("QORAcord") : table->GetString("FieldName"));
        bool readOnly = toForm ? !table->GetBoolean("Editable") : true;
        readOnly = readOnly && PlanProfile->RdOnlyACRD;
        const int32_t item = table->GetInteger("Data_ID");
        if (item >= 25 && item <= 29) {
            readOnly = true;
        }

        if (item != 0 && !name.empty()) {
            if (!(item == DataItemAssessment && Results.Assessment == 0)) {
                if (kind == KindNameValueList) {
                    SetNameValue(list, name, GetDataItem(item, argument));
                } else {
                    SetFormField(name, GetDataItem(item, argument), list, readOnly);
                }
            }
        } else if (item == 0 && !name.empty()) {
            std::string literal = Trim(table->GetString("Descript"));
            bool write = true;
            if (SameText(literal, "ASSESSMENT")) {
                write = Results.Assessment != 0;
                if (!Trim(PlanProfile->ASSESS_NAM).empty()) {
                    literal = Trim(PlanProfile->ASSESS_NAM);
                }
            }
            if (write) {
                if (kind == KindNameValueList) {
                    SetNameValue(list, name, literal);
                } else {
                    SetFormField(name, literal, list, readOnly);
                }
            }
        }
        table->Next();
    }
}

void TVereDivoQuote::GetExportList(int32_t mappingId, int32_t argument,
                                   std::vector<std::string> &list)
{
    ApplyExportMapping(list, false, argument, mappingId, KindNameValueList);
}
