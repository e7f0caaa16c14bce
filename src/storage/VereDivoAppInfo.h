#pragma once

#include "core/AppInfo.h"

#include <cstdint>
#include <memory>
#include <string>

class TVereDivoDatabase;

// The application information object: the program's folders and settings files, worked out
// when it is created, the active state, and the customer numbers and quote IDs it hands out.
// The main window creates the one instance and frees it at program end.
class TVereDivoAppInfo : public TAppInfo
{
public:
    TVereDivoAppInfo();
    ~TVereDivoAppInfo() override;

    // Folders, each with a trailing "/". Data, quote and ACORD folder may be moved by the
    // sections "DataPath", "QuotePath" and "ACORDPath" of SettingsIni(); a relative alternate
    // path is taken from the program folder.
    const std::string &ProgramFolder() const { return m_programFolder; }
    const std::string &DataFolder() const { return m_dataFolder; }
    const std::string &QuoteFolder() const { return m_quoteFolder; }
    const std::string &ACORDFolder() const { return m_acordFolder; }
    // The folder settings: the per-user settings folder + program name + ".ini".
    const std::string &SettingsIni() const { return m_settingsIni; }
    // The settings file beside the program (agency profile, debug option): program folder +
    // program name + ".ini".
    const std::string &ProgramSettingsFile() const { return m_programSettingsFile; }

    // Reads the active state from the data folder's "About.ini", then opens the table set on
    // the data folder (raising ECBDBError when one of its tables is missing or broken; the
    // active state is read all the same).
    void OpenData();
    // The program's one table set; nullptr until OpenData has opened it.
    TVereDivoDatabase *Database() const { return m_database.get(); }
    // [Detail] Active_State of the data folder's "About.ini", trimmed; empty until OpenData.
    const std::string &ActiveState() const { return m_activeState; }

    // The next number from the quote folder's "datainfo.ini" ([General] LastCustID and
    // LastQuoteID), written back at once: 1 for an empty folder.
    int32_t NextCustomerNumber();
    int32_t NextQuoteID();

private:
    void ResolveFolders();
    int32_t NextNumber(const char *key);

    std::string m_programFolder;
    std::string m_dataFolder;
    std::string m_quoteFolder;
    std::string m_acordFolder;
    std::string m_settingsIni;
    std::string m_programSettingsFile;
    std::string m_activeState;
    std::unique_ptr<TVereDivoDatabase> m_database;
};
