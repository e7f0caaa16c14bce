#pragma once

#include <string>
#include <vector>

// One row of the state table offered by the new-quote state choice (one per broker and state).
struct TStateRow
{
    bool Active = false;
    std::string Broker_ID;
    std::string State_ID;
    std::string State_Name;
};

// The state table as the state choice sees it; the plan table of the data folder provides it.
class TStateTable
{
public:
    virtual ~TStateTable() = default;

    // Every row, in table order.
    virtual std::vector<TStateRow> Rows() = 0;
    // Sets every row's Active flag, of every broker, to whether its trimmed State_ID is one of
    // `stateIDs`.
    virtual void SetActiveStates(const std::vector<std::string> &stateIDs) = 0;
};
