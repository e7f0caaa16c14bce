#include "maintenance/MaintenanceWindows.h"

#include "core/Dates.h"
#include "core/Encoding.h"
#include "core/Prompter.h"
#include "core/States.h"
#include "core/Text.h"
#include "db/CBDatabase.h"
#include "db/TableValues.h"
#include "db/VereDivoDatabase.h"
#include "maintenance/TableMaintenance.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString Text(const std::string &engineText)
{
    return QString::fromStdString(Windows1252ToUtf8(engineText));
}

// Every plan of the plan table as (broker, state) with its caption, in table order.
std::vector<std::pair<std::pair<int32_t, int32_t>, std::string>> PlanRows(TCBTable &plans)
{
    std::vector<std::pair<std::pair<int32_t, int32_t>, std::string>> rows;
    plans.Seek("", "ID");
    for (; !plans.Eof(); plans.Next()) {
        if (plans.Deleted()) {
            continue;
        }
        const int32_t broker = TextIntegerOr(plans, "Broker_ID", 0);
        const int32_t state = TextIntegerOr(plans, "State_ID", 0);
        rows.push_back(
            {{broker, state},
             "Broker " + std::to_string(broker) + " - " + TrimmedString(plans, "State_Name")});
    }
    return rows;
}

} // namespace

TMaintenanceWindow::TMaintenanceWindow(TVereDivoDatabase &database, const char *title,
                                       const char *action, QWidget *parent)
    : QDialog(parent), m_database(database)
{
    setWindowTitle(QString::fromUtf8(title));
    setModal(true);
    cboPlan = new QComboBox(this);
    cboPlan->setObjectName(QStringLiteral("cboPlan"));
    for (const auto &[plan, caption] : PlanRows(database.Plans())) {
        m_plans.push_back(plan);
        cboPlan->addItem(Text(caption));
    }
    m_form = new QFormLayout;
    m_form->addRow(QStringLiteral("Plan:"), cboPlan);

    btnAction = new QPushButton(QString::fromUtf8(action), this);
    btnAction->setObjectName(QStringLiteral("btnAction"));
    btnAction->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAction);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addLayout(buttons);

    connect(btnAction, &QPushButton::clicked, this, [this] { ActionClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cboPlan, &QComboBox::currentIndexChanged, this, [this] { PlanChanged(); });
}

std::pair<int32_t, int32_t> TMaintenanceWindow::PlanAt(int index) const
{
    return index < 0 || static_cast<size_t>(index) >= m_plans.size()
        ? std::pair<int32_t, int32_t>(0, 0)
        : m_plans[static_cast<size_t>(index)];
}

int32_t TMaintenanceWindow::Broker() const
{
    return PlanAt(cboPlan->currentIndex()).first;
}

int32_t TMaintenanceWindow::State() const
{
    return PlanAt(cboPlan->currentIndex()).second;
}

