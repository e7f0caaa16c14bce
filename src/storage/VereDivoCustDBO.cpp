#include "storage/VereDivoCustDBO.h"

#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/CBJournal.h"
#include "db/TableValues.h"
#include "rating/VereDivoClass.h"
#include "storage/records/CustInfo.h"
#include "storage/records/QuoteInfo.h"

#include <algorithm>
#include <cmath>

namespace {

// Key parts: a quote ID is padded to 10, a customer number right-aligned in 10 in the customer
// table and padded to 10 in the header table.
std::string QuoteKey(int32_t quoteID)
{
    return KeyNumber(quoteID, 10);
}

// A text key part at the width of its column: padded, or cut as the column cuts it.
std::string KeyPart(const std::string &text, size_t width)
{
    return PadRight(Trim(text), width).substr(0, width);
}

std::string CustomerKey(int32_t customerNumber)
{
    return KeyNumberRightAligned(customerNumber, 10);
}

// The header tag takes the first 6 characters of the padded quote ID.
std::string HeaderKey(int32_t customerNumber, int32_t quoteID)
{
    return KeyNumber(customerNumber, 10) + QuoteKey(quoteID).substr(0, 6);
}

// The agent's stored rows are read whatever one of them holds: a number that does not read
// counts as none.
int32_t NumberIn(const TCBTable &table, const std::string &field)
{
    return TextIntegerOr(table, field, 0);
}

// Seeks the key and passes over marked rows.
bool SeekLive(TCBTable &table, const std::string &key, const std::string &tag)
{
    bool found = table.Seek(key, tag);
    while (found && table.Deleted()) {
        found = table.SeekNext(key);
    }
    return found;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Registration

const std::vector<std::string> &TVereDivoCustDBO::TableNames()
{
    static const std::vector<std::string> names = {"CUSTGNRL", "CUSTWCUI", "CUSTWCCL", "CUSTMPR",
                                                   "CUST_LOB", "CUSTPLAN", "CUSTDEVS", "CUSTMISC"};
    return names;
}

TVereDivoCustDBO::TVereDivoCustDBO(TCBDatabase &database, const std::string &quoteFolder)
    : m_database(database), m_quoteFolder(IncludeTrailingSlash(quoteFolder))
{
    // What a program that died while saving left is completed (or dropped) before the tables
    // are read.
    m_journal = std::make_unique<TCBJournal>(m_database, m_quoteFolder);
    // A missing table ends the construction; the registrations made before it go with it.
    const auto add = [this](const char *name) {
        m_registrations.emplace_back(m_database, name, m_quoteFolder, true);
        TCBTable *table = &m_registrations.back().Table();
        m_journal->Attach(*table);
        return table;
    };
    m_registrations.reserve(TableNames().size());
    m_customers = add("CUSTGNRL.DBF");
    m_inputs = add("CUSTWCUI.DBF");
    m_classes = add("CUSTWCCL.DBF");
    m_entries = add("CUSTMPR.DBF");
    m_deviations = add("CUSTDEVS.DBF");
    m_headers = add("CUST_LOB.DBF");
    m_plans = add("CUSTPLAN.DBF");
    m_misc = add("CUSTMISC.DBF");
}

TVereDivoCustDBO::~TVereDivoCustDBO()
{
    // The journal goes first: it empties itself into the tables, which are still open.
    m_journal.reset();
}

// ---------------------------------------------------------------------------------------------
// Writing

void TVereDivoCustDBO::RowForWrite(TCBTable &table, const std::string &key, const std::string &tag)
{
    if (!SeekLive(table, key, tag)) {
        if (table.Seek(key, tag)) {
            table.Recall();
        } else {
            AppendRow(table);
        }
    }
}

void TVereDivoCustDBO::AppendRow(TCBTable &table)
{
    if (!table.AppendBlank()) {
        throw ECBDBError("Error appending a record to table " + table.Folder() + table.TableName() +
                         " - error code: " + std::to_string(m_database.ErrorCode()));
    }
}

void TVereDivoCustDBO::DeleteRows(TCBTable &table, const std::string &key, const std::string &tag)
{
    for (bool found = table.Seek(key, tag); found; found = table.SeekNext(key)) {
        if (!table.Deleted()) {
            table.Delete();
        }
    }
}

TVereDivoCustDBO::TBatch::TBatch(TVereDivoCustDBO &store) : m_store(store)
{
    m_store.m_journal->Begin();
}

TVereDivoCustDBO::TBatch::~TBatch()
{
    if (m_open) {
        m_open = false;
        m_store.m_journal->Rollback();
    }
}

void TVereDivoCustDBO::TBatch::Commit()
{
    if (m_open) {
        m_open = false;
        m_store.m_journal->Commit();
    }
}

void TVereDivoCustDBO::TBatch::AfterCommit(std::function<void()> action)
{
    m_store.m_journal->AfterCommit(std::move(action));
}

TVereDivoCustDBO::TReading::TReading(TVereDivoCustDBO &store) : m_store(store)
{
    m_store.m_journal->BeginRead();
}

TVereDivoCustDBO::TReading::~TReading()
{
    m_store.m_journal->EndRead();
}

// ---------------------------------------------------------------------------------------------
// Customers

void TVereDivoCustDBO::SaveCustomer(const TCustInfo &customer)
{
    TBatch batch(*this);
    TCBTable &table = *m_customers;
    RowForWrite(table, CustomerKey(customer.CustomerNumber()), "ID_TAG");
    table.SetInteger("Cust_Num", customer.CustomerNumber());
    table.SetString("Company", customer.Company());
    table.SetString("First", customer.FirstName());
    table.SetString("Last", customer.LastName());
    table.SetString("Street", customer.Street());
    table.SetString("City", customer.City());
    table.SetString("State", customer.State());
    table.SetString("Zip", customer.Zip());
    table.SetString("Phone", customer.HomePhone());
    table.SetString("Work", customer.WorkPhone());
    table.SetString("FAx", customer.Fax());
    table.SetString("Notes", customer.Notes());
    batch.Commit();
}

bool TVereDivoCustDBO::LoadCustomer(TCustInfo &customer)
{
    TReading reading(*this);
    TCBTable &table = *m_customers;
    if (!SeekLive(table, CustomerKey(customer.CustomerNumber()), "ID_TAG")) {
        return false;
    }
    customer.SetCustomerNumber(table.GetInteger("Cust_Num"));
    customer.SetCompany(TrimmedString(table, "Company"));
    customer.SetFirstName(TrimmedString(table, "First"));
    customer.SetLastName(TrimmedString(table, "Last"));
    customer.SetStreet(TrimmedString(table, "Street"));
    customer.SetCity(TrimmedString(table, "City"));
    customer.SetState(TrimmedString(table, "State"));
    customer.SetZip(TrimmedString(table, "Zip"));
    customer.SetHomePhone(TrimmedString(table, "Phone"));
    customer.SetWorkPhone(TrimmedString(table, "Work"));
    customer.SetFax(TrimmedString(table, "Fax"));
    customer.SetCustomerCode(TrimmedString(table, "Cust_ID"));
    customer.SetNotes(TrimmedString(table, "Notes"));
    return true;
}

bool TVereDivoCustDBO::CustomerNumberInUse(int32_t customerNumber)
{
    TReading reading(*this);
    return m_customers->Seek(CustomerKey(customerNumber), "ID_TAG");
}

int32_t TVereDivoCustDBO::HighestCustomerNumber()
{
    TReading reading(*this);
    int32_t highest = 0;
    TCBTable &table = *m_customers;
    table.SelectTag("");
    for (table.First(); !table.Eof(); table.Next()) {
        highest = std::max(highest, table.GetInteger("Cust_Num"));
    }
    return highest;
}

// ---------------------------------------------------------------------------------------------
// Quote headers

bool TVereDivoCustDBO::QuoteIDInUse(int32_t quoteID)
{
    TReading reading(*this);
    const std::string key = QuoteKey(quoteID);
    return m_headers->Seek(key, "QUOTE_ID") || m_plans->Seek(key, "ID");
}

int32_t TVereDivoCustDBO::HighestQuoteID()
{
    TReading reading(*this);
    int32_t highest = 0;
    for (const auto &[table, column] :
         {std::pair {m_headers, "Quote_ID"}, std::pair {m_plans, "ID"}}) {
        table->SelectTag("");
        for (table->First(); !table->Eof(); table->Next()) {
            highest = std::max(highest, NumberIn(*table, column));
        }
    }
    return highest;
}

bool TVereDivoCustDBO::FindQuoteHeader(int32_t customerNumber, int32_t quoteID)
{
    TReading reading(*this);
    // The tag holds only 6 characters of the quote ID: the row must also carry the whole ID.
    TCBTable &table = *m_headers;
    const std::string key = HeaderKey(customerNumber, quoteID);
    const std::string id = IntText(quoteID);
    for (bool found = table.Seek(key, "CUST_QUOTE"); found; found = table.SeekNext(key)) {
        if (!table.Deleted() && TrimmedString(table, "Quote_ID") == id) {
            return true;
        }
    }
    return false;
}

void TVereDivoCustDBO::SaveQuoteHeader(const TCustLOBInfo &header)
{
    TBatch batch(*this);
    TCBTable &table = *m_headers;
    const std::string id = IntText(header.QuoteID());
    const std::string customer = IntText(header.CustomerNumber());

    // A quote belongs to one customer: its header under another customer (the quote was
    // given to another customer) goes, so the quote is not listed twice.
    const std::string quoteKey = QuoteKey(header.QuoteID());
    for (bool found = table.Seek(quoteKey, "QUOTE_ID"); found; found = table.SeekNext(quoteKey)) {
        if (!table.Deleted() && TrimmedString(table, "Cust_Num") != customer) {
            table.Delete();
        }
    }

    if (!FindQuoteHeader(header.CustomerNumber(), header.QuoteID())) {
        const std::string key = HeaderKey(header.CustomerNumber(), header.QuoteID());
        bool found = table.Seek(key, "CUST_QUOTE");
        while (found && TrimmedString(table, "Quote_ID") != id) {
            found = table.SeekNext(key);
        }
        if (found) {
            table.Recall();
        } else {
            AppendRow(table);
        }
    }
    table.SetString("Cust_Num", customer);
    table.SetString("Quote_ID", id);
    table.SetInteger("LOB", header.LineOfBusiness());
    table.SetString("Street", header.LocationStreet());
    table.SetString("City", header.LocationCity());
    table.SetString("State", header.LocationState());
    table.SetString("Zip", header.LocationZip());
    table.SetString("Descript", header.Description());
    table.SetString("Policy_Num", header.PolicyNumber());
    table.SetString("Company", header.Company());
    table.SetDate("Effective", header.EffectiveDate());
    table.SetDate("Expiration", header.ExpirationDate());
    batch.Commit();
}

// ---------------------------------------------------------------------------------------------
// Plan, inputs and other values

void TVereDivoCustDBO::SavePlan(int32_t quoteID, int32_t plan)
{
    TBatch batch(*this);
    TCBTable &table = *m_plans;
    RowForWrite(table, QuoteKey(quoteID), "ID");
    table.SetString("ID", IntText(quoteID));
    table.SetInteger("PLAN", plan);
    batch.Commit();
}

int32_t TVereDivoCustDBO::GetPlan(int32_t quoteID, int32_t def)
{
    TReading reading(*this);
    TCBTable &table = *m_plans;
    return SeekLive(table, QuoteKey(quoteID), "ID") ? table.GetInteger("PLAN") : def;
}

void TVereDivoCustDBO::SaveInput(int32_t quoteID, int32_t fieldID, bool checked,
                                 const std::string &text)
{
    TBatch batch(*this);
    TCBTable &table = *m_inputs;
    RowForWrite(table, QuoteKey(quoteID) + KeyNumber(fieldID, 3), "ID_FIELD");
    table.SetString("ID", IntText(quoteID));
    table.SetString("FIELD_ID", IntText(fieldID));
    table.SetString("TEXT", text);
    table.SetBoolean("LOGICAL", checked);
    batch.Commit();
}

bool TVereDivoCustDBO::LoadInput(int32_t quoteID, int32_t fieldID, std::string &text, bool &checked)
{
    TReading reading(*this);
    TCBTable &table = *m_inputs;
    if (!SeekLive(table, QuoteKey(quoteID) + KeyNumber(fieldID, 3), "ID_FIELD")) {
        return false;
    }
    text = TrimmedString(table, "TEXT");
    checked = table.GetBoolean("LOGICAL");
    return true;
}

std::map<int32_t, TStoredInput> TVereDivoCustDBO::LoadInputs(int32_t quoteID)
{
    TReading reading(*this);
    TCBTable &table = *m_inputs;
    std::map<int32_t, TStoredInput> inputs;
    const std::string key = QuoteKey(quoteID);
    // Equal keys stay in record order, so the first live row of a field wins, as LoadInput's.
    for (bool found = table.Seek(key, "ID"); found; found = table.SeekNext(key)) {
        if (table.Deleted()) {
            continue;
        }
        int32_t field = 0;
        if (TryStrToInt(TrimmedString(table, "FIELD_ID"), field) && field > 0 &&
            inputs.count(field) == 0) {
            inputs[field] = {TrimmedString(table, "TEXT"), table.GetBoolean("LOGICAL")};
        }
    }
    return inputs;
}

void TVereDivoCustDBO::SaveMiscValue(int32_t quoteID, int32_t type, int32_t index,
                                     const std::string &text)
{
    TBatch batch(*this);
    TCBTable &table = *m_misc;
    RowForWrite(table, QuoteKey(quoteID) + KeyNumber(type, 10) + KeyNumber(index, 10), "ALL_TAG");
    table.SetString("Quote_ID", IntText(quoteID));
    table.SetString("Type", IntText(type));
    table.SetString("Index", IntText(index));
    table.SetString("Value", Trim(text));
    batch.Commit();
}

std::string TVereDivoCustDBO::LoadMiscValue(int32_t quoteID, int32_t type, int32_t index,
                                            const std::string &def)
{
    TReading reading(*this);
    TCBTable &table = *m_misc;
    if (!SeekLive(table, QuoteKey(quoteID) + KeyNumber(type, 10) + KeyNumber(index, 10),
                  "ALL_TAG")) {
        return def;
    }
    return Trim(table.GetString("Value"));
}

// ---------------------------------------------------------------------------------------------
// Class lines

void TVereDivoCustDBO::SaveClasses(int32_t quoteID, const std::vector<TVereDivoClass *> &lines)
{
    TBatch batch(*this);
    TCBTable &table = *m_classes;
    const std::string key = QuoteKey(quoteID);
    // The old rows leave the range that restoring reads (their line number becomes 0).
    for (bool found = table.Seek(key, "ID"); found; found = table.SeekNext(key)) {
        if (!table.Deleted()) {
            table.SetString("Index", "0");
            table.Delete();
        }
    }
    int32_t number = 0;
    for (TVereDivoClass *line : lines) {
        AppendRow(table);
        table.SetString("ID", IntText(quoteID));
        table.SetString("Index", IntText(++number));
        table.SetString("CODE", Trim(line->Code));
        table.SetString("SUB_CODE", Trim(line->SubCode));
        table.SetInteger("PAYROLL", line->GetPayroll());
        table.SetInteger("EMPLOYEES", line->Employees);
        if (const auto *multi = dynamic_cast<const TMultiEntryVereDivoClass *>(line)) {
            SaveEntries(quoteID, *multi);
        } else {
            SaveDeviation(quoteID, *line);
        }
    }
    batch.Commit();
}

void TVereDivoCustDBO::SaveDeviation(int32_t quoteID, const TVereDivoClass &line)
{
    TBatch batch(*this);
    TCBTable &table = *m_deviations;
    RowForWrite(table, QuoteKey(quoteID) + KeyPart(line.Code, 10) + KeyPart(line.SubCode, 10),
                "ID_CODE");
    table.SetString("ID", IntText(quoteID));
    table.SetString("CODE", Trim(line.Code));
    table.SetString("SUB_CODE", Trim(line.SubCode));
    table.SetDouble("Deviation", line.Deviation);
    batch.Commit();
}

void TVereDivoCustDBO::SaveEntries(int32_t quoteID, const TMultiEntryVereDivoClass &line)
{
    TBatch batch(*this);
    TCBTable &table = *m_entries;
    const std::string key = QuoteKey(quoteID) + KeyPart(line.Code, 4) + KeyPart(line.SubCode, 4);
    const int32_t count = static_cast<int32_t>(line.Entries.size());
    const auto write = [&](int32_t entry) {
        table.SetString("ID", IntText(quoteID));
        table.SetString("CODE", Trim(line.Code));
        table.SetString("SUB_CODE", Trim(line.SubCode));
        table.SetString("Index", IntText(entry));
        table.SetInteger("Payroll", line.GetEntryPayroll(entry));
    };
    int32_t next = 1;
    for (bool found = table.Seek(key, "ID"); found; found = table.SeekNext(key)) {
        if (next > count) {
            if (!table.Deleted()) {
                table.Delete();
            }
            continue;
        }
        table.Recall();
        write(next++);
    }
    for (; next <= count; ++next) {
        AppendRow(table);
        write(next);
    }
    batch.Commit();
}

void TVereDivoCustDBO::LoadDeviation(int32_t quoteID, TVereDivoClass &line)
{
    LoadDeviation(quoteID, line.Code, line.SubCode, line);
}

void TVereDivoCustDBO::LoadDeviation(int32_t quoteID, const std::string &code,
                                     const std::string &subCode, TVereDivoClass &line)
{
    TReading reading(*this);
    TCBTable &table = *m_deviations;
    if (SeekLive(table, QuoteKey(quoteID) + KeyPart(code, 10) + KeyPart(subCode, 10), "ID_CODE")) {
        // A line whose deviation nobody changed keeps its own rate: setting its ratio again
        // would rebuild the rate from the rounded ratio and move the premium.
        const double stored = table.GetDouble("Deviation");
        if (std::abs(stored - line.Deviation) > 0.00005) {
            line.SetDeviation(stored);
        }
    }
}

void TVereDivoCustDBO::LoadEntries(int32_t quoteID, TMultiEntryVereDivoClass &line)
{
    LoadEntries(quoteID, line.Code, line.SubCode, line);
}

void TVereDivoCustDBO::LoadEntries(int32_t quoteID, const std::string &code,
                                   const std::string &subCode, TMultiEntryVereDivoClass &line)
{
    TReading reading(*this);
    TCBTable &table = *m_entries;
    const std::string key = QuoteKey(quoteID) + KeyPart(code, 4) + KeyPart(subCode, 4);
    for (bool found = table.Seek(key, "ID"); found; found = table.SeekNext(key)) {
        if (!table.Deleted()) {
            line.SetEntryPayroll(NumberIn(table, "Index"), table.GetInteger("Payroll"));
        }
    }
}

void TVereDivoCustDBO::RestoreClasses(int32_t quoteID,
                                      const std::vector<std::unique_ptr<TVereDivoClass>> &available,
                                      std::vector<TVereDivoClass *> &lines)
{
    // The messages wait until the tables are let go: a message box must not keep other
    // programs from saving.
    std::vector<std::string> messages;
    {
        TReading reading(*this);
        ReadClasses(quoteID, available, lines, messages);
    }
    for (const std::string &message : messages) {
        ShowInformation(message);
    }
}

void TVereDivoCustDBO::ReadClasses(int32_t quoteID,
                                   const std::vector<std::unique_ptr<TVereDivoClass>> &available,
                                   std::vector<TVereDivoClass *> &lines,
                                   std::vector<std::string> &messages)
{
    TCBTable &table = *m_classes;
    std::vector<std::string> missing;
    for (int32_t number = 1;; ++number) {
        const std::string key = QuoteKey(quoteID) + KeyNumber(number, 3);
        bool found = table.Seek(key, "ID_INDEX");
        if (!found) {
            break;
        }
        while (found && table.Deleted()) {
            found = table.SeekNext(key);
        }
        if (!found) {
            continue; // only marked rows carry this number
        }
        // The deviation and entry rows are keyed by the codes as they were saved.
        const std::string savedCode = TrimmedString(table, "Code");
        const std::string savedSubCode = TrimmedString(table, "Sub_Code");
        const std::string code = UpperCase(savedCode);
        const std::string subCode = UpperCase(savedSubCode);
        const int32_t payroll = table.GetInteger("Payroll");
        const int32_t employees = table.GetInteger("Employees");

        // Codes compare without regard to case, as the class book finds classes: a rate table
        // holding a lower-case code must not lose the class.
        const auto match = std::find_if(available.begin(), available.end(), [&](const auto &line) {
            return UpperCase(Trim(line->Code)) == code && UpperCase(Trim(line->SubCode)) == subCode;
        });
        if (match == available.end()) {
            missing.push_back(code);
            continue;
        }
        TVereDivoClass &line = **match;
        if (std::find(lines.begin(), lines.end(), &line) != lines.end()) {
            continue; // a class is on a quote once; the first row stored for it counts
        }
        const std::string phrase = Trim(line.Description);
        if (line.Survey && payroll == 0) {
            messages.push_back("'If Any' option is no longer permitted for " + phrase +
                               " so the class will not be restored on the quote");
            continue;
        }
        line.SetPayroll(payroll);
        line.SetEmployees(employees);
        if (auto *multi = dynamic_cast<TMultiEntryVereDivoClass *>(&line)) {
            for (int32_t entry = 1; entry <= static_cast<int32_t>(multi->Entries.size()); ++entry) {
                multi->SetEntryPayroll(entry, 0);
            }
            LoadEntries(quoteID, savedCode, savedSubCode, *multi);
            // The stored entries must hold the stored payroll; otherwise it was saved
            // without its split (or the split was lost) and the whole amount goes to one entry.
            if (multi->GetPayroll() != payroll) {
                messages.push_back(
                    phrase + " is a Construction Class whose Payroll of " + MoneyText(payroll) +
                    " needs to be broken out by territory.  Please edit the class by "
                    "double clicking on it" +
                    " when it appears in the list");
                for (int32_t entry = 1; entry <= static_cast<int32_t>(multi->Entries.size());
                     ++entry) {
                    multi->SetEntryPayroll(entry, 0);
                }
                const bool newYork = dynamic_cast<TNewYorkConstructionClass *>(multi) != nullptr;
                multi->SetEntryPayroll(newYork ? 4 : 1, payroll);
            }
        } else {
            LoadDeviation(quoteID, savedCode, savedSubCode, line);
        }
        lines.push_back(&line);
    }
    if (!missing.empty()) {
        std::string codes;
        for (const std::string &code : missing) {
            codes += (codes.empty() ? "" : ", ") + code;
        }
        messages.push_back(
            "The below classes are no longer provided by the rating program and will "
            "not be restored on the quote:\r\r" +
            codes);
    }
}

// ---------------------------------------------------------------------------------------------
// Deleting

void TVereDivoCustDBO::DeleteQuote(int32_t quoteID)
{
    TBatch batch(*this);
    const std::string key = QuoteKey(quoteID);
    DeleteRows(*m_headers, key, "QUOTE_ID");
    DeleteRows(*m_inputs, key, "ID");
    DeleteRows(*m_classes, key, "ID");
    DeleteRows(*m_entries, key, "ID");
    DeleteRows(*m_deviations, key, "ID_CODE");
    DeleteRows(*m_misc, key, "ALL_TAG");
    // The plan row goes with the quote too, so nothing of a deleted quote stays unmarked.
    DeleteRows(*m_plans, key, "ID");
    batch.Commit();
}

void TVereDivoCustDBO::DeleteCustomer(int32_t customerNumber)
{
    TBatch batch(*this);
    DeleteRows(*m_customers, CustomerKey(customerNumber), "ID_TAG");
    std::vector<int32_t> quotes;
    TCBTable &headers = *m_headers;
    const std::string key = KeyNumber(customerNumber, 10);
    const std::string customer = IntText(customerNumber);
    for (bool found = headers.Seek(key, "CUST_ID"); found; found = headers.SeekNext(key)) {
        if (!headers.Deleted() && TrimmedString(headers, "Cust_Num") == customer) {
            quotes.push_back(NumberIn(headers, "Quote_ID"));
        }
    }
    for (const int32_t quoteID : quotes) {
        DeleteQuote(quoteID);
    }
    batch.Commit();
}

void TVereDivoCustDBO::ClearAllCustomerData()
{
    // Maintenance replaces the files: the journal holds nothing for them before, and tells
    // every other user afterwards that the tables changed.
    m_journal->Checkpoint();
    for (TCBTable *table :
         {m_customers, m_inputs, m_classes, m_entries, m_deviations, m_headers, m_plans, m_misc}) {
        table->Zap();
        table->Pack();
    }
    m_journal->Checkpoint();
}

// ---------------------------------------------------------------------------------------------
// Listing

TDateTime ListedDate(const TCBTable &table, const std::string &field)
{
    const std::string text = table.GetDateString(field); // "MM/DD/CCYY" or empty
    int32_t month = 0;
    int32_t day = 0;
    int32_t year = 0;
    if (text.size() != 10 || !TryStrToInt(text.substr(0, 2), month) ||
        !TryStrToInt(text.substr(3, 2), day) || !TryStrToInt(text.substr(6, 4), year)) {
        return 0;
    }
    if (year < 1900) {
        day = day == 0 ? 1 : day;
        month = month == 0 ? 1 : month;
        year += year >= 40 ? 1900 : 2000;
    }
    TDateTime date = 0;
    return TryEncodeDate(year, month, day, date) ? date : 0;
}

std::vector<TCustomerListEntry> TVereDivoCustDBO::ListCustomers()
{
    TReading reading(*this);
    std::vector<TCustomerListEntry> customers;
    TCBTable &table = *m_customers;
    if (table.IsEmpty()) {
        return customers;
    }
    table.SelectTag("");
    for (table.First(); !table.Eof(); table.Next()) {
        if (!table.Deleted()) {
            customers.push_back({TrimmedString(table, "Company"), table.GetInteger("Cust_Num")});
        }
    }
    std::stable_sort(customers.begin(), customers.end(),
                     [](const TCustomerListEntry &a, const TCustomerListEntry &b) {
                         return CompareText(a.Company, b.Company) < 0;
                     });
    return customers;
}

std::unique_ptr<TCustLOBInfo> TVereDivoCustDBO::ReadQuoteHeader()
{
    const TCBTable &table = *m_headers;
    auto header = std::make_unique<TCustLOBInfo>();
    header->SetQuoteID(NumberIn(table, "Quote_ID"));
    header->SetCustomerNumber(NumberIn(table, "Cust_Num"));
    header->SetLineOfBusiness(static_cast<uint8_t>(table.GetInteger("LOB")));
    header->SetLocationStreet(TrimmedString(table, "Street"));
    header->SetLocationCity(TrimmedString(table, "City"));
    header->SetLocationState(TrimmedString(table, "State"));
    header->SetState(header->LocationState());
    header->SetLocationZip(TrimmedString(table, "Zip"));
    header->SetDescription(TrimmedString(table, "Descript"));
    header->SetPolicyNumber(TrimmedString(table, "Policy_Num"));
    header->SetCompany(TrimmedString(table, "Company"));
    header->SetEffectiveDate(ListedDate(table, "Effective"));
    header->SetExpirationDate(ListedDate(table, "Expiration"));
    return header;
}

std::vector<std::unique_ptr<TCustLOBInfo>> TVereDivoCustDBO::ListQuotes(int32_t customerNumber)
{
    TReading reading(*this);
    std::vector<std::unique_ptr<TCustLOBInfo>> quotes;
    TCBTable &table = *m_headers;
    const std::string key = KeyNumber(customerNumber, 10);
    for (bool found = table.Seek(key, "CUST_ID"); found; found = table.SeekNext(key)) {
        if (!table.Deleted()) {
            quotes.push_back(ReadQuoteHeader());
            quotes.back()->SetCustomerNumber(customerNumber);
        }
    }
    return quotes;
}

std::unique_ptr<TCustLOBInfo> TVereDivoCustDBO::LoadQuoteHeader(int32_t quoteID)
{
    TReading reading(*this);
    if (!SeekLive(*m_headers, QuoteKey(quoteID), "QUOTE_ID")) {
        return nullptr;
    }
    auto header = ReadQuoteHeader();
    // The quote's own state opens it again; quotes stored without it open with the state of
    // their location, as the listing has it.
    header->SetState(LoadMiscValue(quoteID, mvQuoteState, 0, header->LocationState()));
    return header;
}

std::string TVereDivoCustDBO::QuoteDisplayText(const TCustLOBInfo &header)
{
    const auto dateText = [](TDateTime date) {
        return date == 0 ? std::string() : DateToStr(date);
    };
    return header.Description() + " [" + header.LocationStreet() + " " + header.LocationCity() +
        ", " + header.LocationState() + " " + header.LocationZip() + "] " + " (" +
        dateText(header.EffectiveDate()) + " - " + dateText(header.ExpirationDate()) + ")";
}

// ---------------------------------------------------------------------------------------------
// Copying

void TVereDivoCustDBO::CopyCustomerTablesTo(const std::string &folder)
{
    const std::string destination = IncludeTrailingSlash(folder);
    for (TCBTable *table :
         {m_customers, m_inputs, m_classes, m_entries, m_deviations, m_headers, m_plans, m_misc}) {
        table->Flush();
    }
    // The copies get every save: the journal holds none the tables lack.
    m_journal->Checkpoint();
    for (const std::string &name : TableNames()) {
        CopyTableFiles(m_quoteFolder, name, destination);
    }
}
