#pragma once

#include "rating/DocumentList.h"
#include "ui/QuoteHost.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMdiArea;
class QMenu;
class QPrinter;
class QPushButton;
class QToolBar;
class QuoteWindow;
class TAgencyProfile;
class TCustLOBInfo;
class TQtCustomerDialog;
class TStateTable;
class TVereDivoAppInfo;
class TVereDivoQuote;
class TVereDivoDatabase;
struct TOfferedState;

// What the New Quote procedure hands to the code that makes a quote's window.
struct TNewQuoteRequest
{
    int32_t brokerNumber = 1;
    int stateNumber = 0; // 13 or 15
    std::string stateAbbreviation;
    std::string stateName;
    // The stored or follow-on quote's header (state, dates, quote number); none for a new
    // quotation.
    const TCustLOBInfo *header = nullptr;
    // The rating data a follow-on quote takes over.
    std::shared_ptr<TRatingSnapshot> carried;
};

// Makes the MDI child of a new quote; the widget must also be a QuoteWindow. None when the
// quote could not be made (the user has been told).
using QuoteWindowFactory = std::function<std::unique_ptr<QWidget>(const TNewQuoteRequest &)>;

// The main window: one MDI area hosting a quote window per open quote, the menus, the toolbar
// and the task bar. It owns the application information object and the agency profile, and
// its first showing starts a new quote.
class TWC_MDI : public QMainWindow, public TQuoteHost
{
    Q_OBJECT

public:
    // `arguments` are the command-line arguments after the program name.
    explicit TWC_MDI(std::vector<std::string> arguments = {}, QWidget *parent = nullptr);
    ~TWC_MDI() override;

    // The state rows of the state choice; the plan table provides them once the data is open.
    void SetStateTable(std::unique_ptr<TStateTable> table);
    // Replaces the maker of quote windows (by default the quote detail window).
    void SetQuoteWindowFactory(QuoteWindowFactory factory);

    // The New Quote procedure. Without a header (a new quotation) the state comes from the
    // active state or the state choice; a stored quote's header opens that quote; `carried`
    // is the rating data of the quote a follow-on quote comes from. Returns the new quote
    // window, or nullptr when none was opened.
    QuoteWindow *NewQuote(const TCustLOBInfo *header = nullptr,
                          std::shared_ptr<TRatingSnapshot> carried = {});
    QuoteWindow *NewQuoteFrom(const TCustLOBInfo &header,
                              std::shared_ptr<TRatingSnapshot> carried) override;
    // True when output must not go ahead: no agency name (after offering the profile), no
    // valid premium, or no company name (after offering the customer dialog).
    bool OutputBlocked(QuoteWindow *quote, const std::string &verb, bool askForAddress) override;
    // Shows, hides, enables and names the commands for the active quote.
    void UpdateCommandState() override;
    // The print dispatcher of a quote window's "Print".
    void PrintQuote(QuoteWindow &quote) override;
    // The quote of the active MDI child when that child is a quote window.
    QuoteWindow *ActiveQuote() const;
    // The state choice: the selected State_IDs, or nothing when cancelled or nothing offered.
    std::optional<std::vector<std::string>> ChooseStates(bool multipleSelection);

    // The print dialog of the output commands for `printer` (printer, pages, copies, or a PDF
    // file); false when cancelled. Tests put a printer set-up of their own here.
    std::function<bool(QPrinter &printer)> ExecPrintDialog;

    int32_t BrokerNumber() const { return m_brokerNumber; }
    const std::string &ApplicationTitle() const { return m_title; }
    bool DebugOptionsOn() const { return m_debugOptionsOn; }
    bool ProfileLocked() const { return m_profileLocked; }
    const std::string &UpdateAddress() const { return m_updateAddress; }
    TVereDivoAppInfo &AppInfo() const override { return *m_appInfo; }
    TAgencyProfile &AgencyProfile() const { return *m_agencyProfile; }
    QMdiArea *MdiArea() const { return m_mdiArea; }

    // Menu items, named after their handlers.
    QAction *mnuNewQuote = nullptr;
    QAction *mnuOpenQuote = nullptr;
    QAction *mnuSaveQuote = nullptr;
    QAction *mnuPrint = nullptr;
    QAction *mnuPrintACORD = nullptr;
    QAction *mnuPoolApp = nullptr;
    QAction *mnuPrintFinanceAgreement = nullptr;
    QAction *mnuEmail = nullptr;
    QAction *sepExportQuote = nullptr;
    QAction *mnuExportQuote = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuAgencyProfile = nullptr;
    QAction *mnuTile = nullptr;
    QAction *mnuCascade = nullptr;
    QAction *mnuArrange = nullptr;
    QAction *mnuPack = nullptr;
    QAction *mnuUninstall = nullptr;
    QAction *mnuUpperCase = nullptr;
    QAction *mnuChooseState = nullptr;
    QAction *mnuDeleteClassCodes = nullptr;
    QAction *mnuAddNewClassFile = nullptr;
    QAction *CopyInputs1 = nullptr;
    QAction *CopyHazardCodes1 = nullptr;
    QAction *CreateDistributionData1 = nullptr;
    QAction *mnuMAApp2003 = nullptr;
    QAction *mnuMAApp2007 = nullptr;
    QAction *Help2 = nullptr;
    QAction *mnuFrequentlyAsked = nullptr;
    QAction *mnuOpNotes = nullptr;
    QAction *mnuWebUpdate = nullptr;
    QAction *mnuWebLink = nullptr;
    QAction *mnuAbout = nullptr;

