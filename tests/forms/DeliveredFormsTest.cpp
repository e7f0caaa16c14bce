// The forms the build delivers in the program folder's ACORD/ folder, read as the program reads
// them: every field is described and sized for its value, and every field name the tables and
// the quote write to exists in the form it is written to.

#include "core/Paths.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "forms/FormItems.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

std::string AcordDir()
{
    return BuiltProgramFolder() + "ACORD/";
}

const std::vector<std::string> kForms = {"ACORD130", "ACORD130B", "MAPOOL", "NJPOOL", "PFA"};

struct Form
{
    std::vector<TFieldItem> Fields;
    std::vector<TLogicItem> Rules;
    int32_t Sides = 0;
    std::set<std::string> Names;

    bool Has(const std::string &name) const { return Names.count(UpperCase(name)) != 0; }
};

Form LoadForm(const std::string &name)
{
    Form form;
    TFieldItems fields(AcordDir());
    fields.Load(name);
    for (size_t i = 0; i < fields.Count(); ++i) {
        form.Fields.push_back(fields[i]);
        form.Names.insert(UpperCase(fields[i].FieldName));
    }
    TLogicItems rules(AcordDir());
    rules.Load(name);
    for (size_t i = 0; i < rules.Count(); ++i) {
        form.Rules.push_back(rules[i]);
    }
    std::string crd;
    EXPECT_TRUE(ReadFormFile(AcordDir() + name + ".crd", crd)) << name;
    form.Sides = CrdSideCount(SplitFormLines(crd));
    return form;
}

// The width the program's field font gives one character of a field: Courier's advance is 0.6
// of its em, and the em is the field's height + 3 less the font's leading (cell / 1.133).
double CharacterWidth(const TFieldItem &field)
{
    const double height = (field.Rect.Bottom - field.Rect.Top) * 10.0 / 6.0 + 3;
    return height / 1.133 * 0.6;
}

class DeliveredForms : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        for (const std::string &name : kForms) {
            forms[name] = LoadForm(name);
        }
    }
    static std::map<std::string, Form> forms;
};
std::map<std::string, Form> DeliveredForms::forms;

} // namespace

TEST_F(DeliveredForms, PagesAndFieldsOfEachForm)
{
    const std::map<std::string, int32_t> pages = {
        {"ACORD130", 4}, {"ACORD130B", 4}, {"MAPOOL", 2}, {"NJPOOL", 2}, {"PFA", 1}};
    for (const auto &[name, count] : pages) {
        const Form &form = forms.at(name);
        EXPECT_EQ(form.Sides, count) << name;
        int32_t highest = 0;
        for (const TFieldItem &field : form.Fields) {
            highest = std::max(highest, field.Side);
        }
        EXPECT_EQ(highest, count) << name;
        EXPECT_GT(form.Fields.size(), 60u) << name;
    }
}

TEST_F(DeliveredForms, EveryFieldIsDescribedSizedAndUniquelyNamed)
{
    for (const auto &[name, form] : forms) {
        std::set<std::string> seen;
        std::set<int32_t> numbers;
        for (const TFieldItem &field : form.Fields) {
            SCOPED_TRACE(name + " " + field.FieldName);
            EXPECT_TRUE(numbers.insert(field.Number).second) << "field number used twice";
            EXPECT_FALSE(Trim(field.Description).empty());
            EXPECT_LE(field.FieldName.size(), 21u);
            const bool mirror = StartsWithText(field.FieldName, "MAP:");
            if (!mirror) {
                EXPECT_TRUE(seen.insert(UpperCase(field.FieldName)).second) << "name used twice";
            }
            EXPECT_LT(field.Rect.Left, field.Rect.Right);
            EXPECT_LT(field.Rect.Top, field.Rect.Bottom);
            if (field.Kind == fkText && !mirror) {
                EXPECT_GT(field.MaxLength, 0);
                // The longest value the field takes is drawn whole.
                const double width = field.Rect.Right - field.Rect.Left - 20;
                EXPECT_LE(field.MaxLength * CharacterWidth(field), width + 1)
                    << field.MaxLength << " characters in " << width;
            }
            if (field.Kind == fkRadioButton) {
                EXPECT_TRUE(form.Has(field.FieldName));
                bool linked = false;
                for (const TFieldItem &other : form.Fields) {
                    linked = linked || other.Number == field.LinkNumber;
                }
                EXPECT_TRUE(linked) << "radio button outside a group";
            }
            if (field.Kind == fkCircleBox) {
                EXPECT_NE(field.FieldName.find('_'), std::string::npos);
            }
        }
    }
}

TEST_F(DeliveredForms, MirrorsRulesAndRingsNameFieldsOfTheForm)
{
    for (const auto &[name, form] : forms) {
        std::set<int32_t> numbers;
        for (const TFieldItem &field : form.Fields) {
            numbers.insert(field.Number);
        }
        for (const TFieldItem &field : form.Fields) {
            if (StartsWithText(field.FieldName, "MAP:")) {
                EXPECT_TRUE(form.Has(field.FieldName.substr(4))) << name << " " << field.FieldName;
            }
        }
        EXPECT_FALSE(form.Rules.empty()) << name;
        for (const TLogicItem &rule : form.Rules) {
            EXPECT_GE(rule.FieldNumbers.size(), 2u) << name << " " << rule.Message;
            for (const int16_t member : rule.FieldNumbers) {
                EXPECT_TRUE(numbers.count(member)) << name << " " << rule.Message;
            }
        }
    }
}

