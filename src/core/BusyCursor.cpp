#include "core/BusyCursor.h"

namespace {

BusyIndicator *&Installed()
{
    static BusyIndicator *installed = nullptr;
    return installed;
}

int &Depth()
{
    static int depth = 0;
    return depth;
}

} // namespace

BusyIndicator *SetBusyIndicator(BusyIndicator *indicator)
{
    BusyIndicator *previous = Installed();
    Installed() = indicator;
    return previous;
}

BusyIndicator *CurrentBusyIndicator()
{
    return Installed();
}

BusyCursor::BusyCursor()
{
    if (Depth()++ == 0 && Installed() != nullptr) {
        Installed()->SetBusy(true);
    }
}

BusyCursor::~BusyCursor()
{
    Restore();
}

void BusyCursor::Restore()
{
    if (!m_active) {
        return;
    }
    m_active = false;
    if (--Depth() == 0 && Installed() != nullptr) {
        Installed()->SetBusy(false);
    }
}
