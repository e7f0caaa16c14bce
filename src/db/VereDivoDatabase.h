#pragma once

// The program's table set: one engine context for every table, with the nine rate tables of
// the data folder registered and opened at creation. The rate book and the customer store
// register their own tables in it.

#include "db/CBDatabase.h"

#include <string>

class TVereDivoDatabase final : public TCBDatabase
{
public:
    // Raises ECBDBError when one of the nine tables is missing or does not open.
    explicit TVereDivoDatabase(const std::string &dataFolder);
    ~TVereDivoDatabase() override;

    const std::string &DataFolder() const { return m_dataFolder; }

    TCBTable &Plans() const { return *m_plans; } // WCPLAN.DBF
    TCBTable &Classes() const { return *m_classes; } // WCCLASS.DBF
    TCBTable &Inputs() const { return *m_inputs; } // WCINPUTS.DBF
    TCBTable &InputData() const { return *m_inputData; } // INP_DATA.DBF
    TCBTable &Brokers() const { return *m_brokers; } // WCBROKER.DBF
    TCBTable &HazardCodes() const { return *m_hazardCodes; } // HAZ_CODE.DBF
    TCBTable &PlanKeys() const { return *m_planKeys; } // WCKEYS.DBF
    TCBTable &Exports() const { return *m_exports; } // WCEXPORT.DBF
    TCBTable &MiscFactors() const { return *m_miscFactors; } // MISCFACT.DBF

protected:
    void RegisterTables() override;

private:
    std::string m_dataFolder;
    TCBTable *m_plans = nullptr;
    TCBTable *m_classes = nullptr;
    TCBTable *m_inputs = nullptr;
    TCBTable *m_inputData = nullptr;
    TCBTable *m_brokers = nullptr;
    TCBTable *m_hazardCodes = nullptr;
    TCBTable *m_planKeys = nullptr;
    TCBTable *m_exports = nullptr;
    TCBTable *m_miscFactors = nullptr;
};
