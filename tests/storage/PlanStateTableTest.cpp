#include "storage/PlanStateTable.h"

#include "db/CBDatabase.h"
#include "dbase/Table.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Row
{
    std::string broker;
    std::string state;
    std::string name;
    bool active;
    bool deleted = false;
};

void MakePlanTable(const std::string &path, const std::vector<Row> &rows)
{
    dbase::Context context;
    auto table = dbase::Table::Create(context, path,
                                      {{"Broker_ID", 'C', 6, 0},
                                       {"State_ID", 'C', 6, 0},
                                       {"State_Name", 'C', 30, 0},
                                       {"Active", 'L', 0, 0},
                                       {"Down", 'N', 6, 2}},
                                      {{"PLAN", "BROKER_ID+STATE_ID"}});
    for (const Row &row : rows) {
        table->AppendBlank();
        table->SetText(table->FieldByName("BROKER_ID"), row.broker);
        table->SetText(table->FieldByName("STATE_ID"), row.state);
        table->SetText(table->FieldByName("STATE_NAME"), row.name);
        table->SetLogical(table->FieldByName("ACTIVE"), row.active);
        if (row.deleted) {
            table->Delete();
        }
    }
    table->Close();
}

using Flat = std::tuple<bool, std::string, std::string, std::string>;

std::vector<Flat> Flatten(const std::vector<TStateRow> &rows)
{
    std::vector<Flat> flat;
    for (const TStateRow &row : rows) {
        flat.emplace_back(row.Active, row.Broker_ID, row.State_ID, row.State_Name);
    }
    return flat;
}

} // namespace

TEST(PlanStateTable, RowsInRecordOrderWithoutDeletedOnes)
{
    ScratchFolder dir;
    MakePlanTable(dir.File("WCPLAN.DBF"),
                  {{"5", "15", "New Jersey", true},
                   {"1", "13", "Massachusetts", true},
                   {"1", "14", "New York", false, true},
                   {"1", "15", "New Jersey", false}});
    TCBDatabase database;
    TCBTable &plans = database.AddTable("WCPLAN.DBF", dir.Path(), true);
    plans.SelectTag("PLAN");
    TPlanStateTable table(plans);
    EXPECT_EQ(
        Flatten(table.Rows()),
        (std::vector<Flat> {{true, "5     ", "15    ", "New Jersey" + std::string(20, ' ')},
                            {true, "1     ", "13    ", "Massachusetts" + std::string(17, ' ')},
                            {false, "1     ", "15    ", "New Jersey" + std::string(20, ' ')}}));
    ASSERT_NE(plans.Handle()->SelectedTag(), nullptr) << "the reader's tag comes back";
    EXPECT_TRUE(plans.Seek("1     15    "));
}

TEST(PlanStateTable, ChoosingActiveStatesRewritesEveryBrokersRows)
{
    ScratchFolder dir;
    MakePlanTable(dir.File("WCPLAN.DBF"),
                  {{"1", "13", "Massachusetts", false},
                   {"1", "14", "New York", true},
                   {"5", "13", "Massachusetts", false},
                   {"1", "15", "New Jersey", true, true}});
    {
        TCBDatabase database;
        TPlanStateTable table(database.AddTable("WCPLAN.DBF", dir.Path(), true));
        table.SetActiveStates({"13 ", "15"});
    }
    TCBDatabase reopened;
    TCBTable &plans = reopened.AddTable("WCPLAN.DBF", dir.Path(), true);
    std::vector<bool> active;
    for (plans.First(); !plans.Eof(); plans.Next()) {
        active.push_back(plans.GetBoolean("Active"));
    }
    // The deleted row is left as it was.
    EXPECT_EQ(active, (std::vector<bool> {true, false, true, true}));
}

TEST(PlanStateTable, AClosedTableIsAnError)
{
    ScratchFolder dir;
    MakePlanTable(dir.File("WCPLAN.DBF"), {});
    TCBDatabase database;
    TPlanStateTable table(database.AddTable("WCPLAN.DBF", dir.Path(), false));
    EXPECT_THROW(table.Rows(), ECBDBError);
}
