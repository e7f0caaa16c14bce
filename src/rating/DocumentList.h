#pragma once

// The printable documents a plan offers (closing texts, notices), listed per broker and
// state in the document table.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCBTable;

struct TDocument
{
    std::string Name;
    std::string Path; // a bare file name is taken inside the documents folder
    int32_t Index = 0;
    int32_t ReqOption = 0; // the document's kind (0, 1 or 2) in the printing options
};

using TDocumentList = std::vector<TDocument>;

// The key of one document list.
class TDocumentListDB
{
public:
    TDocumentListDB(int32_t idOne, int32_t idTwo, int32_t type, std::string baseFolder);
    virtual ~TDocumentListDB() = default;
    TDocumentListDB(const TDocumentListDB &) = delete;
    TDocumentListDB &operator=(const TDocumentListDB &) = delete;

    // The documents of the key in index order, or none when it has none.
    virtual std::unique_ptr<TDocumentList> GetDocuments() = 0;
    virtual void DeleteDocument(int32_t index) = 0;
    virtual void AddDocument(const TDocument &document) = 0;

    int32_t ID_One;
    int32_t ID_Two;
    int32_t Type;
    std::string BaseFolder; // with a trailing separator
};

// A document list kept in the document table; the table belongs to the creator.
class TCBDocumentListDB : public TDocumentListDB
{
public:
    TCBDocumentListDB(TCBTable &table, int32_t idOne, int32_t idTwo, int32_t type,
                      std::string baseFolder);

    std::unique_ptr<TDocumentList> GetDocuments() override;
    // Marks the document with that index deleted.
    void DeleteDocument(int32_t index) override;
    // Appends the document under this list's key.
    void AddDocument(const TDocument &document) override;

    TCBTable &Table;

private:
    std::string Key() const;
};
