#include "app/WcForm.h"

#include "agency/AgencyProfile.h"
#include "agency/AgencyProfileWindow.h"
#include "app/AboutWindow.h"
#include "app/StateChoice.h"
#include "core/BusyCursor.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/States.h"
#include "core/Text.h"
#include "db/VereDivoDatabase.h"
#include "maintenance/MaintenanceWindows.h"
#include "rating/DownPayment.h"
#include "rating/QuoteApplication.h"
#include "rating/VereDivoQuote.h"
#include "storage/DatabaseCorrection.h"
#include "storage/PlanStateTable.h"
#include "storage/StateTable.h"
#include "storage/VereDivoAppInfo.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "storage/records/QuoteInfo.h"
#include "ui/CustomerDialog.h"
#include "ui/DesktopOpen.h"
#include "ui/DetailWindow.h"
#include "ui/DialogKeys.h"
#include "ui/LoadQuotation.h"
#include "ui/QtText.h"
#include "ui/QuoteWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace {

// The plan of quotes made with rates the program no longer carries.
constexpr int32_t kVillanovaPlan = 4;
constexpr int kTaskBarHeight = 41;

// "Save as PDF" has no standard picture of the toolbar's size (the style's disk is a small
// one that sat higher than its neighbours): a page with a folded corner and a red "PDF" band,
// drawn at the size the toolbar shows its icons.
QIcon PdfIcon(const QSize &size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal fold = w * 0.28;
    const QPointF page[] = {{w * 0.16, h * 0.04},
                            {w * 0.84 - fold, h * 0.04},
                            {w * 0.84, h * 0.04 + fold},
                            {w * 0.84, h * 0.96},
                            {w * 0.16, h * 0.96}};
    painter.setPen(QPen(QColor(96, 96, 96), std::max(1.0, w / 24)));
    painter.setBrush(Qt::white);
    painter.drawPolygon(page, 5);
    painter.drawLine(QPointF(w * 0.84 - fold, h * 0.04), QPointF(w * 0.84 - fold, h * 0.04 + fold));
    painter.drawLine(QPointF(w * 0.84 - fold, h * 0.04 + fold), QPointF(w * 0.84, h * 0.04 + fold));
    const QRectF band(w * 0.04, h * 0.52, w * 0.78, h * 0.3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 32, 32));
    painter.drawRoundedRect(band, w / 16, w / 16);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, static_cast<int>(h * 0.26)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(band, Qt::AlignCenter, QStringLiteral("PDF"));
    painter.end();
    return QIcon(picture);
}

} // namespace

TWC_MDI::TWC_MDI(std::vector<std::string> arguments, QWidget *parent)
    : QMainWindow(parent),
      m_arguments(std::move(arguments)),
      m_quoteWindowFactory(
          [this](const TNewQuoteRequest &request) { return MakeDetailWindow(request); })
{
    setObjectName(QStringLiteral("WC_MDI"));
    const BusyCursor busy;
    m_profileLocked = ProfileLockedBy(m_arguments);
    ReadBrokerAndTitle();
    m_appInfo = std::make_unique<TVereDivoAppInfo>();
    // Saving a quote without a name or a description asks for them in the customer dialog.
    m_customerDialog = std::make_unique<TQtCustomerDialog>(m_appInfo.get());
    m_appInfo->QuoteDB().SetCustomerDialog(m_customerDialog.get());

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    CreateMenus();
    CreateToolBar();
    CreateTaskBar();
    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_mdiArea, 1);
    layout->addWidget(pnlTaskBar);
    setCentralWidget(client);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { UpdateCommandState(); });
    // Without a window manager (a virtual display) the maximised state alone changes nothing.
    if (const QScreen *display = screen()) {
        setGeometry(display->availableGeometry());
    }
    setWindowState(Qt::WindowMaximized);

    m_agencyProfile = std::make_unique<TAgencyProfile>(m_appInfo->ProgramSettingsFile());
    // Quotes print the agency's address block from the profile as it is at that moment.
    m_appInfo->SetAgencySource([this] {
        const TAgencyInformation &agency = m_agencyProfile->Information();
        return TAgencyAddress {agency.Name,       agency.Attn, agency.Street, agency.City,
                               agency.State,      agency.Zip,  agency.Phone,  agency.Fax,
                               agency.ProducerID, agency.EMail};
    });
    try {
        OpenData();
    } catch (const std::exception &error) {
        // The window still opens; the user sees why when it first shows.
        m_startupError = error.what();
    }
    if (m_appInfo->Logger() == nullptr) {
        m_appInfo->StartLog();
        m_appInfo->LogLine("WCForm - App Log Start");
    }
    if (!m_startupError.empty()) {
        m_appInfo->LogLine("WCForm - Start-up Error - " + m_startupError);
    }
    UpdateCommandState();
}

