#include "forms/AcordWindow.h"

#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "forms/ApplicationForm.h"
#include "forms/FormData.h"
#include "forms/FormErrors.h"

#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

QString Q(std::string_view text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

std::string S(const QString &text)
{
    return Utf8ToWindows1252(text.toStdString());
}

const char *const kImageText =
    "Provide a printer adjustment below to increase, or decrease, the image size. The defualt "
    "is 1 (100%). If you want a 1% increase, for example, type 1.010 in the box. Typically you "
    "won't need to exceed 1.030";
const char *const kTopMarginText =
    "Provide an amount to increase, or decrease, the image size in tenths of an inch. The "
    "defualt is 0. If you want to move up a tenth of an inch, for example, type -1.000 in the "
    "box. Type 1.000 to move down a tenth. A full inch would be 10.000 (or -10.000)";

} // namespace

// --- TfrmAcordAdjust --------------------------------------------------------------------------

TfrmAcordAdjust::TfrmAcordAdjust(QWidget *parent, const QString &title, const QString &text,
                                 double value)
    : QDialog(parent)
{
    setObjectName("frmAcordAdjust");
    setWindowTitle(title);
    lblText = new QLabel(text, this);
    lblText->setWordWrap(true);
    lblText->setMinimumWidth(360);
    txtValue = new QLineEdit(Q(FixedText(value, 3)), this);
    txtValue->setObjectName("txtValue");
    txtValue->setAlignment(Qt::AlignRight);
    txtValue->setMaximumWidth(120);
    btnDone = new QPushButton("&Done", this);
    btnDone->setObjectName("btnDone");
    btnDone->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnDone, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnDone);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblText);
    layout->addWidget(txtValue, 0, Qt::AlignLeft);
    layout->addLayout(buttons);
}

