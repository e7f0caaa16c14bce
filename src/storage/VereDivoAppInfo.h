#pragma once

#include "core/AppInfo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TQuoteApplication;
class TVereDivoDatabase;
class TVereDivoQuoteDBInterface;
struct TAgencyAddress;
struct TChoiceList;

// The application information object: the program's folders and settings files, worked out
// when it is created, the active state, the customer numbers and quote IDs it hands out, the
// table set, the quote persistence and what a quote needs of the program. The main window
// creates the one instance and frees it at program end.
class TVereDivoAppInfo : public TAppInfo
{
public:
    // `programName` names the settings files (default: the running program's file name); the
    // program's tools pass "veredivo" to work on the program's folders.
    explicit TVereDivoAppInfo(const std::string &programName = {});
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
    // The settings file of the program (agency profile, debug option): program folder +
    // program name + ".ini", or the user's copy when that folder cannot be written (see
    // ProgramSettingsFile).
    const std::string &ProgramSettingsFile() const { return m_programSettingsFile; }

    // Reads the active state from the data folder's "About.ini", then opens the table set on
    // the data folder (raising ECBDBError when one of its tables is missing or broken; the
    // active state is read all the same).
    void OpenData();
    // The program's one table set; nullptr until OpenData has opened it.
    TVereDivoDatabase *Database() const { return m_database.get(); }
    // The open table set; raises ECBDBError when the data could not be opened.
    TVereDivoDatabase &Tables() const;
    // [Detail] Active_State of the data folder's "About.ini", trimmed; empty until OpenData.
    const std::string &ActiveState() const { return m_activeState; }

    // The next number from the quote folder's "datainfo.ini" ([General] LastCustID and
    // LastQuoteID), written back at once: 1 for an empty folder. `above`: a number known to be
    // taken, which the result then exceeds.
    int32_t NextCustomerNumber(int32_t above = 0);
    int32_t NextQuoteID(int32_t above = 0);
    // The number Next... would give, without counting it: a save takes it with the rest of its
    // transaction and counts it (CountNumbers) once it is stored.
    int32_t PendingCustomerNumber(int32_t above = 0) const;
    int32_t PendingQuoteID(int32_t above = 0) const;
    // Counts the numbers as given (0: none); a counter never goes back.
    void CountNumbers(int32_t customerNumber, int32_t quoteID);

    // The quote persistence of the program, with its customer store.
    TVereDivoQuoteDBInterface &QuoteDB() const { return *m_quoteDB; }
    // What a quote needs of the program: these folders, the table set, this log, the quote
    // store and the agency's address.
    TQuoteApplication &QuoteApplication() const { return *m_quoteApplication; }
    // Where the agency's address comes from (the main window owns the agency profile); without
    // a source the address is empty.
    void SetAgencySource(std::function<TAgencyAddress()> source);
    TAgencyAddress Agency() const;

    // "&Pack and Reindex Data" (every other user must have left the folders): closes the tables,
    // repairs the record counts of every table of the quote folder and packs each one with its
    // tags rebuilt (a lost or damaged index built anew from the table's known tags); a table of
    // the data folder whose index cannot be opened gets it rebuilt too. Then the table set is
    // opened again, also when it could not be opened before. Raises ECBDBError on a table that
    // cannot be repaired (the others are done and the tables opened as far as they open).
    void PackAndReindexData();

    // The broker list and the state list of the plans (each state once), first item selected.
    void FillBrokerAndStateLists(TChoiceList &brokers, TChoiceList &states) const;

protected:
    std::string ApplicationPath() const override { return m_programFolder; }
    std::string DataPath() const override { return m_dataFolder; }

private:
    void ResolveFolders(const std::string &programName);
    int32_t NextNumber(const char *key, int32_t above);
    int32_t PendingNumber(const char *key, int32_t above) const;

    std::string m_programFolder;
    std::string m_dataFolder;
    std::string m_quoteFolder;
    std::string m_acordFolder;
    std::string m_settingsIni;
    std::string m_programSettingsFile;
    std::string m_activeState;
    std::function<TAgencyAddress()> m_agencySource;
    // The store's tables live in the table set: the store goes first.
    std::unique_ptr<TVereDivoDatabase> m_database;
    std::unique_ptr<TVereDivoQuoteDBInterface> m_quoteDB;
    std::unique_ptr<TQuoteApplication> m_quoteApplication;
};
