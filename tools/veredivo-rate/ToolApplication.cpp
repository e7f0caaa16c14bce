#include "ToolApplication.h"

#include <iostream>

TToolApplication::TToolApplication(const std::string &programFolder, bool logToStandardError)
    : m_programFolder(programFolder), m_log(logToStandardError), m_database(programFolder + "Data/")
{ }

void TToolApplication::Log(const std::string &line)
{
    if (m_log) {
        std::cerr << line << "\n";
    }
}

bool TToolApplication::SaveQuote(TVereDivoQuote &)
{
    return false; // the command keeps no quote store
}

int32_t TToolApplication::StoredPlan(int32_t, int32_t def)
{
    return def;
}

void TToolApplication::LoadCustomer(TVereDivoQuote &) { }
