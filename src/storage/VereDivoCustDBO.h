#pragma once

// The customer store: the eight customer and quote tables of the quote folder, registered in
// the program's table set. Rows are never removed here: deleting marks a row, a later save of
// the same key recalls it, and readers pass over marked rows until "pack and reindex" removes
// them.

#include "core/Dates.h"
#include "db/CBDatabase.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TCBJournal;
class TCustInfo;
class TCustLOBInfo;
class TMultiEntryVereDivoClass;
class TVereDivoClass;

// Types of the other values of a quote.
enum TMiscValueType : int32_t {
    mvDownPayment = 1, // the plan's down payment percentage, 2 decimals
    mvQuoteState = 2, // the state abbreviation the quote was made for
};

// A rating input's stored value.
struct TStoredInput
{
    std::string Text; // trimmed
    bool Checked = false;
};

// One customer of the quote listing.
struct TCustomerListEntry
{
    std::string Company;
    int32_t CustomerNumber = 0;
};

class TVereDivoCustDBO
{
public:
    // Registers and opens the eight tables of `quoteFolder` in `database`. A missing table
    // raises ECBDBError ("Cannot add table to database that does not exist...") and leaves
    // none of them registered.
    TVereDivoCustDBO(TCBDatabase &database, const std::string &quoteFolder);
    // Makes what was written durable and takes the tables out of the database again; a table
    // that fails to close is logged.
    ~TVereDivoCustDBO();
    TVereDivoCustDBO(const TVereDivoCustDBO &) = delete;
    TVereDivoCustDBO &operator=(const TVereDivoCustDBO &) = delete;

    const std::string &QuoteFolder() const { return m_quoteFolder; }

    // Customers (CUSTGNRL.DBF, keyed by the customer number right-aligned in 10).
    void SaveCustomer(const TCustInfo &customer);
    // False (and the customer unchanged) when no live row has its number.
    bool LoadCustomer(TCustInfo &customer);

    // Whether any row, marked or not, carries the number; and the highest number stored.
    bool CustomerNumberInUse(int32_t customerNumber);
    int32_t HighestCustomerNumber();

    // Quote headers (CUST_LOB.DBF). The header's customer number and quote ID must be set.
    void SaveQuoteHeader(const TCustLOBInfo &header);
    // Makes the header row of the customer's quote current; false when there is none.
    bool FindQuoteHeader(int32_t customerNumber, int32_t quoteID);
    // Whether any header or plan row, marked or not, carries the ID; and the highest ID stored.
    bool QuoteIDInUse(int32_t quoteID);
    int32_t HighestQuoteID();

    // The plan (broker number) of a quote (CUSTPLAN.DBF).
    void SavePlan(int32_t quoteID, int32_t plan);
    int32_t GetPlan(int32_t quoteID, int32_t def);

    // Values of rating inputs under their data field (CUSTWCUI.DBF): a text input passes
    // false, a check box an empty text.
    void SaveInput(int32_t quoteID, int32_t fieldID, bool checked, const std::string &text);
    // False when nothing is stored for the field; the text comes trimmed.
    bool LoadInput(int32_t quoteID, int32_t fieldID, std::string &text, bool &checked);
    // Every input stored for the quote, by field, as LoadInput gives each.
    std::map<int32_t, TStoredInput> LoadInputs(int32_t quoteID);

    // Class lines (CUSTWCCL.DBF) with the deviation of each ordinary line (CUSTDEVS.DBF) and
    // the entry payrolls of multi-entry lines (CUSTMPR.DBF). Saving replaces the stored lines.
    void SaveClasses(int32_t quoteID, const std::vector<TVereDivoClass *> &lines);
    void SaveDeviation(int32_t quoteID, const TVereDivoClass &line);
    void SaveEntries(int32_t quoteID, const TMultiEntryVereDivoClass &line);
    // Gives the available lines that match the stored ones their payroll, employees and
    // deviation or entries, and appends them to `lines` in stored order. Lines no longer
    // available, and "If Any" lines a class no longer permits, are dropped with a message.
    void RestoreClasses(int32_t quoteID,
                        const std::vector<std::unique_ptr<TVereDivoClass>> &available,
                        std::vector<TVereDivoClass *> &lines);
    void LoadDeviation(int32_t quoteID, TVereDivoClass &line);
    // Sets the line's entries from the stored rows.
    void LoadEntries(int32_t quoteID, TMultiEntryVereDivoClass &line);

    // Other values of a quote (CUSTMISC.DBF) by type and index; the value is stored trimmed.
    void SaveMiscValue(int32_t quoteID, int32_t type, int32_t index, const std::string &text);
    std::string LoadMiscValue(int32_t quoteID, int32_t type, int32_t index, const std::string &def);

    // Marks every row of the quote deleted.
    void DeleteQuote(int32_t quoteID);
    // Marks the customer and every row of each of its quotes deleted.
    void DeleteCustomer(int32_t customerNumber);
    // Empties the eight tables (zap, then pack).
    void ClearAllCustomerData();