TWC_MDI::~TWC_MDI()
{
    // Quote windows go before the objects they may use.
    qDeleteAll(m_mdiArea->subWindowList());
    if (m_appInfo) {
        m_appInfo->QuoteDB().SetCustomerDialog(nullptr);
        m_appInfo->StopLog();
    }
}

void TWC_MDI::ReadBrokerAndTitle()
{
    const TIniFile about(ProgramFolder() + "Data/About.ini");
    m_brokerNumber = about.ReadInteger("Detail", "Active_Broker", 1);
    m_title = about.ReadString("Broker_" + IntText(m_brokerNumber), "AppTitle",
                               "Workers Compensation Application");
    setWindowTitle(ToQString(m_title));
    const std::string icon =
        ResolveFileName(ProgramFolder() + "Images/icon_" + IntText(m_brokerNumber) + ".ico");
    if (FileExists(icon)) {
        setWindowIcon(QIcon(ToQString(icon)));
    }
}

void TWC_MDI::OpenData()
{
    // The profile is read first and the rest goes on when the tables do not open: a profile
    // left unread would be saved over the real one at the first output.
    m_agencyProfile->Load();
    try {
        m_appInfo->OpenData();
        m_stateTable = std::make_unique<TPlanStateTable>(m_appInfo->Database()->Plans());
    } catch (const std::exception &error) {
        m_startupError = error.what();
    }
    // The user guide takes the place of the Windows help file.
    m_helpFile = m_appInfo->ProgramFolder() + "docs/guide/index.html";

    m_debugOptionsOn =
        TIniFile(m_appInfo->ProgramSettingsFile()).ReadBool("General", "DebugOptionsOn", false);
    for (QAction *item : {mnuUpperCase, mnuChooseState, mnuDeleteClassCodes, mnuAddNewClassFile,
                          CopyInputs1, CopyHazardCodes1, CreateDistributionData1}) {
        item->setVisible(m_debugOptionsOn);
    }
    const bool helpTexts = !m_debugOptionsOn || m_brokerNumber == 1 || m_brokerNumber == 5;
    mnuFrequentlyAsked->setVisible(helpTexts);
    mnuOpNotes->setVisible(helpTexts);

    mnuPoolApp->setVisible(m_brokerNumber == 5);

    m_appInfo->StartLog();
    m_appInfo->LogLine("WCForm - App Log Start");

    mnuMAApp2003->setVisible(m_brokerNumber == 5);
    if (m_brokerNumber == 5) {
        const bool use2003 = TIniFile("QORWC.ini").ReadBool("General", "Use2003MAAppNot2007", true);
        (use2003 ? mnuMAApp2003 : mnuMAApp2007)->setChecked(true);
    }
}

