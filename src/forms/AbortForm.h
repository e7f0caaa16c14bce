#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TQorOutputPrinter;

// The small progress window shown, not modally, while pages go to the printer; "Cancel" aborts
// the job, and the client notices through the printer's DeviceAborted.
class TAbortForm : public QDialog
{
    Q_OBJECT

public:
    TAbortForm(QWidget *owner, TQorOutputPrinter &printer);

    // "Page N of Total."
    void SetPage(int n);
    int PageShown() const { return m_page; }

    int Total = 0; // set by the client before the first SetPage
    QLabel *lblPrinting = nullptr;
    QLabel *DocName = nullptr;
    QLabel *Page = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void btnCancelClick();

    TQorOutputPrinter &m_printer;
    int m_page = 0;
};
