#pragma once

#include "core/Dates.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class TCBTable;
class TVereDivoDatabase;

// A maintenance operation that cannot be done as asked (a class file that exists already, no
// rows to copy); the message is the user's. Failures of the tables themselves stay ECBDBError.
class EMaintenanceError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Called after every row an operation writes; tests throw from it to interrupt the operation
// halfway.
using TRowHook = std::function<void()>;

// A change of delivered tables made whole or not at all. The tables are reopened for this
// process alone and their files copied aside; Commit rebuilds their tags and makes them
// durable. Without Commit (an error on the way) the files are put back as they were and the
// tables reopened as before.
class TTableChange
{
public:
    explicit TTableChange(std::vector<TCBTable *> tables);
    ~TTableChange();
    TTableChange(const TTableChange &) = delete;
    TTableChange &operator=(const TTableChange &) = delete;

    void Commit();

private:
    void Restore() noexcept;

    std::vector<TCBTable *> m_tables;
    std::vector<TCBTable *> m_begun;
    std::string m_backup;
    bool m_committed = false;
};

// "Add New Class File": the classes of class file `fromFile` of a plan copied as class file
// `newFile` (1 or 2, the class files the plan table dates), and the plan's dates of that file
// set. The new file must have no classes yet. Returns the number of classes copied.
int32_t AddNewClassFile(TVereDivoDatabase &database, int32_t broker, int32_t state,
                        int32_t fromFile, int32_t newFile, TDateTime effective,
                        TDateTime expiration, const TRowHook &hook = {});

// "Copy Inputs": the rating inputs and their list entries of a state and rate set copied to
// another state and rate set, which must have none. Returns the number of inputs copied.
int32_t CopyInputs(TVereDivoDatabase &database, int32_t fromState, int32_t fromRateSet,
                   int32_t toState, int32_t toRateSet, const TRowHook &hook = {});

// "Copy Hazard Codes": the hazard codes of a plan's rate period copied to another rate period,
// which must have none. Returns the number of codes copied.
int32_t CopyHazardCodes(TVereDivoDatabase &database, int32_t broker, int32_t state,
                        int32_t fromPeriod, int32_t toPeriod, const TRowHook &hook = {});

// One class of a class file: code and sub-code as stored, trimmed, and its phrase.
struct TClassFileEntry
{
    std::string Code;
    std::string SubCode;
    std::string Phrase;
};
// The classes of a plan's class file that are not marked deleted, in table order.
std::vector<TClassFileEntry> ClassFileEntries(TVereDivoDatabase &database, int32_t broker,
                                              int32_t state, int32_t file);
// The class file numbers a plan has classes in.
std::vector<int32_t> ClassFileNumbers(TVereDivoDatabase &database, int32_t broker, int32_t state);

// "Delete Class Codes": the chosen classes (code, sub-code) of a plan's class file marked
// deleted. Every one must be there. Returns the number of rows marked.
int32_t DeleteClassCodes(TVereDivoDatabase &database, int32_t broker, int32_t state, int32_t file,
                         const std::vector<std::pair<std::string, std::string>> &codes,
                         const TRowHook &hook = {});

// "Prepare Setup File": the rate tables of the data folder, with only the rows of the broker
// and state (state 0: every state), written into `destination` (created; it must not hold any
// of the files) with their tags rebuilt, the data files beside them ("About.ini", "MAApp.dat")
// and "manifest.txt" naming every file with its size, record count and CRC-32. Written whole or
// not at all. Returns the manifest's lines.
std::vector<std::string> PrepareSetupFile(const std::string &dataFolder, int32_t state,
                                          int32_t broker, const std::string &destination,
                                          const TRowHook &hook = {});
