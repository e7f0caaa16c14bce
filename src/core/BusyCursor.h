#pragma once

// The wait cursor of long operations. The program installs an indicator that sets the
// application's override cursor; headless code only sees this interface.
class BusyIndicator
{
public:
    virtual ~BusyIndicator() = default;
    virtual void SetBusy(bool busy) = 0;
};

// Installs `indicator` (not owned); nullptr leaves busy states unseen.
BusyIndicator *SetBusyIndicator(BusyIndicator *indicator);
BusyIndicator *CurrentBusyIndicator();

// Shows the wait cursor for the lifetime of the object; nested guards keep it until the
// outermost ends. Restore() ends it early (a message box must show the normal cursor).
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

    void Restore();

private:
    bool m_active = true;
};
