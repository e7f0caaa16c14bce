#include "rating/DocumentList.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"

TDocumentListDB::TDocumentListDB(int32_t idOne, int32_t idTwo, int32_t type, std::string baseFolder)
    : ID_One(idOne), ID_Two(idTwo), Type(type), BaseFolder(std::move(baseFolder))
{ }

TCBDocumentListDB::TCBDocumentListDB(TCBTable &table, int32_t idOne, int32_t idTwo, int32_t type,
                                     std::string baseFolder)
    : TDocumentListDB(idOne, idTwo, type, std::move(baseFolder)), Table(table)
{ }

std::string TCBDocumentListDB::Key() const
{
    return KeyNumber(ID_One) + KeyNumber(ID_Two) + KeyNumber(Type);
}

std::unique_ptr<TDocumentList> TCBDocumentListDB::GetDocuments()
{
    auto documents = std::make_unique<TDocumentList>();
    bool current = Table.Seek(Key(), "ID_TAG");
    while (current) {
        if (!Table.Deleted() && TextInteger(Table, "Index") != 999) {
            TDocument document;
            document.Name = TrimmedString(Table, "Name");
            const std::string path = TrimmedString(Table, "Path");
            // A path with a folder part is used as written (with this system's separator).
            const bool hasFolder = path.find_first_of("\\/") != std::string::npos;
            document.Path = hasFolder ? NativePath(path) : BaseFolder + path;
            document.Index = TextInteger(Table, "Index");
            document.ReqOption = TextInteger(Table, "ReqOption");
            documents->push_back(std::move(document));
        }
        Table.Next();
        current = !Table.Eof() && TextInteger(Table, "ID_One") == ID_One &&
            TextInteger(Table, "ID_Two") == ID_Two && TextInteger(Table, "Type") == Type;
    }
    if (documents->empty()) {
        return nullptr;
    }
    return documents;
}

void TCBDocumentListDB::DeleteDocument(int32_t index)
{
    bool found = Table.Seek(Key() + KeyNumber(index), "ID_INDEX");
    while (found && Table.Deleted()) {
        found = Table.SeekNext(Key() + KeyNumber(index));
    }
    if (found) {
        Table.Delete();
        Table.Flush();
    }
}

void TCBDocumentListDB::AddDocument(const TDocument &document)
{
    Table.AppendBlank();
    Table.SetString("ID_One", IntText(ID_One));
    Table.SetString("ID_Two", IntText(ID_Two));
    Table.SetString("Type", IntText(Type));
    Table.SetString("Index", IntText(document.Index));
    Table.SetString("Name", document.Name);
    Table.SetString("Path", document.Path);
    Table.SetInteger("ReqOption", document.ReqOption);
    Table.Flush();
}