    // Toolbar buttons.
    QAction *btnNewQuote = nullptr;
    QAction *btnOpenQuote = nullptr;
    QAction *btnSaveQuote = nullptr;
    QAction *btnPrintQuote = nullptr;
    QAction *btnAcordViewer = nullptr;
    QAction *btnEMail = nullptr;
    QAction *btnExportQuote = nullptr;
    QAction *ToolButton1 = nullptr;
    QAction *btnWebLink = nullptr;

    // The task bar.
    QWidget *pnlTaskBar = nullptr;
    QPushButton *btnTaskNewQuote = nullptr;
    QPushButton *btnTaskOpenQuote = nullptr;
    QPushButton *btnTaskExit = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::optional<std::vector<TOfferedState>> ChooseOfferedStates(bool multipleSelection);
    // The broker's name of a state in the state table, else its abbreviation.
    std::string StateNameOf(int stateNumber);
    void ReadBrokerAndTitle();
    void OpenData();
    void CreateMenus();
    void CreateToolBar();
    void CreateTaskBar();
    void PlaceTaskBarButtons();
    void FirstShow();
    // The quote detail window of a new quote (the default quote window factory).
    std::unique_ptr<QWidget> MakeDetailWindow(const TNewQuoteRequest &request);
    void FillWindowMenu();
    void ArrangeIcons();

    void mnuNewQuoteClick();
    void mnuOpenQuoteClick();
    void mnuSaveQuoteClick();
    void mnuPrintClick();
    void mnuPrintACORDClick();
    void mnuPoolAppClick();
    void mnuPrintFinanceAgreementClick();
    void mnuEmailClick();
    void mnuExportQuoteClick();
    void ToolButton1Click();
    void mnuExitClick();
    void btnTaskExitClick();
    void mnuAgencyProfileClick();
    void mnuPackClick();
    void mnuUninstallClick();
    void mnuUpperCaseClick();
    void mnuChooseStateClick();
    void mnuDeleteClassCodesClick();
    void mnuAddNewClassFileClick();
    void CopyInputs1Click();
    void CopyHazardCodes1Click();
    void CreateDistributionData1Click();
    void mnuMAAppClick(QAction *checked);
    void Help2Click();
    void mnuFrequentlyAskedClick();
    void mnuOpNotesClick();
    void mnuWebUpdateClick();
    void mnuWebLinkClick();
    void mnuAboutClick();

    // The output commands' work on a quote that passed the readiness check. The worksheet
    // (after the print dialog) with the documents to print after it.
    void PrintWorksheet(QuoteWindow &window, const std::vector<TDocument> &documents);
    // The documents alone, once each, on a printer chosen in the print dialog.
    void PrintDocuments(const std::vector<TDocument> &documents);
    // The ACORD application in the ACORD window; true when it was printed in its final state.
    bool ShowAcordApplication(QuoteWindow &window);
    // The pool application: the Word document for plans that have one, else the form.
    void ShowPoolApplication(QuoteWindow &window);
    // The save dialog of "Save as PDF"; the chosen path, empty when cancelled.
    std::string ChoosePdfPath(const TVereDivoQuote &quote);

    // The one-time customer database correction of the New Quote procedure, with its message.
    void RunDatabaseCorrection();
    // The table set; raises when the data could not be opened at start-up.
    TVereDivoDatabase &Database() const;
    // A command that needs a quote window: nothing without one, else the readiness check.
    QuoteWindow *QuoteReadyFor(const std::string &verb);
    bool RefusedWithOpenWindows();
    // A maintenance window on the table set, shown modally with the running broker's plan.
    template<typename Window>
    void ShowMaintenanceWindow();
    void ShowAgencyProfile();
    void OpenDocument(const std::string &path);
    // Connects an action to a handler that runs with every error shown as a message.
    void Connect(QAction *action, void (TWC_MDI::*handler)());

    std::vector<std::string> m_arguments;
    int32_t m_brokerNumber = 1;
    std::string m_title;
    std::string m_updateAddress;
    std::string m_helpFile;
    std::string m_startupError;
    // Where "Save as PDF" last saved, offered again.
    std::string m_pdfFolder;
    bool m_debugOptionsOn = false;
    bool m_profileLocked = false;
    bool m_shown = false;
    bool m_exitWithoutAsking = false;
    std::unique_ptr<TVereDivoAppInfo> m_appInfo;
    std::unique_ptr<TAgencyProfile> m_agencyProfile;
    std::unique_ptr<TStateTable> m_stateTable;
    std::unique_ptr<TQtCustomerDialog> m_customerDialog;
    QuoteWindowFactory m_quoteWindowFactory;

    QMdiArea *m_mdiArea = nullptr;
    QMenu *m_windowMenu = nullptr;
    QActionGroup *m_maAppGroup = nullptr;
    QToolBar *m_toolBar = nullptr;
    std::vector<QAction *> m_windowListActions;
};