bool TfrmAcordAdjust::Value(double &value) const
{
    bool ok = false;
    value = txtValue->text().trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// --- TfrmAcord --------------------------------------------------------------------------------

TfrmAcord::TfrmAcord(const std::string &caption, QWidget *parent) : QDialog(parent)
{
    setObjectName("frmAcord");
    setWindowTitle(Q(caption));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    Viewer1 = new TQorFormViewer(this);
    Viewer1->setObjectName("Viewer1");
    TFormViewerOptions &options = Viewer1->Options();
    options.FieldBackgroundColor = {255, 255, 189};
    options.EditBackgroundColor = {191, 255, 244};
    options.ReadOnly = false;
    options.ReadOnlysReceiveFocus = true;
    options.ReadOnlysGetFormBackground = false;
    options.FormVisible = true;
    options.MinEditSize = 15;
    options.BoldFields = false;
    options.EnforceRequirements = false;
    options.CircleFieldFontName = "Arial";
    options.CircleFieldFontHeight = 120;
    options.UseCircleFieldFont = false;
    options.FilledCheckboxes = false;
    Viewer1->SetFormsPath("./");
    Viewer1->OnModifyField = [this](QObject *, TFormField *field) { FieldModified(field); };
    Viewer1->OnPageChange = [this](TQorFormViewer *, int) {
        btnPageUp->setEnabled(Viewer1->CurrentPage() > 1);
        btnPageDown->setEnabled(Viewer1->CurrentPage() < Viewer1->PageCount());
    };

    auto *menuBar = new QMenuBar(this);
    mnuFile = menuBar->addMenu("&File");
    mnuOpen = mnuFile->addAction("&Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuSave = mnuFile->addAction("&Save", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuPrint = mnuFile->addAction("&Print", QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuClose = mnuFile->addAction("&Close");
    mnuOptions = menuBar->addMenu("&Options");
    mnuImageSize = mnuOptions->addAction("&Image Size");
    mnuTopMargin = mnuOptions->addAction("&Top Margin");
    mnuBoldFields = mnuOptions->addAction("&Use &Bold Fields");
    mnuBoldFields->setCheckable(true);
    mnuExternalPrint = mnuOptions->addAction("&External Print Module");
    mnuExternalPrint->setCheckable(true);
    mnuRMV1PrintSetup = mnuOptions->addAction("RMV1 Print Setup");
    const auto name = [](QAction *action, const char *objectName) {
        action->setObjectName(objectName);
    };
    name(mnuOpen, "mnuOpen");
    name(mnuSave, "mnuSave");
    name(mnuPrint, "mnuPrint");
    name(mnuClose, "mnuClose");
    name(mnuImageSize, "mnuImageSize");
    name(mnuTopMargin, "mnuTopMargin");
    name(mnuBoldFields, "mnuBoldFields");
    name(mnuExternalPrint, "mnuExternalPrint");
    name(mnuRMV1PrintSetup, "mnuRMV1PrintSetup");

    ToolBar = new QToolBar(this);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto tool = [this](const char *objectName, QStyle::StandardPixmap icon, const char *text,
                             const char *hint) {
        QAction *action = ToolBar->addAction(style()->standardIcon(icon), text);
        action->setObjectName(objectName);
        action->setToolTip(hint);
        return action;
    };
    btnPrint = tool("btnPrint", QStyle::SP_DialogSaveButton, "Print", "Print Current Form");
    ToolBar->addSeparator();
    btnZoomIn =
        tool("btnZoomIn", QStyle::SP_ArrowUp, "Zoom In", "Increase Form Magnification (Zoom In)");
    btnZoomOut = tool("btnZoomOut", QStyle::SP_ArrowDown, "Zoom Out",
                      "Decrease Form Magnification (Zoom Out)");
    ToolBar->addSeparator();
    btnPageUp = tool("btnPageUp", QStyle::SP_ArrowBack, "Previous", "Previous Page");
    btnPageDown = tool("btnPageDown", QStyle::SP_ArrowForward, "Next", "Next Page");

    lblPreview = new QLabel("Text", this);
    txtPreview = new QLineEdit(this);
    txtPreview->setObjectName("txtPreview");
    txtPreview->setReadOnly(true);
    txtPreview->setMinimumWidth(300);
    QPalette grey = txtPreview->palette();
    grey.setColor(QPalette::Base, palette().color(QPalette::Window));
    txtPreview->setPalette(grey);
    txtPreview->setFocusPolicy(Qt::NoFocus);
    OK = new QPushButton("&OK", this);
    OK->setObjectName("OK");
    Cancel = new QPushButton("&Cancel", this);
    Cancel->setObjectName("Cancel");
    OK->setAutoDefault(false);
    Cancel->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(4, 2, 4, 2);
    top->addWidget(ToolBar);
    top->addSpacing(12);
    top->addWidget(lblPreview);
    top->addWidget(txtPreview, 1);
    top->addSpacing(12);
    top->addWidget(OK);
    top->addWidget(Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addLayout(top);
    layout->addWidget(Viewer1, 1);

    const auto guard = [this](void (TfrmAcord::*command)()) {
        return [this, command] { Guarded([this, command] { (this->*command)(); }); };
    };
    connect(btnPrint, &QAction::triggered, this, guard(&TfrmAcord::PrintForm));
    connect(mnuPrint, &QAction::triggered, this, guard(&TfrmAcord::PrintForm));
    connect(btnZoomIn, &QAction::triggered, this, guard(&TfrmAcord::ZoomIn));
    connect(btnZoomOut, &QAction::triggered, this, guard(&TfrmAcord::ZoomOut));
    connect(btnPageUp, &QAction::triggered, this, [this] {
        if (Viewer1->CurrentPage() > 1) {
            Viewer1->GoToPage(Viewer1->CurrentPage() - 1);
        }
    });
    connect(btnPageDown, &QAction::triggered, this, [this] {
        if (Viewer1->CurrentPage() < Viewer1->PageCount()) {
            Viewer1->GoToPage(Viewer1->CurrentPage() + 1);
        }
    });
    connect(mnuOpen, &QAction::triggered, this, guard(&TfrmAcord::OpenFormFile));
    connect(mnuSave, &QAction::triggered, this, guard(&TfrmAcord::SaveForm));
    connect(mnuClose, &QAction::triggered, this, &QDialog::reject);
    connect(mnuImageSize, &QAction::triggered, this, guard(&TfrmAcord::ImageSize));
    connect(mnuTopMargin, &QAction::triggered, this, guard(&TfrmAcord::TopMargin));
    connect(mnuBoldFields, &QAction::triggered, this, guard(&TfrmAcord::ToggleBoldFields));
    connect(mnuExternalPrint, &QAction::triggered, this, guard(&TfrmAcord::ToggleExternalPrint));
    connect(OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The print adjustments and options of the last session.
    Viewer1->SetTopOffset(m_settings.ReadInteger("Settings", "TopMargin", 0));
    const bool bold = m_settings.ReadBool("Settings", "BoldFields", true);
    Viewer1->SetBoldFields(bold);
    mnuBoldFields->setChecked(bold);
    double scale = StrToFloatDef(m_settings.ReadString("Settings", "PrinterAdjust", "1.000"), 1);
    Viewer1->SetPrintScale(scale > 0 && std::isfinite(scale) ? scale : 1.0);
    m_externalPrint = m_settings.ReadBool("Settings", "ExternalPrint", false);
    mnuExternalPrint->setChecked(m_externalPrint);
    m_printed = false;
    mnuRMV1PrintSetup->setVisible(false);

    resize(1100, 850);
    setWindowState(windowState() | Qt::WindowMaximized);
}

TfrmAcord::~TfrmAcord() = default;

void TfrmAcord::Guarded(const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &e) {
        ShowError(e.what());
    }
}

void TfrmAcord::SetButtons(const std::string &okCaption, const std::string &cancelCaption)
{
    OK->setText(Q(okCaption));
    OK->setVisible(!okCaption.empty());
    Cancel->setText(Q(cancelCaption));
    Cancel->setVisible(!cancelCaption.empty());
}

void TfrmAcord::OpenForm(const std::string &folder, const std::string &name)
{
    Viewer1->SetFormsPath(folder);
    Viewer1->SetFormName(name);
    btnPageUp->setEnabled(Viewer1->CurrentPage() > 1);
    btnPageDown->setEnabled(Viewer1->CurrentPage() < Viewer1->PageCount());
}

int TfrmAcord::LoadData(const std::string &fileName)
{
    const int skipped = LoadFormData(Viewer1->Document(), fileName);
    Viewer1->viewport()->update();
    return skipped;
}

void TfrmAcord::SaveData(const std::string &fileName)
{
    SaveFormData(Viewer1->Document(), fileName);
}

void TfrmAcord::SetZoom(int percent)
{
    Viewer1->SetMagnification(percent);
}

int TfrmAcord::GetZoom() const
{
    return Viewer1->Magnification();
}

void TfrmAcord::SetReadOnlysReceiveFocus(bool on)
{
    Viewer1->Options().ReadOnlysReceiveFocus = on;
}

void TfrmAcord::SetReadOnlysGetFormBackground(bool on)
{
    Viewer1->Options().ReadOnlysGetFormBackground = on;
    Viewer1->viewport()->update();
}

void TfrmAcord::SetCanSave(bool on)
{
    m_canSave = on;
    UpdateButtons();
}

void TfrmAcord::UpdateButtons()
{
    if (m_canSave || !m_caller.empty()) {
        Cancel->setText("Cancel");
        OK->setVisible(true);
    } else {
        Cancel->setText("Close");
        OK->setVisible(false);
    }
}

bool TfrmAcord::LocateField(const std::string &name)
{
    m_found = Viewer1->FindField(name);
    return m_found != nullptr;
}

bool TfrmAcord::SetField(const std::string &name, const std::string &value, bool readOnly)
{
    if (!LocateField(name)) {
        return false;
    }
    Viewer1->SetFieldValue(*m_found, value);
    m_found->ReadOnly = readOnly;
    return true;
}

void TfrmAcord::FieldModified(TFormField *field)
{
    txtPreview->setText(Q(field != nullptr ? field->Value : std::string()));
    m_printed = false;
}

void TfrmAcord::PrintForm()
{
    if (!Viewer1->CheckBeforePrint()) {
        return;
    }
    std::unique_ptr<QPrinter> own;
    QPrinter *printer = Printer;
    if (printer == nullptr) {
        own = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = own.get();
    }
    printer->setFromTo(0, 0);
    printer->setPrintRange(QPrinter::AllPages);
    const int pages = Viewer1->PageCount();
    bool confirmed = false;
    if (ExecPrintDialog) {
        confirmed = ExecPrintDialog(*printer, pages);
    } else {
        QPrintDialog dialog(printer, this);
        dialog.setMinMax(1, std::max(1, pages));
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        confirmed = dialog.exec() == QDialog::Accepted;
    }
    if (!confirmed) {
        return;
    }
    m_printed = true;
    const int copies = std::max(1, printer->copyCount());
    printer->setCopyCount(1);
    const QPrinter::PrintRange range = printer->printRange();
    const int from = printer->fromPage();
    const int to = printer->toPage();
    const bool rmv1 = UpperCase(Viewer1->FormName()).find("RMV1") != std::string::npos;
    for (int copy = 0; copy < copies; ++copy) {
        if (range == QPrinter::Selection || range == QPrinter::CurrentPage) {
            continue;
        }
        const bool all = range == QPrinter::AllPages || from < 1;
        if (rmv1) {
            TPrintOptions options;
            options.FieldsOnly = true;
            options.SetAllPageFlags(all);
            for (int page = from; !all && page <= to; ++page) {
                options.SetPageFlag(page, true);
            }
            Viewer1->PrintWithOptions(options, printer);
        } else if (all) {
            Viewer1->PrintPages(0, 0, printer);
        } else {
            Viewer1->PrintPages(from, to, printer);
        }
        if (Viewer1->PrintAborted()) {
            break;
        }
    }
}

void TfrmAcord::ZoomIn()
{
    SetZoom(GetZoom() + 10);
}

void TfrmAcord::ZoomOut()
{
    if (GetZoom() >= 20) {
        SetZoom(GetZoom() - 10);
    }
}

void TfrmAcord::OpenFormFile()
{
    const QString file = QFileDialog::getOpenFileName(this, "Open", Q(Viewer1->FormsPath()),
                                                      "CRD Files (*.crd);;All Files (*)");
    if (file.isEmpty()) {
        return;
    }
    const QFileInfo info(file);
    OpenForm(IncludeTrailingSlash(S(info.absolutePath())), S(info.completeBaseName()));
}

void TfrmAcord::SaveForm()
{
    if (m_canSave) {
        QDialog::done(QDialog::Accepted);
    } else {
        ShowInformation("This form cannot be saved");
    }
}

void TfrmAcord::ImageSize()
{
    TfrmAcordAdjust dialog(this, "Image Adjustment", kImageText, Viewer1->PrintScale());
    double value = 0;
    if (dialog.exec() != QDialog::Accepted || !dialog.Value(value)) {
        return;
    }
    if (value <= 0) {
        ShowError("The image size must be above 0.");
        return;
    }
    Viewer1->SetPrintScale(value);
    m_settings.WriteString("Settings", "PrinterAdjust", FixedText(value, 3));
}

void TfrmAcord::TopMargin()
{
    TfrmAcordAdjust dialog(this, "Top Margin Adjustment", kTopMarginText,
                           Viewer1->TopOffset() / 100.0);
    double value = 0;
    if (dialog.exec() != QDialog::Accepted || !dialog.Value(value)) {
        return;
    }
    // Half to even, as the adjustment has always been rounded; kept within a page.
    const double offset = std::nearbyint(std::clamp(value, -110.0, 110.0) * 100);
    Viewer1->SetTopOffset(static_cast<int>(offset));
    m_settings.WriteInteger("Settings", "TopMargin", Viewer1->TopOffset());
}

void TfrmAcord::ToggleBoldFields()
{
    const bool bold = !Viewer1->Options().BoldFields;
    Viewer1->SetBoldFields(bold);
    mnuBoldFields->setChecked(bold);
    m_settings.WriteBool("Settings", "BoldFields", bold);
}

void TfrmAcord::ToggleExternalPrint()
{
    m_externalPrint = !m_externalPrint;
    mnuExternalPrint->setChecked(m_externalPrint);
    m_settings.WriteBool("Settings", "ExternalPrint", m_externalPrint);
}

void TfrmAcord::done(int result)
{
    if (result == QDialog::Accepted) {
        QDialog::done(result);
        return;
    }
    if (!m_canSave) {
        QDialog::done(QDialog::Rejected);
        return;
    }
    switch (AskYesNoCancel("Do you want to save this form?")) {
    case Prompter::Answer::Yes:
        QDialog::done(QDialog::Accepted);
        break;
    case Prompter::Answer::No:
        QDialog::done(QDialog::Rejected);
        break;
    default:
        break; // the window stays open
    }
}

// --- TfrmFinanceOptions -----------------------------------------------------------------------

TfrmFinanceOptions::TfrmFinanceOptions(QWidget *parent, int32_t surcharge, int32_t minimumDown,
                                       double downPercent)
    : QDialog(parent), m_minimumDown(minimumDown)
{
    setObjectName("frmFinanceOptions");
    setWindowTitle("Financing Options");
    txtSurcharge = new QLineEdit(QString::number(surcharge), this);
    txtSurcharge->setObjectName("txtSurcharge");
    txtDown = new QLineEdit(QString::number(minimumDown), this);
    txtDown->setObjectName("txtDown");
    lblDown = new QLabel(Q("Down Payment  (" + FixedText(downPercent, 0) + "% Minimum)"), this);
    lblTotal = new QLabel(this);
    lblTotal->setObjectName("lblTotal");
    for (QLineEdit *edit : {txtSurcharge, txtDown}) {
        edit->setAlignment(Qt::AlignRight);
        edit->installEventFilter(this);
    }
    lblTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnDone = new QPushButton("&Done", this);
    btnDone->setObjectName("btnDone");
    btnDone->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnDone, &QPushButton::clicked, this, [this] {
        Recalculate();
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel("Section 2119 Charge   (NY Only)", this), 0, 0);
    grid->addWidget(txtSurcharge, 0, 1);
    grid->addWidget(lblDown, 1, 0);
    grid->addWidget(txtDown, 1, 1);
    grid->addWidget(new QLabel("Total Cash Required:", this), 2, 0);
    grid->addWidget(lblTotal, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnDone);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    Recalculate();
}

bool TfrmFinanceOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && (watched == txtSurcharge || watched == txtDown)) {
        Recalculate();
    }
    return QDialog::eventFilter(watched, event);
}

int32_t TfrmFinanceOptions::Surcharge() const
{
    return std::max(0, RoundAmount(StrToFloatDef(S(txtSurcharge->text().trimmed()), 0)));
}

void TfrmFinanceOptions::Recalculate()
{
    int32_t down = RoundAmount(StrToFloatDef(S(txtDown->text().trimmed()), 0));
    if (down < m_minimumDown) {
        down = m_minimumDown;
        txtDown->setText(QString::number(down));
    }
    lblTotal->setText(Q(MoneyText(down + Surcharge())));
}

int32_t TfrmFinanceOptions::TotalCash() const
{
    const int32_t down = RoundAmount(StrToFloatDef(S(txtDown->text().trimmed()), 0));
    return std::max(down, m_minimumDown) + Surcharge();
}

// --- Form Options -----------------------------------------------------------------------------

int AskFormOptions(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setObjectName("frmFormOptions");
    dialog.setWindowTitle("Form Options");
    auto *layout = new QVBoxLayout(&dialog);
    auto *group = new QButtonGroup(&dialog);
    const char *const choices[] = {"Ignore the old file and use only new data and empty fields",
                                   "Show the previously saved file as is",
                                   "Show the saved file, but use this new data where applicable"};
    for (int i = 0; i < 3; ++i) {
        auto *option = new QRadioButton(choices[i], &dialog);
        option->setObjectName(QString("optChoice%1").arg(i + 1));
        group->addButton(option, i);
        layout->addWidget(option);
    }
    group->button(2)->setChecked(true);
    auto *ok = new QPushButton("&OK", &dialog);
    ok->setDefault(true);
    auto *cancel = new QPushButton("&Cancel", &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    return group->checkedId();
}

// --- The quote's commands ---------------------------------------------------------------------

bool ShowApplication(TVereDivoQuote &quote, int32_t kind, QWidget *parent)
{
    TQuoteApplication &application = quote.Application();
    const auto log = [&application](const std::string &step) {
        application.Log("WCQuote - ShowQORAcordViewer - " + step);
    };
    log("Start");
    const std::string formName = quote.ApplicationFormName(kind);
    if (formName.empty()) {
        ShowInformation(NoApplicationFormMessage(quote, kind));
        log("Finished");
        return false;
    }
    // Only a stored quote has a file of its own (a new one gets its number when saved).
    const std::string oldFile = quote.FormDataFile(kind);
    bool loadSaved = false;
    bool showNew = true;
    if (!oldFile.empty() && FileExists(oldFile)) {
        const int choice = AskFormOptions(parent);
        if (choice < 0) {
            log("Finished");
            return false;
        }
        loadSaved = choice >= 1;
        showNew = choice != 1;
    }

    log("Create TfrmAcord");
    TfrmAcord window(quote.ApplicationTitle(kind), parent);
    log("Set Form Buttons");
    window.SetButtons("&Save", "&Close");
    log("Set Read Only Items");
    window.SetReadOnlysReceiveFocus(false);
    window.SetReadOnlysGetFormBackground(true);
    log("Load Form");
    window.OpenForm(application.AcordFolder(), formName);
    log("Set Zoom Level");
    TIniFile settings(kAcordIni);
    window.SetZoom(settings.ReadInteger("Acord", "Zoom", 120));
    TApplicationFormScope scope(quote, window);
    if (loadSaved) {
        log("Loading Customer Data");
        try {
            window.LoadData(oldFile);
        } catch (const EFormDataError &e) {
            // The quote stays usable: the form opens with the new data alone.
            ShowError(e.what());
            showNew = true;
        }
    }
    if (showNew) {
        std::vector<std::string> unused;
        quote.FillApplication(kind, unused, CurrentYear(), log);
    }

    log("Show Form");
    if (window.exec() == QDialog::Accepted) {
        log("Form Result True");
        log("Save Quote Dialog");
        if (application.SaveQuote(quote)) {
            const std::string file = quote.FormDataFile(kind);
            try {
                ForceDirectories(ExtractFilePath(file));
                window.SaveData(file);
                log("Save Acord Data");
            } catch (const std::exception &e) {
                ShowError(e.what());
                log("Acord Not Saved");
            }
        } else {
            ShowInformation("Acord Form and Client not saved");
            log("Acord Not Saved");
        }
    }
    const bool printed = window.Printed();
    log("Save Zoom Level");
    settings.WriteInteger("Acord", "Zoom", window.GetZoom());
    log("Finished");
    return printed;
}

void PrintFinanceAgreement(TVereDivoQuote &quote, QWidget *parent)
{
    auto agreement = quote.RateBook().GetFinanceAgreement(quote.PlanProfile->FinanceID);
    if (!CanPrintAgreement(*agreement)) {
        ShowError(kNoPaymentsMessage);
        return;
    }
    const int32_t total = quote.Results.TotalPremium;
    int32_t surcharge = 0;
    int32_t cashPaid = -1;
    if (quote.StateCode == "NY") {
        TfrmFinanceOptions options(parent, 35, MinimumDownPayment(*agreement, total),
                                   agreement->DownPercent(total));
        if (options.exec() != QDialog::Accepted) {
            return;
        }
        surcharge = options.Surcharge();
        cashPaid = options.TotalCash();
    }
    const TFinanceFigures figures = ComputeFinanceFigures(*agreement, total, surcharge, cashPaid);

    TfrmAcord window(agreement->Name, parent);
    window.SetButtons("", "&Close");
    window.SetReadOnlysReceiveFocus(false);
    window.SetReadOnlysGetFormBackground(true);
    window.OpenForm(quote.Application().AcordFolder(), agreement->App_Name);
    window.SetCanSave(false);
    TIniFile settings(kAcordIni);
    window.SetZoom(settings.ReadInteger("Acord", "Zoom", 120));
    {
        TApplicationFormScope scope(quote, window);
        std::vector<std::string> unused;
        quote.FillFinanceAgreement(*agreement, figures, unused);
        window.exec();
    }
    settings.WriteInteger("Acord", "Zoom", window.GetZoom());
}