void TWC_MDI::CreateMenus()
{
    const auto item = [this](QMenu *menu, const char *name, const char *caption,
                             void (TWC_MDI::*handler)(),
                             const QKeySequence &shortcut = QKeySequence()) {
        QAction *action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        if (handler != nullptr) {
            Connect(action, handler);
        }
        return action;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuNewQuote = item(file, "mnuNewQuote", "&New Quote", &TWC_MDI::mnuNewQuoteClick,
                       QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuOpenQuote = item(file, "mnuOpenQuote", "&Open Quote", &TWC_MDI::mnuOpenQuoteClick,
                        QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSaveQuote = item(file, "mnuSaveQuote", "&Save Quote", &TWC_MDI::mnuSaveQuoteClick,
                        QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    mnuPrint = item(file, "mnuPrint", "&Print Quote Worksheet", &TWC_MDI::mnuPrintClick,
                    QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPrintACORD = item(file, "mnuPrintACORD", "Print &ACORD Form", &TWC_MDI::mnuPrintACORDClick,
                         QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuPoolApp = item(file, "mnuPoolApp", "Print Poo&l Application", &TWC_MDI::mnuPoolAppClick,
                      QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuPrintFinanceAgreement =
        item(file, "mnuPrintFinanceAgreement", "Print &Finance Agreement",
             &TWC_MDI::mnuPrintFinanceAgreementClick, QKeySequence(Qt::CTRL | Qt::Key_F));
    file->addSeparator();
    mnuEmail = item(file, "mnuEmail", "&Email Quote", &TWC_MDI::mnuEmailClick,
                    QKeySequence(Qt::CTRL | Qt::Key_E));
    sepExportQuote = file->addSeparator();
    sepExportQuote->setObjectName(QStringLiteral("sepExportQuote"));
    mnuExportQuote = item(file, "mnuExportQuote", "&Export Quote", &TWC_MDI::mnuExportQuoteClick,
                          QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuExportQuote->setEnabled(false);
    file->addSeparator();
    mnuExit = item(file, "mnuExit", "E&xit", &TWC_MDI::mnuExitClick);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuAgencyProfile =
        item(view, "mnuAgencyProfile", "&Agency Profile", &TWC_MDI::mnuAgencyProfileClick);

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    m_windowMenu->setObjectName(QStringLiteral("mnuWindow"));
    mnuTile = item(m_windowMenu, "mnuTile", "&Tile", nullptr);
    mnuCascade = item(m_windowMenu, "mnuCascade", "&Cascade", nullptr);
    mnuArrange = item(m_windowMenu, "mnuArrange", "&Arrange", &TWC_MDI::ArrangeIcons);
    connect(mnuTile, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);
    connect(mnuCascade, &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TWC_MDI::FillWindowMenu);

    QMenu *utilities = menuBar()->addMenu(QStringLiteral("&Utilities"));
    utilities->setObjectName(QStringLiteral("mnuUtilities"));
    mnuPack = item(utilities, "mnuPack", "&Pack and Reindex Data", &TWC_MDI::mnuPackClick);
    mnuUninstall =
        item(utilities, "mnuUninstall", "&Uninstall Application", &TWC_MDI::mnuUninstallClick);
    mnuUpperCase =
        item(utilities, "mnuUpperCase", "Upp&ercase Class Codes", &TWC_MDI::mnuUpperCaseClick);
    mnuChooseState =
        item(utilities, "mnuChooseState", "&Choose Active State", &TWC_MDI::mnuChooseStateClick);
    mnuDeleteClassCodes = item(utilities, "mnuDeleteClassCodes", "&Delete Class Codes",
                               &TWC_MDI::mnuDeleteClassCodesClick);
    mnuAddNewClassFile = item(utilities, "mnuAddNewClassFile", "Add New Class File",
                              &TWC_MDI::mnuAddNewClassFileClick);
    CopyInputs1 = item(utilities, "CopyInputs1", "Copy Inputs", &TWC_MDI::CopyInputs1Click);
    CopyHazardCodes1 =
        item(utilities, "CopyHazardCodes1", "Copy Ha&zard Codes", &TWC_MDI::CopyHazardCodes1Click);
    CreateDistributionData1 = item(utilities, "CreateDistributionData1", "Create Distribution Data",
                                   &TWC_MDI::CreateDistributionData1Click);
    utilities->addSeparator();
    mnuMAApp2003 = item(utilities, "mnuMAApp2003", "Use Office 2003 App (MA Only)", nullptr);
    mnuMAApp2007 = item(utilities, "mnuMAApp2007", "Use Office 2007 App (MA Only)", nullptr);
    m_maAppGroup = new QActionGroup(this);
    m_maAppGroup->setExclusive(true);
    for (QAction *choice : {mnuMAApp2003, mnuMAApp2007}) {
        choice->setCheckable(true);
        m_maAppGroup->addAction(choice);
    }
    connect(m_maAppGroup, &QActionGroup::triggered, this,
            [this](QAction *choice) { Guarded([this, choice] { mnuMAAppClick(choice); }); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    Help2 = item(help, "Help2", "&Help", &TWC_MDI::Help2Click);
    mnuFrequentlyAsked = item(help, "mnuFrequentlyAsked", "&Frequently Asked Questions",
                              &TWC_MDI::mnuFrequentlyAskedClick);
    mnuOpNotes = item(help, "mnuOpNotes", "&Operational Notes", &TWC_MDI::mnuOpNotesClick);
    mnuWebUpdate = item(help, "mnuWebUpdate", "&Update From the Web", &TWC_MDI::mnuWebUpdateClick);
    mnuWebLink = item(help, "mnuWebLink", "", &TWC_MDI::mnuWebLinkClick);
    help->addSeparator();
    mnuAbout = item(help, "mnuAbout", "&About", &TWC_MDI::mnuAboutClick);

    // Shown only where the settings or the broker say so.
    for (QAction *hidden :
         {mnuPoolApp, mnuUninstall, mnuUpperCase, mnuChooseState, mnuDeleteClassCodes,
          mnuAddNewClassFile, CopyInputs1, CopyHazardCodes1, CreateDistributionData1, mnuMAApp2003,
          mnuMAApp2007, mnuWebUpdate, mnuWebLink}) {
        hidden->setVisible(false);
    }
}

void TWC_MDI::CreateToolBar()
{
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("tbMain"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto button = [this](const char *name, const char *caption, QStyle::StandardPixmap icon,
                               void (TWC_MDI::*handler)()) {
        QAction *action =
            m_toolBar->addAction(style()->standardIcon(icon), QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(QString::fromLatin1(caption));
        m_toolBar->widgetForAction(action)->setObjectName(QString::fromLatin1(name));
        Connect(action, handler);
        return action;
    };
    btnNewQuote =
        button("btnNewQuote", "New Quote", QStyle::SP_FileIcon, &TWC_MDI::mnuNewQuoteClick);
    btnOpenQuote = button("btnOpenQuote", "Open Quote", QStyle::SP_DialogOpenButton,
                          &TWC_MDI::mnuOpenQuoteClick);
    btnSaveQuote = button("btnSaveQuote", "Save Quote", QStyle::SP_DialogSaveButton,
                          &TWC_MDI::mnuSaveQuoteClick);
    btnPrintQuote = button("btnPrintQuote", "Print Quote", QStyle::SP_FileDialogDetailedView,
                           &TWC_MDI::mnuPrintClick);
    btnAcordViewer = button("btnAcordViewer", "ACORD Form", QStyle::SP_FileDialogContentsView,
                            &TWC_MDI::mnuPrintACORDClick);
    btnEMail = button("btnEMail", "Email Quote", QStyle::SP_ArrowForward, &TWC_MDI::mnuEmailClick);
    btnExportQuote = button("btnExportQuote", "Export Quote", QStyle::SP_ArrowRight,
                            &TWC_MDI::mnuExportQuoteClick);
    ToolButton1 =
        button("ToolButton1", "Save as PDF", QStyle::SP_DriveFDIcon, &TWC_MDI::ToolButton1Click);
    ToolButton1->setIcon(PdfIcon(m_toolBar->iconSize()));
    // The web-link button keeps to the right end of the toolbar.
    auto *spacer = new QWidget(m_toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(spacer);
    btnWebLink = button("btnWebLink", "", QStyle::SP_DirHomeIcon, &TWC_MDI::mnuWebLinkClick);
}

void TWC_MDI::CreateTaskBar()
{
    pnlTaskBar = new QWidget(this);
    pnlTaskBar->setObjectName(QStringLiteral("pnlTaskBar"));
    pnlTaskBar->setFixedHeight(kTaskBarHeight);
    const auto button = [this](const char *name, const char *caption, void (TWC_MDI::*handler)()) {
        auto *push = new QPushButton(QString::fromLatin1(caption), pnlTaskBar);
        push->setObjectName(QString::fromLatin1(name));
        connect(push, &QPushButton::clicked, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
        return push;
    };
    btnTaskNewQuote = button("btnTaskNewQuote", "Start New Quotation", &TWC_MDI::mnuNewQuoteClick);
    btnTaskOpenQuote =
        button("btnTaskOpenQuote", "Open Stored Quotation", &TWC_MDI::mnuOpenQuoteClick);
    btnTaskExit = button("btnTaskExit", "Exit to Windows", &TWC_MDI::btnTaskExitClick);
    PlaceTaskBarButtons();
}

void TWC_MDI::PlaceTaskBarButtons()
{
    const int third = width() / 3;
    const int buttonWidth = std::max(0, third - 5);
    const int top = 4;
    const int height = kTaskBarHeight - 8;
    btnTaskNewQuote->setGeometry(7, top, buttonWidth, height);
    btnTaskOpenQuote->setGeometry(third + 2, top, buttonWidth, height);
    btnTaskExit->setGeometry(2 * buttonWidth + 7, top, buttonWidth, height);
}

void TWC_MDI::Connect(QAction *action, void (TWC_MDI::*handler)())
{
    connect(action, &QAction::triggered, this,
            [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
}

void TWC_MDI::SetStateTable(std::unique_ptr<TStateTable> table)
{
    m_stateTable = std::move(table);
}

void TWC_MDI::SetQuoteWindowFactory(QuoteWindowFactory factory)
{
    m_quoteWindowFactory = std::move(factory);
}

void TWC_MDI::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // After the window is on the screen, so the state choice opens over it.
        QTimer::singleShot(0, this, [this] { Guarded([this] { FirstShow(); }); });
    }
}

void TWC_MDI::FirstShow()
{
    if (!m_startupError.empty()) {
        ShowError(m_startupError);
    }
    NewQuote();
}

void TWC_MDI::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    PlaceTaskBarButtons();
}

void TWC_MDI::closeEvent(QCloseEvent *event)
{
    if (m_exitWithoutAsking) {
        event->accept();
        return;
    }
    m_mdiArea->closeAllSubWindows();
    if (!m_mdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}

QuoteWindow *TWC_MDI::ActiveQuote() const
{
    QMdiSubWindow *child = m_mdiArea->currentSubWindow();
    return child == nullptr ? nullptr : dynamic_cast<QuoteWindow *>(child->widget());
}

std::optional<std::vector<TOfferedState>> TWC_MDI::ChooseOfferedStates(bool multipleSelection)
{
    const std::vector<TOfferedState> offered =
        OfferedStates(m_stateTable ? m_stateTable->Rows() : std::vector<TStateRow>(),
                      m_brokerNumber, multipleSelection);
    if (offered.empty()) {
        ShowError("No Active Companies to rate");
        return std::nullopt;
    }
    TfrmNewQuote choice(offered, multipleSelection, this);
    if (choice.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return choice.SelectedStates();
}

std::optional<std::vector<std::string>> TWC_MDI::ChooseStates(bool multipleSelection)
{
    const auto chosen = ChooseOfferedStates(multipleSelection);
    if (!chosen) {
        return std::nullopt;
    }
    std::vector<std::string> ids;
    for (const TOfferedState &state : *chosen) {
        ids.push_back(state.stateID);
    }
    return ids;
}

std::string TWC_MDI::StateNameOf(int stateNumber)
{
    if (m_stateTable) {
        for (const TOfferedState &state :
             OfferedStates(m_stateTable->Rows(), m_brokerNumber, true)) {
            if (StrToIntDef(state.stateID, 0) == stateNumber) {
                return state.name;
            }
        }
    }
    return StateAbbreviation(stateNumber);
}

QuoteWindow *TWC_MDI::NewQuote(const TCustLOBInfo *header, std::shared_ptr<TRatingSnapshot> carried)
{
    TAppInfo &log = *m_appInfo;
    log.LogLine("WCForm - New Quote Method");
    RunDatabaseCorrection();
    log.LogLine("WCForm - NBrokerID Var = " + IntText(m_brokerNumber) + " (Check 1)");
    TNewQuoteRequest request;
    request.brokerNumber = m_brokerNumber;
    request.header = header;
    request.carried = std::move(carried);
    if (header != nullptr) {
        request.stateNumber = StateNumber(header->State());
        log.LogLine("WCForm - New Quote Method - LOB Assigned");
    } else {
        log.LogLine("WCForm - New Quote Method - LOB not Assigned");
        request.stateNumber = StateNumber(m_appInfo->ActiveState());
        if (request.stateNumber == 0) {
            const auto chosen = ChooseOfferedStates(false);
            if (!chosen || chosen->empty()) {
                return nullptr;
            }
            request.stateNumber = StrToIntDef(chosen->front().stateID, 0);
            request.stateName = chosen->front().name;
        }
        log.LogLine("WCForm - New Quote Method - State ID = " + IntText(request.stateNumber));
    }
    request.stateAbbreviation = StateAbbreviation(request.stateNumber);
    if (request.stateName.empty()) {
        request.stateName = StateNameOf(request.stateNumber);
    }

    const auto end = [&log] { log.LogLine("WCForm - New Quote Method - End of Method"); };
    if (m_brokerNumber == 1 && request.stateNumber == StateNY && header != nullptr &&
        header->QuoteID() > 0 &&
        m_appInfo->QuoteDB().CustDBO().GetPlan(header->QuoteID(), 0) == kVillanovaPlan) {
        ShowInformation("Villanova Rates are no longer provided in this software.  This quote "
                        "cannot be restored");
        end();
        return nullptr;
    }
    mnuPoolApp->setText(ToQString("Print " + request.stateAbbreviation + " Poo&l Application"));
    if (request.stateNumber != StateMA && request.stateNumber != StateNJ) {
        ShowError("Unrecognized State requested.  Unable to continue with quote.");
        end();
        return nullptr;
    }
    log.LogLine("WCForm - New Quote Method - Quote Object Create - Call to create Detail Form");
    std::unique_ptr<QWidget> window = m_quoteWindowFactory(request);
    auto *quote = dynamic_cast<QuoteWindow *>(window.get());
    if (quote == nullptr) {
        end();
        return nullptr;
    }
    QMdiSubWindow *child = m_mdiArea->addSubWindow(window.release());
    child->setAttribute(Qt::WA_DeleteOnClose);
    connect(child, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, [this] { UpdateCommandState(); }); });
    child->showMaximized();
    m_mdiArea->setActiveSubWindow(child);

    TIniFile("QORWC.ini")
        .WriteString("Install_Info", IntText(m_brokerNumber) + "_" + request.stateAbbreviation,
                     m_appInfo->ProgramFolder());
    if (const std::string address = quote->UpdateAddress(); !address.empty()) {
        m_updateAddress = address;
    }
    UpdateCommandState();
    end();
    return quote;
}

QuoteWindow *TWC_MDI::NewQuoteFrom(const TCustLOBInfo &header,
                                   std::shared_ptr<TRatingSnapshot> carried)
{
    return NewQuote(&header, std::move(carried));
}

std::unique_ptr<QWidget> TWC_MDI::MakeDetailWindow(const TNewQuoteRequest &request)
{
    TCustLOBInfo header;
    TDateTime date = 0;
    if (request.header != nullptr) {
        header.Assign(*request.header);
        // A follow-on quote is new: it starts on the date its header names.
        if (header.QuoteID() < 1) {
            date = header.EffectiveDate();
        }
    } else {
        header.SetState(request.stateAbbreviation);
    }
    std::unique_ptr<TVereDivoQuote> quote =
        CreateStateQuote(request.brokerNumber, m_appInfo->QuoteApplication(), header, date);
    if (!quote) {
        return nullptr;
    }
    if (header.QuoteID() < 1 && m_brokerNumber == 5) {
        quote->SetDownPercent(ReadDefaultDownPercent(m_appInfo->ProgramFolder()));
    }
    return std::make_unique<TfrmVereDivoDetail>(std::move(quote), *this, request.carried);
}

bool TWC_MDI::OutputBlocked(QuoteWindow *quote, const std::string &verb, bool askForAddress)
{
    if (!m_agencyProfile->HasAgencyName()) {
        ShowInformation("Your Agency Profile isn't complete.  Please fill it out before " + verb +
                        "ing.");
        ShowAgencyProfile();
        if (!m_agencyProfile->HasAgencyName()) {
            ShowInformation("Cannot " + verb + " Quote without an Agency Profile");
            return true;
        }
    }
    if (quote == nullptr || !quote->HasValidPremium()) {
        ShowInformation("Cannot " + verb + " Quote without a valid premium");
        return true;
    }
    if (!quote->HasCompanyName() || (askForAddress && !quote->HasCompleteAddress())) {
        if (ActiveQuote() != nullptr) {
            quote->EditCustomer(askForAddress);
        }
        if (!quote->HasCompanyName()) {
            ShowInformation("Unable to " + verb + " without a Company Name");
            return true;
        }
    }
    return false;
}

void TWC_MDI::UpdateCommandState()
{
    const QuoteWindow *quote = ActiveQuote();
    const TQuoteCommands commands = quote != nullptr ? quote->Commands() : TQuoteCommands();
    btnSaveQuote->setVisible(commands.saveAllowed);
    mnuSaveQuote->setEnabled(commands.saveAllowed);
    btnExportQuote->setVisible(commands.exportAllowed);
    mnuExportQuote->setVisible(commands.exportAllowed);
    sepExportQuote->setVisible(commands.exportAllowed);
    btnPrintQuote->setVisible(quote != nullptr);
    btnEMail->setVisible(quote != nullptr);
    btnAcordViewer->setVisible(commands.acordAvailable);
    mnuPrintACORD->setVisible(commands.acordAvailable);
    mnuPrintFinanceAgreement->setVisible(commands.financeAgreementAvailable);
    const QString webSite = ToQString(commands.webSiteCaption);
    mnuWebLink->setText(webSite);
    btnWebLink->setText(webSite);
    btnWebLink->setToolTip(webSite);
    mnuWebLink->setVisible(!webSite.isEmpty());
    btnWebLink->setVisible(!webSite.isEmpty());
    if (!m_updateAddress.empty()) {
        mnuWebUpdate->setVisible(true);
    }
}

QuoteWindow *TWC_MDI::QuoteReadyFor(const std::string &verb)
{
    QuoteWindow *quote = ActiveQuote();
    if (quote == nullptr || OutputBlocked(quote, verb, false)) {
        return nullptr;
    }
    return quote;
}

bool TWC_MDI::RefusedWithOpenWindows()
{
    if (m_mdiArea->subWindowList().isEmpty()) {
        return false;
    }
    ShowInformation("Cannot Perform Function With Open Windows");
    return true;
}

void TWC_MDI::ShowAgencyProfile()
{
    TfrmAgencyProfile window(*m_agencyProfile, m_profileLocked, this);
    window.exec();
}

void TWC_MDI::RunDatabaseCorrection()
{
    bool replaced = false;
    try {
        replaced = RunCustomerDatabaseCorrection(*m_appInfo, m_brokerNumber);
    } catch (const std::exception &error) {
        // The quote can still be worked; the correction runs again at the next new quote.
        m_appInfo->LogLine(std::string("WCForm - Database Correction - ") + error.what());
        return;
    }
    if (replaced) {
        ShowInformation("In order to correct a problem in your Customer Database it was "
                        "necessary to replace old customer quotes with empty data. Previously "
                        "stored quotes will no longer be available for viewing.  Quotes saved "
                        "beyond this point will NOT be adversly affected",
                        "Database Correction");
    }
}

void TWC_MDI::OpenDocument(const std::string &path)
{
    OpenDocumentWithDesktop(path, "Unable to open " + path);
}

void TWC_MDI::mnuNewQuoteClick()
{
    NewQuote();
}

void TWC_MDI::mnuOpenQuoteClick()
{
    TVereDivoCustDBO &store = m_appInfo->QuoteDB().CustDBO();
    std::unique_ptr<TCustLOBInfo> header;
    {
        TfrmLoadQuotation window(store, TfrmLoadQuotation::TMode::OpenQuote, this);
        if (!window.HasCustomers()) {
            ShowInformation("There are no Customers in the database.");
            return;
        }
        if (window.exec() != QDialog::Accepted) {
            return;
        }
        header = store.LoadQuoteHeader(window.SelectedQuoteID());
    }
    if (header) {
        NewQuote(header.get());
    }
    UpdateCommandState();
}

void TWC_MDI::mnuSaveQuoteClick()
{
    QuoteWindow *quote = ActiveQuote();
    if (quote == nullptr) {
        return;
    }
    if (!quote->HasClasses()) {
        ShowInformation("Cannot save Quote without active classes");
        return;
    }
    quote->SaveQuote();
}

void TWC_MDI::mnuExitClick()
{
    // Ends the program without asking the open quotes; the log is still written at the end.
    m_exitWithoutAsking = true;
    close();
}

void TWC_MDI::btnTaskExitClick()
{
    close();
}

void TWC_MDI::mnuAgencyProfileClick()
{
    ShowAgencyProfile();
}

TVereDivoDatabase &TWC_MDI::Database() const
{
    if (m_appInfo->Database() == nullptr) {
        throw std::runtime_error("The tables of the data folder " + m_appInfo->DataFolder() +
                                 " are not open." +
                                 (m_startupError.empty() ? "" : "  " + m_startupError));
    }
    return *m_appInfo->Database();
}

void TWC_MDI::mnuPackClick()
{
    if (RefusedWithOpenWindows() ||
        !AskYesNo("Be Sure all other users have exited before continuing.  Proceed?", "",
                  Prompter::Answer::No)) {
        return;
    }
    // Also when the tables could not be opened: a damaged index is what this repairs.
    const BusyCursor busy;
    m_appInfo->PackAndReindexData();
}

void TWC_MDI::mnuUninstallClick()
{
    if (RefusedWithOpenWindows() ||
        !AskYesNo("Are you sure you wish to Uninstall this appliciation?", "",
                  Prompter::Answer::No)) {
        return;
    }
    const std::string uninstaller = ResolveFileName(m_appInfo->ProgramFolder() + "unwise.exe");
    if (!FileExists(uninstaller) || !QProcess::startDetached(ToQString(uninstaller), {})) {
        ShowInformation("Uninstall utility not found.  Application will NOT be removed.");
    }
}

void TWC_MDI::mnuUpperCaseClick()
{
    if (RefusedWithOpenWindows()) {
        return;
    }
    TCBTable &classes = Database().Classes();
    {
        const BusyCursor busy;
        // In record order: the codes are index keys, and a changed key must not move the walk.
        classes.SelectTag("");
        for (classes.First(); !classes.Eof(); classes.Next()) {
            for (const char *field : {"C_PHRASE", "C_CODE", "C_SUBCODE"}) {
                classes.SetString(field, UpperCase(classes.GetString(field)));
            }
        }
        classes.Flush();
    }
    ShowInformation("Uppercase Function Complete");
}

void TWC_MDI::mnuChooseStateClick()
{
    if (const auto chosen = ChooseStates(true); chosen && m_stateTable) {
        m_stateTable->SetActiveStates(*chosen);
    }
}

template<typename Window>
void TWC_MDI::ShowMaintenanceWindow()
{
    Window window(Database(), this);
    // The running broker's plan first: the plan list holds every broker's plans.
    window.SelectPlan(m_brokerNumber, StateNumber(m_appInfo->ActiveState()));
    window.exec();
}

void TWC_MDI::mnuDeleteClassCodesClick()
{
    ShowMaintenanceWindow<TfrmDeleteClassCodes>();
}

void TWC_MDI::mnuAddNewClassFileClick()
{
    ShowMaintenanceWindow<TfrmAddClassFile>();
}

void TWC_MDI::CopyInputs1Click()
{
    ShowMaintenanceWindow<TfrmCopyInputs>();
}

void TWC_MDI::CopyHazardCodes1Click()
{
    ShowMaintenanceWindow<TfrmCopyHazardCodes>();
}

void TWC_MDI::CreateDistributionData1Click()
{
    if (RefusedWithOpenWindows()) {
        return;
    }
    TfrmPrepareSetup window(Database(), m_appInfo->DataFolder(),
                            StateNumber(m_appInfo->ActiveState()), m_brokerNumber, this);
    window.exec();
}

void TWC_MDI::mnuMAAppClick(QAction *checked)
{
    checked->setChecked(true);
    TIniFile("QORWC.ini").WriteBool("General", "Use2003MAAppNot2007", mnuMAApp2003->isChecked());
}

void TWC_MDI::Help2Click()
{
    OpenDocument(m_helpFile.empty() ? m_appInfo->ProgramFolder() + "docs/guide/index.html"
                                    : m_helpFile);
}

void TWC_MDI::mnuFrequentlyAskedClick()
{
    OpenDocument(m_appInfo->ProgramFolder() +
                 (m_brokerNumber == 5 ? "docs/faqqor.txt" : "docs/faq.txt"));
}

void TWC_MDI::mnuOpNotesClick()
{
    OpenDocument(m_appInfo->ProgramFolder() + "docs/opn.txt");
}

void TWC_MDI::mnuWebUpdateClick()
{
    if (!AskYesNo("Your Internet Browser will now open and redirect you to the location to "
                  "download the latest version.  The rating software will now shutdown in order "
                  "for this update to occur.  Continue?")) {
        return;
    }
    const auto children = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (!(*child)->close()) {
            return;
        }
    }
    OpenAddressWithDesktop(m_updateAddress, "Unable to show website: " + m_updateAddress);
    close();
}

void TWC_MDI::mnuWebLinkClick()
{
    const QuoteWindow *quote = ActiveQuote();
    if (quote == nullptr) {
        return;
    }
    const std::string address = quote->WebSiteAddress();
    OpenAddressWithDesktop(address, "Unable to show website: " + address);
}

void TWC_MDI::mnuAboutClick()
{
    TfrmAbout about(m_title, m_appInfo->DataFolder(), m_brokerNumber, this);
    about.exec();
}

void TWC_MDI::FillWindowMenu()
{
    for (QAction *action : m_windowListActions) {
        m_windowMenu->removeAction(action);
        action->deleteLater();
    }
    m_windowListActions.clear();
    const auto children = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (children.isEmpty()) {
        return;
    }
    m_windowListActions.push_back(m_windowMenu->addSeparator());
    int number = 0;
    for (QMdiSubWindow *child : children) {
        QAction *action = m_windowMenu->addAction(
            QStringLiteral("&%1 %2").arg(++number).arg(child->windowTitle()));
        action->setCheckable(true);
        action->setChecked(child == m_mdiArea->currentSubWindow());
        connect(action, &QAction::triggered, this,
                [this, child] { m_mdiArea->setActiveSubWindow(child); });
        m_windowListActions.push_back(action);
    }
}

void TWC_MDI::ArrangeIcons()
{
    // Minimised quote windows line up along the bottom of the MDI area.
    int left = 0;
    for (QMdiSubWindow *child : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (child->isMinimized()) {
            const QSize size = child->size();
            child->move(left, m_mdiArea->viewport()->height() - size.height());
            left += size.width();
        }
    }
}
