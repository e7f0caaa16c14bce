#pragma once

#include "core/IniFile.h"
#include "forms/FormViewer.h"
#include "rating/VereDivoQuote.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;
class QToolBar;

// The settings file of the ACORD window and of the quote's zoom, a bare name in the settings
// folder.
inline constexpr const char *kAcordIni = "QORAcord.ini";

// The "Image Adjustment" and "Top Margin Adjustment" dialog: a text and a number.
class TfrmAcordAdjust : public QDialog
{
    Q_OBJECT

public:
    TfrmAcordAdjust(QWidget *parent, const QString &title, const QString &text, double value);
    // The typed number; false when it is not one.
    bool Value(double &value) const;

    QLabel *lblText = nullptr;
    QLineEdit *txtValue = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;
};

// The window in which an application form filled from a quote is seen, completed, printed and
// saved. The quote's field writes reach its form while it is the quote's open form.
class TfrmAcord : public QDialog, public TApplicationFormTarget
{
    Q_OBJECT

public:
    explicit TfrmAcord(const std::string &caption, QWidget *parent = nullptr);
    ~TfrmAcord() override;

    // An empty caption hides its button.
    void SetButtons(const std::string &okCaption, const std::string &cancelCaption);
    // The folder becomes the viewer's forms path and the name its form; load errors reach the
    // caller.
    void OpenForm(const std::string &folder, const std::string &name);
    // Form data files (see LoadFormData and SaveFormData).
    int LoadData(const std::string &fileName);
    void SaveData(const std::string &fileName);
    void SetZoom(int percent);
    int GetZoom() const;
    void SetReadOnlysReceiveFocus(bool on);
    void SetReadOnlysGetFormBackground(bool on);
    void SetCanSave(bool on);
    bool CanSave() const { return m_canSave; }
    // Finds the field by name (case-insensitive) and keeps it as the found field.
    bool LocateField(const std::string &name);
    TFormField *FoundField() const { return m_found; }
    // The quote's writes: LocateField, then the value and the read-only flag.
    bool SetField(const std::string &name, const std::string &value, bool readOnly) override;

    // True once the print dialog was confirmed, false again after any field change.
    bool Printed() const { return m_printed; }
    bool ExternalPrint() const { return m_externalPrint; }

    // Commands.
    void PrintForm();
    void ZoomIn();
    void ZoomOut();
    void OpenFormFile();
    void SaveForm();
    void ImageSize();
    void TopMargin();
    void ToggleBoldFields();
    void ToggleExternalPrint();

    // The print dialog: shows it for the printer (page range and copies); false when
    // cancelled. Tests and tools replace it.
    std::function<bool(QPrinter &printer, int pageCount)> ExecPrintDialog;
    // The printer jobs go to (none: a printer of the system's default).
    QPrinter *Printer = nullptr;

    TQorFormViewer *Viewer1 = nullptr;
    QToolBar *ToolBar = nullptr;
    QAction *btnPrint = nullptr;
    QAction *btnZoomIn = nullptr;
    QAction *btnZoomOut = nullptr;
    QAction *btnPageUp = nullptr;
    QAction *btnPageDown = nullptr;
    QLabel *lblPreview = nullptr;
    QLineEdit *txtPreview = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *Cancel = nullptr;
    QMenu *mnuFile = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuOpen = nullptr;
    QAction *mnuSave = nullptr;
    QAction *mnuPrint = nullptr;
    QAction *mnuClose = nullptr;
    QAction *mnuImageSize = nullptr;
    QAction *mnuTopMargin = nullptr;
    QAction *mnuBoldFields = nullptr;
    QAction *mnuExternalPrint = nullptr;
    QAction *mnuRMV1PrintSetup = nullptr;

public slots:
    void done(int result) override;

private:
    void UpdateButtons();
    void FieldModified(TFormField *field);
    void Guarded(const std::function<void()> &command);

    TIniFile m_settings {kAcordIni};
    bool m_canSave = true;
    std::string m_caller;
    bool m_printed = false;
    bool m_externalPrint = false;
    TFormField *m_found = nullptr;
};

// The quote's application of a kind (1 the workers compensation application, 2 the pool
// application) in the ACORD window: the saved form data offered, the new data filled in, the
// window shown modally, the form data saved with the quote. Returns whether the form was
// printed in its final state.
bool ShowApplication(TVereDivoQuote &quote, int32_t kind, QWidget *parent = nullptr);

// The finance agreement of the quote's plan worked out and shown in the ACORD window (NY quotes
// first ask for the surcharge and the down payment in "Financing Options").
void PrintFinanceAgreement(TVereDivoQuote &quote, QWidget *parent = nullptr);

// The "Financing Options" dialog: the surcharge, the down payment (never below its minimum) and
// the total cash required.
class TfrmFinanceOptions : public QDialog
{
    Q_OBJECT

public:
    TfrmFinanceOptions(QWidget *parent, int32_t surcharge, int32_t minimumDown, double downPercent);
    // Recomputes the total (raising the down payment to its minimum first).
    void Recalculate();
    int32_t Surcharge() const;
    int32_t TotalCash() const;

    QLineEdit *txtSurcharge = nullptr;
    QLabel *lblDown = nullptr;
    QLineEdit *txtDown = nullptr;
    QLabel *lblTotal = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int32_t m_minimumDown;
};

// The "Form Options" dialog when a saved form data file exists: 0 ignore it, 1 show it as
// saved, 2 show it with the new data (the default); -1 when cancelled.
int AskFormOptions(QWidget *parent);
