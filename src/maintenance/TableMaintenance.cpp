// The maintenance utilities' work on the delivered tables, each change whole or not at all.

#include "maintenance/TableMaintenance.h"

#include "core/Paths.h"
#include "core/States.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"
#include "db/VereDivoDatabase.h"
#include "dbase/Table.h"
#include "rating/ControlInterface.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

std::string MakeTemporaryFolder(const std::string &what)
{
    std::string folder = TempFolder() + "veredivo-" + what + "-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        throw EMaintenanceError("No temporary folder for the tables' copies: " +
                                std::string(std::strerror(errno)));
    }
    return folder + "/";
}

std::string BaseName(const TCBTable &table)
{
    return ChangeFileExt(table.TableName(), "");
}

// A row as the texts of its fields, read and written through the engine's text form (blank
// numbers stay blank, dates and logicals keep their stored characters).
std::vector<std::string> ReadRow(const TCBTable &table)
{
    std::vector<std::string> row;
    dbase::Table &handle = *table.Handle();
    for (const dbase::Field &field : handle.Fields()) {
        row.push_back(handle.GetText(field));
    }
    return row;
}

void AppendRow(TCBTable &table, const std::vector<std::string> &row)
{
    table.AppendBlank();
    dbase::Table &handle = *table.Handle();
    size_t i = 0;
    for (const dbase::Field &field : handle.Fields()) {
        handle.SetText(field, row.at(i++));
    }
}

size_t FieldIndex(const TCBTable &table, const std::string &name)
{
    const auto &fields = table.Handle()->Fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (SameText(fields[i].name, name)) {
            return i;
        }
    }
    throw EMaintenanceError("The table " + table.TableName() + " has no column " + name + ".");
}

std::string StateText(int32_t state)
{
    const std::string abbreviation = StateAbbreviation(state);
    return abbreviation.empty() ? "state " + std::to_string(state) : abbreviation;
}

std::string PlanText(int32_t broker, int32_t state)
{
    return "broker " + std::to_string(broker) + " " + StateText(state);
}

