#include "storage/PlanStateTable.h"

#include "core/AppInfo.h"
#include "core/Text.h"
#include "db/CBDatabase.h"

#include <algorithm>
#include <string>

namespace {

// Walks the table in record order and gives the other readers of the plan table their tag
// back afterwards.
class RecordOrder
{
public:
    explicit RecordOrder(TCBTable &table) : m_table(table), m_tag(table.SelectedTag())
    {
        m_table.SelectTag(""); // raises ECBDBError for a closed table
    }
    ~RecordOrder()
    {
        if (!m_table.Active()) {
            return;
        }
        try {
            m_table.SelectTag(m_tag);
        } catch (const std::exception &error) {
            // Unwinding may be under way: the walk's result stands, the next seek names its tag.
            AppLogLine("Plan table - tag " + m_tag + " not restored - " + error.what());
        }
    }
    RecordOrder(const RecordOrder &) = delete;
    RecordOrder &operator=(const RecordOrder &) = delete;

private:
    TCBTable &m_table;
    std::string m_tag;
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