void TMaintenanceWindow::SelectPlan(int32_t broker, int32_t state)
{
    for (size_t i = 0; i < m_plans.size(); ++i) {
        if (m_plans[i].first == broker && (state == 0 || m_plans[i].second == state)) {
            cboPlan->setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
}

QSpinBox *TMaintenanceWindow::AddNumber(const char *name, const char *label, int value)
{
    auto *box = new QSpinBox(this);
    box->setObjectName(QString::fromUtf8(name));
    box->setRange(1, 999);
    box->setValue(value);
    m_form->addRow(QString::fromUtf8(label), box);
    return box;
}

QLineEdit *TMaintenanceWindow::AddText(const char *name, const char *label, const QString &text)
{
    auto *box = new QLineEdit(text, this);
    box->setObjectName(QString::fromUtf8(name));
    m_form->addRow(QString::fromUtf8(label), box);
    return box;
}

std::string TMaintenanceWindow::PlanText() const
{
    const std::string state = StateAbbreviation(State());
    return "broker " + std::to_string(Broker()) + " " +
        (state.empty() ? "state " + std::to_string(State()) : state);
}

void TMaintenanceWindow::Run(const std::string &question, const std::function<std::string()> &work)
{
    if (cboPlan->currentIndex() < 0) {
        ShowError("The plan table holds no plan.");
        return;
    }
    if (!AskYesNo(question, {}, Prompter::Answer::No)) {
        return;
    }
    try {
        const std::string done = work();
        ShowInformation(done);
        accept();
    } catch (const std::exception &error) {
        ShowError(error.what());
    }
}

// --- Add New Class File ----------------------------------------------------------------------

TfrmAddClassFile::TfrmAddClassFile(TVereDivoDatabase &database, QWidget *parent)
    : TMaintenanceWindow(database, "Add New Class File", "&Add", parent)
{
    setObjectName(QStringLiteral("frmAddClassFile"));
    spnFromFile = AddNumber("spnFromFile", "Copy class file:", 1);
    spnNewFile = AddNumber("spnNewFile", "As class file:", 2);
    txtEffective = AddText("txtEffective", "Effective:", QString());
    txtExpiration = AddText("txtExpiration", "Expiration:", QString());
    txtEffective->setPlaceholderText(QStringLiteral("mm/dd/yyyy"));
    txtExpiration->setPlaceholderText(QStringLiteral("mm/dd/yyyy"));
}

void TfrmAddClassFile::ActionClick()
{
    TDateTime effective = 0;
    TDateTime expiration = 0;
    if (!TryStrToDate(txtEffective->text().toStdString(), effective) ||
        !TryStrToDate(txtExpiration->text().toStdString(), expiration)) {
        ShowError("Enter the class file's effective and expiration dates as mm/dd/yyyy.");
        return;
    }
    const int32_t from = spnFromFile->value();
    const int32_t to = spnNewFile->value();
    Run("Copy class file " + std::to_string(from) + " of " + PlanText() + " as class file " +
            std::to_string(to) + ", effective " + DateToStr(effective) + " to " +
            DateToStr(expiration) + "?",
        [&] {
            const int32_t count =
                AddNewClassFile(m_database, Broker(), State(), from, to, effective, expiration);
            return std::to_string(count) + " classes copied into class file " + std::to_string(to) +
                ".";
        });
}

// --- Copy Inputs -----------------------------------------------------------------------------

TfrmCopyInputs::TfrmCopyInputs(TVereDivoDatabase &database, QWidget *parent)
    : TMaintenanceWindow(database, "Copy Inputs", "&Copy", parent)
{
    setObjectName(QStringLiteral("frmCopyInputs"));
    spnFromSet = AddNumber("spnFromSet", "From rate set:", 1);
    cboToPlan = new QComboBox(this);
    cboToPlan->setObjectName(QStringLiteral("cboToPlan"));
    for (int i = 0; i < cboPlan->count(); ++i) {
        cboToPlan->addItem(cboPlan->itemText(i));
    }
    Form()->addRow(QStringLiteral("To the state of:"), cboToPlan);
    spnToSet = AddNumber("spnToSet", "As rate set:", 3);
}

void TfrmCopyInputs::ActionClick()
{
    const int32_t fromState = State();
    const int32_t toState = PlanAt(cboToPlan->currentIndex()).second;
    const int32_t fromSet = spnFromSet->value();
    const int32_t toSet = spnToSet->value();
    Run("Copy the inputs of " + StateAbbreviation(fromState) + " rate set " +
            std::to_string(fromSet) + " to " + StateAbbreviation(toState) + " rate set " +
            std::to_string(toSet) + "?",
        [&] {
            return std::to_string(CopyInputs(m_database, fromState, fromSet, toState, toSet)) +
                " inputs copied.";
        });
}

// --- Copy Hazard Codes -----------------------------------------------------------------------

TfrmCopyHazardCodes::TfrmCopyHazardCodes(TVereDivoDatabase &database, QWidget *parent)
    : TMaintenanceWindow(database, "Copy Hazard Codes", "&Copy", parent)
{
    setObjectName(QStringLiteral("frmCopyHazardCodes"));
    spnFromPeriod = AddNumber("spnFromPeriod", "From rate period:", 1);
    spnToPeriod = AddNumber("spnToPeriod", "To rate period:", 2);
}

void TfrmCopyHazardCodes::ActionClick()
{
    const int32_t from = spnFromPeriod->value();
    const int32_t to = spnToPeriod->value();
    Run("Copy the hazard codes of " + PlanText() + " from rate period " + std::to_string(from) +
            " to rate period " + std::to_string(to) + "?",
        [&] {
            return std::to_string(CopyHazardCodes(m_database, Broker(), State(), from, to)) +
                " hazard codes copied.";
        });
}

// --- Delete Class Clodes ---------------------------------------------------------------------

TfrmDeleteClassCodes::TfrmDeleteClassCodes(TVereDivoDatabase &database, QWidget *parent)
    : TMaintenanceWindow(database, "Delete Class Clodes", "&Delete", parent)
{
    setObjectName(QStringLiteral("frmDeleteClassCodes"));
    spnFile = AddNumber("spnFile", "Class file:", 1);
    lstClasses = new QListWidget(this);
    lstClasses->setObjectName(QStringLiteral("lstClasses"));
    lstClasses->setMinimumSize(640, 300);
    Form()->addRow(QStringLiteral("Classes:"), lstClasses);
    connect(spnFile, &QSpinBox::valueChanged, this, [this] { LoadClasses(); });
    LoadClasses();
}

void TfrmDeleteClassCodes::LoadClasses()
{
    lstClasses->clear();
    if (cboPlan->currentIndex() < 0) {
        return;
    }
    for (const TClassFileEntry &entry :
         ClassFileEntries(m_database, Broker(), State(), spnFile->value())) {
        auto *item = new QListWidgetItem(Text(entry.Code +
                                              (entry.SubCode.empty() ? "" : "-" + entry.SubCode) +
                                              "  " + entry.Phrase),
                                         lstClasses);
        item->setData(Qt::UserRole, Text(entry.Code));
        item->setData(Qt::UserRole + 1, Text(entry.SubCode));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TfrmDeleteClassCodes::ActionClick()
{
    std::vector<std::pair<std::string, std::string>> codes;
    for (int i = 0; i < lstClasses->count(); ++i) {
        const QListWidgetItem *item = lstClasses->item(i);
        if (item->checkState() == Qt::Checked) {
            codes.emplace_back(
                Utf8ToWindows1252(item->data(Qt::UserRole).toString().toStdString()),
                Utf8ToWindows1252(item->data(Qt::UserRole + 1).toString().toStdString()));
        }
    }
    if (codes.empty()) {
        ShowInformation("Check the classes to delete.");
        return;
    }
    const int32_t file = spnFile->value();
    Run("Delete " + std::to_string(codes.size()) + " classes from class file " +
            std::to_string(file) + " of " + PlanText() + "?",
        [&] {
            return std::to_string(DeleteClassCodes(m_database, Broker(), State(), file, codes)) +
                " classes deleted.";
        });
}

// --- Prepare Setup File ----------------------------------------------------------------------

TfrmPrepareSetup::TfrmPrepareSetup(TVereDivoDatabase &database, std::string dataFolder,
                                   int32_t state, int32_t broker, QWidget *parent)
    : TMaintenanceWindow(database, "Prepare Setup File", "&Prepare", parent),
      m_dataFolder(std::move(dataFolder))
{
    setObjectName(QStringLiteral("frmPrepareSetup"));
    SelectPlan(broker, state);
    txtFolder = new QLineEdit(this);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    txtFolder->setMinimumWidth(320);
    btnBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    auto *row = new QHBoxLayout;
    row->addWidget(txtFolder);
    row->addWidget(btnBrowse);
    Form()->addRow(QStringLiteral("Folder:"), row);
    connect(btnBrowse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, windowTitle());
        if (!folder.isEmpty()) {
            txtFolder->setText(folder);
        }
    });
}

void TfrmPrepareSetup::ActionClick()
{
    const std::string folder = txtFolder->text().trimmed().toStdString();
    if (folder.empty()) {
        ShowError("Choose the folder the setup data goes to.");
        return;
    }
    Run("Write the tables of " + PlanText() + " into " + Utf8ToWindows1252(folder) + "?", [&] {
        const std::vector<std::string> manifest =
            PrepareSetupFile(m_dataFolder, State(), Broker(), folder);
        return "The setup data is in " + Utf8ToWindows1252(folder) + " (" +
            std::to_string(manifest.size() - 3) + " files, listed in manifest.txt).";
    });
}
