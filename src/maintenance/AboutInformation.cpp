#include "maintenance/AboutInformation.h"

#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

std::vector<TPlanRateDates> PlanRateDates(const std::string &dataFolder, int32_t broker)
{
    TCBDatabase database;
    TTableRegistration plans(database, "WCPLAN.DBF", dataFolder, true);
    std::vector<TPlanRateDates> result;
    for (plans->First(); !plans->Eof(); plans->Next()) {
        if (plans->Deleted() || TextIntegerOr(plans.Table(), "Broker_ID", 0) != broker) {
            continue;
        }
        TPlanRateDates dates;
        dates.StateName = TrimmedString(plans.Table(), "State_Name");
        dates.Effect1 = plans->GetDate("Effect_1");
        dates.Exp1 = plans->GetDate("Exp_1");
        dates.Effect2 = plans->GetDate("Effect_2");
        dates.Exp2 = plans->GetDate("Exp_2");
        dates.RateChange = plans->GetDate("Rate_Chang");
        result.push_back(dates);
    }
    return result;
}

std::string PlanRateDatesText(const TPlanRateDates &dates)
{
    const auto span = [](TDateTime from, TDateTime to) {
        return (from > 0 ? DateToStr(from) : std::string("?")) + " to " +
            (to > 0 ? DateToStr(to) : std::string("?"));
    };
    std::string text = dates.StateName + ": " + span(dates.Effect1, dates.Exp1);
    if (dates.Effect2 > 0) {
        text += ", " + span(dates.Effect2, dates.Exp2);
    }
    if (dates.RateChange > 0) {
        text += " (rates change " + DateToStr(dates.RateChange) + ")";
    }
    return text;
}

const std::vector<TThirdParty> &ThirdPartyComponents()
{
    static const std::vector<TThirdParty> components = {
        {"Qt 6 (Core, Gui, Widgets, PrintSupport)", "LGPL-3.0-only", "windows, printing, PDF"},
        {"pugixml", "MIT", "script, translation and Word document XML"},
        {"libzip", "BSD-3-Clause", "Word documents (DOCX packages)"},
        {"zlib", "Zlib", "compression, setup manifests"},
        {"JSON for Modern C++ (nlohmann)", "MIT", "the rating command's requests"},
        {"Liberation fonts", "OFL-1.1", "metric-compatible printing fonts"},
        {"LibreOffice (run when installed)", "MPL-2.0",
         "the Office 2003 pool application template, PDF of documents"},
    };
    return components;
}
