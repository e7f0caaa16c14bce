// Fuzz target: a table file read, checked, appended to and packed.

#include "support/FuzzFiles.h"

#include "dbase/Memo.h"
#include "dbase/Table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string folder = FuzzFolder();
    WriteFuzzFile(folder + "t.dbf", data, size);
    dbase::Context context;
    context.SetAutoOpen(false);
    context.SetLockAttempts(1);
    try {
        dbase::MemoFile::Create(&context, folder + "t.dbt", false, "t");
        auto table = dbase::Table::Open(context, folder + "t.dbf");
        uint32_t visited = 0;
        for (table->Top(); !table->Eof() && visited < 2000; table->Skip(), ++visited) {
            for (const dbase::Field &field : table->Fields()) {
                table->GetText(field);
                table->GetNumber(field);
                table->GetLogical(field);
            }
            table->Deleted();
        }
        table->Check();
        if (!table->ReadOnly()) {
            table->AppendBlank();
            table->SetText(table->Fields().front(), "fuzz");
            table->Delete();
            table->Flush();
            table->Pack();
        }
    } catch (const dbase::Error &) {
        // A clear error is the expected end for most inputs.
    }
    return 0;
}