void Call(const TRowHook &hook)
{
    if (hook) {
        hook();
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TTableChange

TTableChange::TTableChange(std::vector<TCBTable *> tables) : m_tables(std::move(tables))
{
    m_backup = MakeTemporaryFolder("backup");
    try {
        for (TCBTable *table : m_tables) {
            table->BeginMaintenance();
            m_begun.push_back(table);
            CopyTableFiles(table->Folder(), BaseName(*table), m_backup);
        }
    } catch (...) {
        Restore();
        throw;
    }
}

TTableChange::~TTableChange()
{
    if (!m_committed) {
        Restore();
    }
}

void TTableChange::Commit()
{
    for (TCBTable *table : m_tables) {
        table->Handle()->Reindex();
        table->Flush();
    }
    m_committed = true;
    for (TCBTable *table : m_begun) {
        table->EndMaintenance();
    }
    std::error_code ignored;
    fs::remove_all(m_backup, ignored);
}

void TTableChange::Restore() noexcept
{
    for (TCBTable *table : m_begun) {
        try {
            table->Close();
        } catch (...) {
            // The copies are put back whatever the close left.
        }
        try {
            CopyTableFiles(m_backup, BaseName(*table), table->Folder());
        } catch (...) { }
        try {
            table->EndMaintenance();
        } catch (...) { }
    }
    m_begun.clear();
    std::error_code ignored;
    fs::remove_all(m_backup, ignored);
}

// ---------------------------------------------------------------------------------------------
// Class files

namespace {

std::string ClassFileKey(int32_t broker, int32_t state, int32_t file)
{
    return KeyNumber(broker) + KeyNumber(state) + KeyNumber(file, 3);
}

// The undeleted rows of a class file, as texts.
std::vector<std::vector<std::string>> ClassFileRows(TCBTable &classes, int32_t broker,
                                                    int32_t state, int32_t file)
{
    std::vector<std::vector<std::string>> rows;
    const std::string key = ClassFileKey(broker, state, file);
    bool found = classes.Seek(key, "PLAN_FILE");
    (void)found;
    while (!classes.Eof() && TextInteger(classes, "Broker_ID") == broker &&
           TextInteger(classes, "State_ID") == state &&
           TextInteger(classes, "Class_File") == file) {
        if (!classes.Deleted()) {
            rows.push_back(ReadRow(classes));
        }
        classes.Next();
    }
    return rows;
}

bool SeekPlan(TCBTable &plans, int32_t broker, int32_t state)
{
    plans.Seek(KeyNumber(broker) + KeyNumber(state), "ID");
    while (!plans.Eof() && TextInteger(plans, "Broker_ID") == broker &&
           TextInteger(plans, "State_ID") == state) {
        if (!plans.Deleted()) {
            return true;
        }
        plans.Next();
    }
    return false;
}

} // namespace

std::vector<TClassFileEntry> ClassFileEntries(TVereDivoDatabase &database, int32_t broker,
                                              int32_t state, int32_t file)
{
    TCBTable &classes = database.Classes();
    std::vector<TClassFileEntry> entries;
    const size_t code = FieldIndex(classes, "C_Code");
    const size_t subCode = FieldIndex(classes, "C_SubCode");
    const size_t phrase = FieldIndex(classes, "C_PHRASE");
    for (const auto &row : ClassFileRows(classes, broker, state, file)) {
        entries.push_back({Trim(row[code]), Trim(row[subCode]), Trim(row[phrase])});
    }
    return entries;
}

std::vector<int32_t> ClassFileNumbers(TVereDivoDatabase &database, int32_t broker, int32_t state)
{
    TCBTable &classes = database.Classes();
    std::vector<int32_t> files;
    classes.Seek(KeyNumber(broker) + KeyNumber(state), "PLAN_FILE");
    while (!classes.Eof() && TextInteger(classes, "Broker_ID") == broker &&
           TextInteger(classes, "State_ID") == state) {
        const int32_t file = TextInteger(classes, "Class_File");
        if (!classes.Deleted() && (files.empty() || files.back() != file)) {
            files.push_back(file);
        }
        classes.Next();
    }
    return files;
}

int32_t AddNewClassFile(TVereDivoDatabase &database, int32_t broker, int32_t state,
                        int32_t fromFile, int32_t newFile, TDateTime effective,
                        TDateTime expiration, const TRowHook &hook)
{
    TCBTable &classes = database.Classes();
    TCBTable &plans = database.Plans();
    const std::string plan = PlanText(broker, state);
    if (newFile != 1 && newFile != 2) {
        throw EMaintenanceError("The plan table holds the dates of class files 1 and 2 only.");
    }
    if (newFile == fromFile) {
        throw EMaintenanceError("Choose a new class file number other than the one copied.");
    }
    if (effective <= 0 || expiration <= effective) {
        throw EMaintenanceError("The class file's expiration date must follow its effective date.");
    }
    if (!SeekPlan(plans, broker, state)) {
        throw EMaintenanceError("There is no plan for " + plan + ".");
    }
    const std::vector<std::vector<std::string>> rows =
        ClassFileRows(classes, broker, state, fromFile);
    if (rows.empty()) {
        throw EMaintenanceError("Class file " + std::to_string(fromFile) + " of " + plan +
                                " has no classes to copy.");
    }
    const size_t existing = ClassFileRows(classes, broker, state, newFile).size();
    if (existing > 0) {
        throw EMaintenanceError("Class file " + std::to_string(newFile) + " of " + plan + " has " +
                                std::to_string(existing) + " classes already.  Delete them first.");
    }

    TTableChange change({&classes, &plans});
    const size_t fileColumn = FieldIndex(classes, "Class_File");
    for (std::vector<std::string> row : rows) {
        row[fileColumn] = std::to_string(newFile);
        AppendRow(classes, row);
        Call(hook);
    }
    if (!SeekPlan(plans, broker, state)) {
        throw EMaintenanceError("There is no plan for " + plan + ".");
    }
    plans.SetDate("Effect_" + std::to_string(newFile), effective);
    plans.SetDate("Exp_" + std::to_string(newFile), expiration);
    change.Commit();
    return static_cast<int32_t>(rows.size());
}

// ---------------------------------------------------------------------------------------------
// Inputs and hazard codes

namespace {

int32_t CountInputs(TCBTable &inputs, int32_t state, int32_t rateSet)
{
    int32_t count = 0;
    inputs.Seek(KeyNumber(state) + KeyNumber(rateSet), "ID_ONLY");
    while (!inputs.Eof() && TextInteger(inputs, "ID") == state &&
           TextInteger(inputs, "ID2") == rateSet) {
        count += inputs.Deleted() ? 0 : 1;
        inputs.Next();
    }
    return count;
}

std::vector<std::vector<std::string>> HazardRows(TCBTable &codes, int32_t broker, int32_t state,
                                                 int32_t period)
{
    std::vector<std::vector<std::string>> rows;
    codes.Seek(KeyNumber(broker) + KeyNumber(state) + KeyNumber(period), "GET_CODES");
    while (!codes.Eof() && TextInteger(codes, "Broker_ID") == broker &&
           TextInteger(codes, "State_ID") == state && TextInteger(codes, "File_ID") == period) {
        if (!codes.Deleted()) {
            rows.push_back(ReadRow(codes));
        }
        codes.Next();
    }
    return rows;
}

} // namespace

int32_t CopyInputs(TVereDivoDatabase &database, int32_t fromState, int32_t fromRateSet,
                   int32_t toState, int32_t toRateSet, const TRowHook &hook)
{
    TCBTable &inputs = database.Inputs();
    TCBTable &entries = database.InputData();
    if (fromState == toState && fromRateSet == toRateSet) {
        throw EMaintenanceError("Choose another state or rate set to copy the inputs to.");
    }
    const int32_t count = CountInputs(inputs, fromState, fromRateSet);
    if (count == 0) {
        throw EMaintenanceError("Rate set " + std::to_string(fromRateSet) + " of " +
                                StateText(fromState) + " has no inputs to copy.");
    }
    const int32_t existing = CountInputs(inputs, toState, toRateSet);
    if (existing > 0) {
        throw EMaintenanceError("Rate set " + std::to_string(toRateSet) + " of " +
                                StateText(toState) + " has " + std::to_string(existing) +
                                " inputs already.");
    }
    TTableChange change({&inputs, &entries});
    TControlInterface::CopyInputSet(inputs, entries, fromState, fromRateSet, toState, toRateSet);
    Call(hook);
    change.Commit();
    return count;
}

int32_t CopyHazardCodes(TVereDivoDatabase &database, int32_t broker, int32_t state,
                        int32_t fromPeriod, int32_t toPeriod, const TRowHook &hook)
{
    TCBTable &codes = database.HazardCodes();
    const std::string plan = PlanText(broker, state);
    if (fromPeriod == toPeriod) {
        throw EMaintenanceError("Choose another rate period to copy the hazard codes to.");
    }
    const auto rows = HazardRows(codes, broker, state, fromPeriod);
    if (rows.empty()) {
        throw EMaintenanceError("Rate period " + std::to_string(fromPeriod) + " of " + plan +
                                " has no hazard codes to copy.");
    }
    const size_t existing = HazardRows(codes, broker, state, toPeriod).size();
    if (existing > 0) {
        throw EMaintenanceError("Rate period " + std::to_string(toPeriod) + " of " + plan +
                                " has " + std::to_string(existing) + " hazard codes already.");
    }
    TTableChange change({&codes});
    const size_t period = FieldIndex(codes, "File_ID");
    for (std::vector<std::string> row : rows) {
        row[period] = std::to_string(toPeriod);
        AppendRow(codes, row);
        Call(hook);
    }
    change.Commit();
    return static_cast<int32_t>(rows.size());
}

// ---------------------------------------------------------------------------------------------
// Deleting classes

int32_t DeleteClassCodes(TVereDivoDatabase &database, int32_t broker, int32_t state, int32_t file,
                         const std::vector<std::pair<std::string, std::string>> &codes,
                         const TRowHook &hook)
{
    TCBTable &classes = database.Classes();
    const std::vector<TClassFileEntry> entries = ClassFileEntries(database, broker, state, file);
    for (const auto &[code, subCode] : codes) {
        bool found = false;
        for (const TClassFileEntry &entry : entries) {
            found = found ||
                (SameText(entry.Code, Trim(code)) && SameText(entry.SubCode, Trim(subCode)));
        }
        if (!found) {
            throw EMaintenanceError("Class " + Trim(code) +
                                    (Trim(subCode).empty() ? "" : " " + Trim(subCode)) +
                                    " is not in class file " + std::to_string(file) + " of " +
                                    PlanText(broker, state) + ".");
        }
    }
    TTableChange change({&classes});
    int32_t marked = 0;
    classes.Seek(ClassFileKey(broker, state, file), "PLAN_FILE");
    while (!classes.Eof() && TextInteger(classes, "Broker_ID") == broker &&
           TextInteger(classes, "State_ID") == state &&
           TextInteger(classes, "Class_File") == file) {
        const std::string code = TrimmedString(classes, "C_Code");
        const std::string subCode = TrimmedString(classes, "C_SubCode");
        for (const auto &[wantedCode, wantedSub] : codes) {
            if (!classes.Deleted() && SameText(code, Trim(wantedCode)) &&
                SameText(subCode, Trim(wantedSub))) {
                classes.Delete();
                ++marked;
                Call(hook);
            }
        }
        classes.Next();
    }
    change.Commit();
    return marked;
}

// ---------------------------------------------------------------------------------------------
// The setup file

namespace {

// The rate tables a setup carries; the agent's customer tables and sub-classes never go.
const char *const RateTables[] = {"WCPLAN.DBF",   "WCCLASS.DBF",  "WCINPUTS.DBF", "INP_DATA.DBF",
                                  "WCPREM.DBF",   "PREMIUMS.DBF", "HAZ_CODE.DBF", "OUTPUT.DBF",
                                  "WCDOCS.DBF",   "WCKEYS.DBF",   "WCBROKER.DBF", "WCEXPORT.DBF",
                                  "MISCFACT.DBF", "WCDOWN.DBF",   "tierprem.dbf", "PREMDISC.DBF",
                                  "wccalc.dbf",   "finance.dbf",  "finitems.dbf", "web_link.dbf"};
const char *const DataFiles[] = {"About.ini", "MAApp.dat"};

uint32_t FileCrc(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    uLong crc = crc32(0L, Z_NULL, 0);
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        crc = crc32(crc, reinterpret_cast<const Bytef *>(buffer), static_cast<uInt>(in.gcount()));
    }
    return static_cast<uint32_t>(crc);
}

// Whether a row belongs to the broker and state (state 0: any state); rows of tables without
// such columns all belong.
bool RowBelongs(const TCBTable &table, int32_t broker, int32_t state)
{
    const dbase::Table &handle = *table.Handle();
    const auto number = [&](const char *name) -> std::optional<int32_t> {
        const dbase::Field *field = handle.FindField(name);
        if (!field) {
            return std::nullopt;
        }
        int32_t value = 0;
        return TryStrToInt(Trim(handle.GetText(*field)), value) ? std::optional(value)
                                                                : std::optional(-1);
    };
    if (const auto rowBroker = number("Broker_ID"); rowBroker && *rowBroker != broker) {
        return false;
    }
    if (state == 0) {
        return true;
    }
    std::optional<int32_t> rowState = number("State_ID");
    if (!rowState &&
        (SameText(table.TableName(), "WCINPUTS.DBF") ||
         SameText(table.TableName(), "INP_DATA.DBF"))) {
        rowState = number("ID");
    }
    return !rowState || *rowState == state;
}

} // namespace

std::vector<std::string> PrepareSetupFile(const std::string &dataFolder, int32_t state,
                                          int32_t broker, const std::string &destination,
                                          const TRowHook &hook)
{
    const std::string target = IncludeTrailingSlash(destination);
    std::vector<std::string> tables;
    for (const char *name : RateTables) {
        const std::string path = ResolveFileName(dataFolder + name);
        if (FileExists(path)) {
            tables.push_back(ExtractFileName(path));
        }
    }
    if (tables.empty()) {
        throw EMaintenanceError("The data folder " + dataFolder + " holds no rate tables.");
    }
    const bool existed = DirectoryExists(target);
    if (existed) {
        std::vector<std::string> ours = tables;
        ours.insert(ours.end(), std::begin(DataFiles), std::end(DataFiles));
        ours.emplace_back("manifest.txt");
        for (const auto &entry : fs::directory_iterator(target)) {
            const std::string found = entry.path().filename().string();
            for (const std::string &name : ours) {
                if (SameText(found, name) ||
                    (SameText(ChangeFileExt(found, ""), ChangeFileExt(name, "")) &&
                     SameText(ExtractFileExt(name), ".dbf"))) {
                    throw EMaintenanceError("The folder " + target + " holds " + found +
                                            " already.  Choose an empty folder.");
                }
            }
        }
    }

    // Made in a folder of its own beside the target and moved in at the end.
    const std::string work = MakeTemporaryFolder("setup");
    const auto cleanUp = [&work] {
        std::error_code ignored;
        fs::remove_all(work, ignored);
    };
    std::vector<std::string> manifest;
    std::vector<std::string> copied;
    try {
        TCBDatabase database;
        for (const std::string &name : tables) {
            CopyTableFiles(dataFolder, ChangeFileExt(name, ""), work);
            TTableRegistration table(database, name, work, true);
            table->BeginMaintenance();
            for (table->First(); !table->Eof(); table->Next()) {
                if (!table->Deleted() && !RowBelongs(table.Table(), broker, state)) {
                    table->Delete();
                    Call(hook);
                }
            }
            table->Pack();
            table->EndMaintenance();
            table->Close();
        }
        for (const char *name : DataFiles) {
            const std::string path = ResolveFileName(dataFolder + name);
            if (FileExists(path)) {
                fs::copy_file(path, work + ExtractFileName(path));
            }
        }

        const std::string abbreviation = StateAbbreviation(state);
        manifest.push_back("Veredivo setup data");
        manifest.push_back("Broker: " + std::to_string(broker));
        manifest.push_back("State: " +
                           (state == 0                 ? std::string("all")
                                : abbreviation.empty() ? std::to_string(state)
                                                       : abbreviation));
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(work)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        for (const std::string &name : names) {
            const std::string path = work + name;
            std::string line = name + "\t" + std::to_string(FileSize(path)) + " bytes";
            if (SameText(ExtractFileExt(name), ".dbf")) {
                TTableRegistration table(database, name, work, true);
                line += "\t" + std::to_string(table->RecordCount()) + " records";
            }
            char crc[16];
            std::snprintf(crc, sizeof crc, "%08x", FileCrc(path));
            manifest.push_back(line + "\tcrc32 " + crc);
        }
        std::ofstream out(work + "manifest.txt", std::ios::binary);
        for (const std::string &line : manifest) {
            out << line << "\r\n";
        }
        out.close();
        if (!out) {
            throw EMaintenanceError("The manifest cannot be written.");
        }

        if (!ForceDirectories(target)) {
            throw EMaintenanceError("The folder " + target + " cannot be made.");
        }
        for (const auto &entry : fs::directory_iterator(work)) {
            const std::string path = target + entry.path().filename().string();
            fs::copy_file(entry.path(), path);
            copied.push_back(path);
            Call(hook);
        }
    } catch (...) {
        cleanUp();
        // Nothing half-written stays: the files this call put there go again.
        std::error_code ignored;
        for (const std::string &path : copied) {
            fs::remove(path, ignored);
        }
        if (!existed) {
            fs::remove_all(target, ignored);
        }
        throw;
    }
    cleanUp();
    return manifest;
}
