#pragma once

#include "storage/StateTable.h"

class TCBTable;

// The state table over the plan table (WCPLAN.DBF) of the table set, in record order; rows
// marked deleted are left out.
class TPlanStateTable final : public TStateTable
{
public:
    explicit TPlanStateTable(TCBTable &plans) : m_plans(plans) { }

    std::vector<TStateRow> Rows() override;
    void SetActiveStates(const std::vector<std::string> &stateIDs) override;

private:
    TCBTable &m_plans;
};
