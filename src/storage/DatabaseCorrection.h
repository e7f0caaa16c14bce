#pragma once

#include <cstdint>

class TVereDivoAppInfo;

// The one-time correction of the customer database, run at the start of every new quote: when
// the data folder's "Patch.ini" [Patch1Required] asks for it under broker number + "_" + the
// active state, and "Patchcmp.ini" [Patch1Completed] does not yet record it, every stored
// quote is replaced by empty data and the correction is recorded as done. True when stored
// quotes were replaced (the caller tells the user).
bool RunCustomerDatabaseCorrection(TVereDivoAppInfo &info, int32_t brokerNumber);
