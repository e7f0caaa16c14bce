#pragma once

// "Effective Date": a date typed ("mm/dd/yyyy") or picked in a calendar. Shown when a date
// chosen in the quote window has no classifications to rate.

#include "core/Dates.h"

#include <QDialog>

class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmEffectiveDate final : public QDialog
{
    Q_OBJECT

public:
    TfrmEffectiveDate(TDateTime date, QWidget *parent = nullptr);

    // The date accepted with "&Ok".
    TDateTime Date() const { return m_date; }

    void accept() override; // "&Ok": the text must be a date that exists

    QLabel *lblPrompt = nullptr;
    QLineEdit *txtDate = nullptr;
    QPushButton *btnCalendar = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    QCalendarWidget *calDate = nullptr; // the calendar's popup

private:
    void btnCalendarClick();
    void AcceptDate(TDateTime date);

    TDateTime m_date;
};
