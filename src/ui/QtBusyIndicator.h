#pragma once

#include "core/BusyCursor.h"

// The wait cursor as the application's override cursor.
class QtBusyIndicator final : public BusyIndicator
{
public:
    ~QtBusyIndicator() override;
    void SetBusy(bool busy) override;

private:
    bool m_busy = false;
};