    // The live customers, sorted by company (without regard to case; equal names in table
    // order). Empty for an empty customer table.
    std::vector<TCustomerListEntry> ListCustomers();
    // The live quote headers of a customer, in the order of the customer's tag, for showing:
    // their state is the location's. Dates before 1900 are taken as two-digit years (see
    // ListedDate).
    std::vector<std::unique_ptr<TCustLOBInfo>> ListQuotes(int32_t customerNumber);
    // The live header of a quote as the listing makes it, with the state the quote was made
    // for: the header to open a stored quote with. None when the quote is not stored.
    std::unique_ptr<TCustLOBInfo> LoadQuoteHeader(int32_t quoteID);
    // The quote's line in the listing: description, [location] and (policy dates).
    static std::string QuoteDisplayText(const TCustLOBInfo &header);

    // Copies the tables' files (".dbf", ".mdx", ".dbt", where they exist) into `folder`.
    void CopyCustomerTablesTo(const std::string &folder);

    // Every save and delete above happens wholly or not at all and is durable when it returns:
    // each is a transaction of the quote folder's journal (TCBJournal), which other programs
    // saving into the folder wait for. A batch makes several of them one transaction: all of
    // them happen, when the outermost batch commits, or none does.
    class TBatch
    {
    public:
        explicit TBatch(TVereDivoCustDBO &store);
        // Without Commit (an exception ended the batch) nothing of the batch is stored.
        ~TBatch();
        TBatch(const TBatch &) = delete;
        TBatch &operator=(const TBatch &) = delete;

        void Commit();
        // Runs the action once the outermost batch is stored (the counters of new numbers).
        void AfterCommit(std::function<void()> action);

    private:
        TVereDivoCustDBO &m_store;
        bool m_open = true;
    };

    // Reads that see the store as one saved state: while one is open, saves of other programs
    // wait (a writer waits up to 10 seconds), and the tables are not checked again before every
    // read. Every read above opens one of its own; a caller reading much at once (the whole
    // listing) keeps one open around all of it, never while it waits for the user.
    class TReading
    {
    public:
        explicit TReading(TVereDivoCustDBO &store);
        ~TReading();
        TReading(const TReading &) = delete;
        TReading &operator=(const TReading &) = delete;

    private:
        TVereDivoCustDBO &m_store;
    };

    // The table files of the store, without extension, in their copying order.
    static const std::vector<std::string> &TableNames();

    TCBTable &Customers() const { return *m_customers; } // CUSTGNRL.DBF
    TCBTable &Inputs() const { return *m_inputs; } // CUSTWCUI.DBF
    TCBTable &Classes() const { return *m_classes; } // CUSTWCCL.DBF
    TCBTable &Entries() const { return *m_entries; } // CUSTMPR.DBF
    TCBTable &Deviations() const { return *m_deviations; } // CUSTDEVS.DBF
    TCBTable &QuoteHeaders() const { return *m_headers; } // CUST_LOB.DBF
    TCBTable &Plans() const { return *m_plans; } // CUSTPLAN.DBF
    TCBTable &MiscValues() const { return *m_misc; } // CUSTMISC.DBF

private:
    // The rows of a line saved under these codes (restoring matches codes without regard to
    // case, the rows keep the spelling they were saved with).
    void LoadDeviation(int32_t quoteID, const std::string &code, const std::string &subCode,
                       TVereDivoClass &line);
    void LoadEntries(int32_t quoteID, const std::string &code, const std::string &subCode,
                     TMultiEntryVereDivoClass &line);
    // The current header row as the listing shows it.
    std::unique_ptr<TCustLOBInfo> ReadQuoteHeader();
    void ReadClasses(int32_t quoteID, const std::vector<std::unique_ptr<TVereDivoClass>> &available,
                     std::vector<TVereDivoClass *> &lines, std::vector<std::string> &messages);
    // Appends a blank row, raising ECBDBError when the table refuses it.
    void AppendRow(TCBTable &table);
    // Positions on the live row of the key, else on a marked one (recalled), else on a new
    // row.
    void RowForWrite(TCBTable &table, const std::string &key, const std::string &tag);
    // Marks every row of the key deleted.
    void DeleteRows(TCBTable &table, const std::string &key, const std::string &tag);

    TCBDatabase &m_database;
    std::string m_quoteFolder;
    // The eight tables below, registered for as long as the store lives.
    std::vector<TTableRegistration> m_registrations;
    TCBTable *m_customers = nullptr;
    TCBTable *m_inputs = nullptr;
    TCBTable *m_classes = nullptr;
    TCBTable *m_entries = nullptr;
    TCBTable *m_deviations = nullptr;
    TCBTable *m_headers = nullptr;
    TCBTable *m_plans = nullptr;
    TCBTable *m_misc = nullptr;
    // Made before the tables open, gone before they close.
    std::unique_ptr<TCBJournal> m_journal;
};

// A date of the quote listing: a year below 1900 was written with two digits (40 and above
// are 19xx, below 40 20xx), and such a date's day or month 0 becomes 1. A blank date is 0.
TDateTime ListedDate(const TCBTable &table, const std::string &field);
