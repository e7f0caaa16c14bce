#include "storage/DatabaseCorrection.h"

#include "core/BusyCursor.h"
#include "core/IniFile.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"

bool RunCustomerDatabaseCorrection(TVereDivoAppInfo &info, int32_t brokerNumber)
{
    const std::string key = IntText(brokerNumber) + "_" + info.ActiveState();
    TIniFile completed(info.DataFolder() + "Patchcmp.ini");
    if (!TIniFile(info.DataFolder() + "Patch.ini").ReadBool("Patch1Required", key, false) ||
        completed.ReadBool("Patch1Completed", key, false)) {
        return false;
    }
    const BusyCursor busy;
    TVereDivoCustDBO &store = info.QuoteDB().CustDBO();
    const int32_t stored = store.QuoteHeaders().RecordCount();
    store.ClearAllCustomerData();
    // Recorded only once the tables are empty: a correction that failed runs again.
    completed.WriteBool("Patch1Completed", key, true);
    return stored > 0;
}
