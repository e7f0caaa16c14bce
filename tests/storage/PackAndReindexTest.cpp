// "&Pack and Reindex Data" repairs what stops the program: a lost or damaged production index of
// a quote table or of a delivered table is rebuilt from the table's known tags, every stored
// quote opens as it was saved, and the program's tables open again.

#include "StoreFixture.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "db/KnownTags.h"
#include "db/VereDivoDatabase.h"
#include "dbase/Table.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

#include "support/DamagedIndex.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Every record of a table, deletion flag first, in record order.
std::vector<std::string> Records(const std::string &path)
{
    dbase::Context context;
    context.SetAutoOpen(false);
    auto table = dbase::Table::Open(context, path);
    std::vector<std::string> records;
    for (table->Top(); !table->Eof(); table->Skip()) {
        records.emplace_back(table->RecordBytes());
    }
    return records;
}

class PackAndReindex : public ProgramFolderTest
{
protected:
    // Two customers with a quote each; the totals by quote ID.
    std::map<int32_t, int32_t> SaveTwoQuotes(const std::string &company = "Acme Roofing")
    {
        std::map<int32_t, int32_t> totals;
        const auto info = OpenProgram();
        for (int n = 0; n < 2; ++n) {
            auto quote = NewQuote(*info, "MA");
            quote->Add("5645", 100000 + n * 1000, 3);
            quote->Add("8810", 50000, 1);
            quote->Quote->Customer().SetCompany(company + " " + IntText(n));
            quote->Quote->Customer().SetFirstName("Ann");
            quote->Quote->QuoteInfo().SetDescription("Office");
            quote->Quote->CalculatePremium();
            EXPECT_TRUE(info->QuoteDB().SaveQuote(*quote->Quote));
            totals[quote->Quote->QuoteId] = quote->Quote->Results.TotalPremium;
        }
        return totals;
    }

    void ExpectQuotes(TVereDivoAppInfo &info, const std::map<int32_t, int32_t> &totals,
                      size_t customers = 2)
    {
        for (const auto &[id, total] : totals) {
            const auto reopened = ReopenQuote(info, id);
            ASSERT_TRUE(reopened->Quote->CalculatePremium());
            EXPECT_EQ(reopened->Quote->Results.TotalPremium, total) << "quote " << id;
            EXPECT_EQ(reopened->Lines().size(), 2u);
        }
        EXPECT_EQ(info.QuoteDB().CustDBO().ListCustomers().size(), customers);
    }

    // Every table of the folder in step with its tags.
    void ExpectTablesInStep(const std::string &folder)
    {
        for (const std::string &name : FilesWithExtension(folder, ".DBF")) {
            dbase::Context context;
            auto table = dbase::Table::Open(context, folder + name);
            EXPECT_EQ(table->Check(), std::vector<std::string> {}) << name;
            ASSERT_NE(KnownIndexTags(name), nullptr) << name;
            EXPECT_EQ(table->Index()->Specs().size(), KnownIndexTags(name)->size()) << name;
        }
    }
};

} // namespace

TEST_F(PackAndReindex, EveryDamagedIndexOfAQuoteOrDeliveredTableIsRebuiltWithTheDataKept)
{
    const std::map<int32_t, int32_t> totals = SaveTwoQuotes();
    const std::string data = Program("Data/");
    std::map<std::string, std::string> saved;
    for (const auto &entry : std::filesystem::directory_iterator(data)) {
        saved[entry.path().filename().string()] =
            dir.ReadFile("program/Data/" + entry.path().filename().string());
    }
    const std::vector<std::string> classRows = Records(data + "CUSTWCCL.DBF");
    const std::vector<std::string> planRows = Records(data + "WCPLAN.DBF");
    for (const TIndexDamage &damage : IndexDamages()) {
        SCOPED_TRACE("index " + damage.What);
        for (const auto &[name, bytes] : saved) {
            dir.WriteFile("program/Data/" + name, bytes);
        }
        damage.Apply(data + "CUSTWCCL.MDX");
        damage.Apply(data + "WCPLAN.MDX");

        TVereDivoAppInfo info("veredivo");
        if (damage.What != "cut inside its tree") {
            EXPECT_THROW(info.OpenData(), ECBDBError); // the program cannot start on them
        }
        info.PackAndReindexData();
        ASSERT_NE(info.Database(), nullptr);
        EXPECT_EQ(Records(data + "CUSTWCCL.DBF"), classRows);
        EXPECT_EQ(Records(data + "WCPLAN.DBF"), planRows);
        ExpectQuotes(info, totals);
        ExpectTablesInStep(data);
    }
}

TEST_F(PackAndReindex, WithTheQuotesElsewhereTheDataFolderIsRepairedButNotPacked)
{
    ForceDirectories(dir.File("quotes/"));
    for (const std::string &name : TVereDivoCustDBO::TableNames()) {
        CopyTableFiles(Program("Data/"), name, dir.File("quotes/"));
    }
    dir.WriteFile("settings/veredivo.ini",
                  "[QuotePath]\nUseAltQuotePath=1\nAlternateQuotePath=" + dir.File("quotes") +
                      "\n");
    const std::map<int32_t, int32_t> totals = SaveTwoQuotes();
    {
        // A quote marked deleted goes with the pack; a class row marked in the data folder stays.
        const auto info = OpenProgram();
        info->QuoteDB().CustDBO().DeleteQuote(totals.begin()->first);
        TCBTable &classes = info->Tables().Classes();
        classes.SelectTag("");
        classes.First();
        classes.Delete();
        classes.Flush();
    }
    const std::vector<std::string> classRows = Records(Program("Data/WCCLASS.DBF"));
    ASSERT_EQ(classRows.front()[0], '*');
    for (const TIndexDamage &damage : IndexDamages()) {
        if (damage.What == "cut inside its tree") {
            continue; // it opens: the data folder is not packed, so nothing touches it
        }
        SCOPED_TRACE("index " + damage.What);
        damage.Apply(Program("Data/WCCLASS.MDX"));
        TVereDivoAppInfo info("veredivo");
        EXPECT_THROW(info.OpenData(), ECBDBError);
        info.PackAndReindexData();
        ASSERT_NE(info.Database(), nullptr);
        EXPECT_EQ(Records(Program("Data/WCCLASS.DBF")), classRows);
        ExpectQuotes(info, {*std::next(totals.begin())});
        EXPECT_EQ(info.QuoteDB().CustDBO().Classes().RecordCount(), 2);
        ExpectTablesInStep(dir.File("quotes/"));
    }
}