TEST_F(DeliveredForms, ClassFieldLayoutsAndTheQuotesOwnFieldsExist)
{
    const auto expectCells = [&](const std::string &form, const std::string &prefix, int rows,
                                 int stride, std::vector<int> columns) {
        for (int row = 0; row < rows; ++row) {
            for (const int column : columns) {
                const std::string name = prefix + IntText(row * stride + column);
                EXPECT_TRUE(forms.at(form).Has(name)) << form << " " << name;
            }
        }
    };
    expectCells("ACORD130", "C", 8, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}); // layout A
    expectCells("ACORD130B", "C", 10, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9}); // layout B
    EXPECT_FALSE(forms.at("ACORD130").Has("C81"));
    EXPECT_FALSE(forms.at("ACORD130B").Has("C91"));
    expectCells("MAPOOL", "C", 4, 6, {1, 2, 3, 4, 5, 6}); // layout C
    expectCells("NJPOOL", "C", 7, 6, {1, 2, 3, 4, 5, 6}); // layout C, 7 rows
    expectCells("NJPOOL", "CCurrent", 7, 6, {1, 3}); // layout D
    for (const std::string form : {"ACORD130", "ACORD130B"}) {
        // The prior years, and what the state variants write.
        for (const char *name :
             {"K2", "K10", "K18", "K26", "K34", "OtherCov1", "Factor4", "Premium4", "OtherCov2",
              "Factor9", "Premium9", "AddCov1", "AddCov2", "AddCov3", "AddCov4", "G26"}) {
            EXPECT_TRUE(forms.at(form).Has(name)) << form << " " << name;
        }
    }
    for (const char *name : {"NJTaxID", "Premium11", "ExtraD1", "ExtraF1", "ExtraP1", "ExtraD2",
                             "ExtraF2", "ExtraP2", "Factor5", "Premium6", "ExtraD3", "ExtraP3"}) {
        EXPECT_TRUE(forms.at("NJPOOL").Has(name)) << name;
    }
    for (const char *name :
         {"Amount1", "Amount2", "Amount3", "Amount4", "Unpaid", "Detail1", "Detail2", "Detail3",
          "Detail4", "Detail6", "Detail7", "Policy7", "TotalPremiums"}) {
        EXPECT_TRUE(forms.at("PFA").Has(name)) << name;
    }
}

TEST_F(DeliveredForms, TheTablesNameTheFormsAndTheirFields)
{
    const std::string data = BuiltProgramFolder() + "Data/";
    TCBDatabase database;
    TCBTable &plans = database.AddTable("WCPLAN.DBF", data, true);
    TCBTable &exports = database.AddTable("WCEXPORT.DBF", data, true);
    TCBTable &finance = database.AddTable("finance.dbf", data, true);

    // Which form each output kind and mapping id fills.
    std::map<std::pair<int32_t, int32_t>, std::string> mapped;
    for (plans.First(); !plans.Eof(); plans.Next()) {
        const std::string acord = Trim(plans.GetString("QOR_Acord"));
        ASSERT_TRUE(forms.count(acord)) << acord;
        const int32_t type = plans.GetInteger("Acord_Type");
        // Layout A for types 1 and 2, layout B for type 3.
        EXPECT_EQ(acord, type == 3 ? "ACORD130B" : "ACORD130");
        mapped[{1, type}] = acord;
        if (plans.GetInteger("Pool_App") != 0) {
            const std::string pool = Trim(plans.GetString("Pool_Name"));
            ASSERT_TRUE(forms.count(pool)) << pool;
            mapped[{4, plans.GetInteger("State_ID")}] = pool;
        }
    }
    mapped[{4, 13}] = "MAPOOL";
    for (finance.First(); !finance.Eof(); finance.Next()) {
        const std::string form = Trim(finance.GetString("App_Name"));
        ASSERT_TRUE(forms.count(form)) << form;
        mapped[{2, finance.GetInteger("ExportID")}] = form;
    }

    std::map<std::string, int> rows;
    for (exports.First(); !exports.Eof(); exports.Next()) {
        const int32_t kind = StrToIntDef(Trim(exports.GetString("ExpType")), 0);
        const int32_t id = StrToIntDef(Trim(exports.GetString("ExpID")), 0);
        if (kind == 5) {
            continue;
        }
        const auto form = mapped.find({kind, id});
        ASSERT_NE(form, mapped.end())
            << "export rows of kind " << kind << " and id " << id << " fill no delivered form";
        const std::string field = Trim(exports.GetString("QORAcord"));
        EXPECT_TRUE(forms.at(form->second).Has(field)) << form->second << " has no " << field;
        ++rows[form->second];
    }
    for (const std::string &form : kForms) {
        EXPECT_GT(rows[form], 15) << form;
    }
}
