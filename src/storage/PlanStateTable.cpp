#include "storage/PlanStateTable.h"

#include "core/Text.h"
#include "db/CBDatabase.h"

#include "dbase/Table.h"

#include <algorithm>

namespace {

// Walks the table in record order and gives the other readers of the plan table their tag
// back afterwards.
class RecordOrder
{
public:
    explicit RecordOrder(TCBTable &table)
        : m_table(table), m_tag(table.Active() ? table.Handle()->SelectedTag() : nullptr)
    {
        m_table.SelectTag(""); // raises ECBDBError for a closed table
    }
    ~RecordOrder()
    {
        if (m_table.Active()) {
            m_table.Handle()->SelectTag(m_tag);
        }
    }
    RecordOrder(const RecordOrder &) = delete;
    RecordOrder &operator=(const RecordOrder &) = delete;

private:
    TCBTable &m_table;
    dbase::Tag *m_tag;
};

} // namespace

std::vector<TStateRow> TPlanStateTable::Rows()
{
    std::vector<TStateRow> rows;
    const RecordOrder order(m_plans);
    for (m_plans.First(); !m_plans.Eof(); m_plans.Next()) {
        if (m_plans.Deleted()) {
            continue;
        }
        rows.push_back({m_plans.GetBoolean("Active"), m_plans.GetString("Broker_ID"),
                        m_plans.GetString("State_ID"), m_plans.GetString("State_Name")});
    }
    return rows;
}

void TPlanStateTable::SetActiveStates(const std::vector<std::string> &stateIDs)
{
    std::vector<std::string> wanted;
    for (const std::string &id : stateIDs) {
        wanted.push_back(Trim(id));
    }
    const RecordOrder order(m_plans);
    for (m_plans.First(); !m_plans.Eof(); m_plans.Next()) {
        if (m_plans.Deleted()) {
            continue;
        }
        const std::string id = Trim(m_plans.GetString("State_ID"));
        m_plans.SetBoolean("Active", std::find(wanted.begin(), wanted.end(), id) != wanted.end());
    }
    m_plans.Flush();
}
