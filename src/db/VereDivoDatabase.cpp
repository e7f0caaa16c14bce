#include "db/VereDivoDatabase.h"

#include "core/Paths.h"

TVereDivoDatabase::TVereDivoDatabase(const std::string &dataFolder)
    : m_dataFolder(IncludeTrailingSlash(dataFolder))
{
    Initialize();
}

TVereDivoDatabase::~TVereDivoDatabase()
{
    for (TCBTable *table : {m_plans, m_classes, m_inputs, m_inputData, m_brokers, m_hazardCodes,
                            m_planKeys, m_exports, m_miscFactors}) {
        if (table == nullptr) {
            continue;
        }
        try {
            table->Close();
        } catch (const ECBDBError &) {
            // Closing cannot be reported from here; the holder lets the table go.
        }
    }
}

void TVereDivoDatabase::RegisterTables()
{
    m_plans = &AddTable("WCPLAN.DBF", m_dataFolder, true);
    m_classes = &AddTable("WCCLASS.DBF", m_dataFolder, true);
    m_inputs = &AddTable("WCINPUTS.DBF", m_dataFolder, true);
    m_inputData = &AddTable("INP_DATA.DBF", m_dataFolder, true);
    m_brokers = &AddTable("WCBROKER.DBF", m_dataFolder, true);
    m_hazardCodes = &AddTable("HAZ_CODE.DBF", m_dataFolder, true);
    m_planKeys = &AddTable("WCKEYS.DBF", m_dataFolder, true);
    m_exports = &AddTable("WCEXPORT.DBF", m_dataFolder, true);
    m_miscFactors = &AddTable("MISCFACT.DBF", m_dataFolder, true);
}
