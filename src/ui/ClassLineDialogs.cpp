#include "ui/ClassLineDialogs.h"

#include "core/Prompter.h"
#include "core/Text.h"
#include "ui/ClassRows.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

std::string Typed(const QLineEdit *box)
{
    return FromQString(box->text());
}

// The class's name over the boxes, as the agent picked it.
QLabel *ClassHeading(const TVereDivoClass &line, QWidget *parent)
{
    auto *label = new QLabel(ToQString(line.DisplayName()), parent);
    label->setObjectName(QStringLiteral("lblClass"));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

// "&Close" and the cancel button at the bottom right.
QHBoxLayout *ButtonRow(QPushButton *close, QPushButton *cancel)
{
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(close);
    if (cancel != nullptr) {
        row->addWidget(cancel);
    }
    return row;
}

template<typename Box>
Box *Named(Box *box, const char *name)
{
    box->setObjectName(QString::fromUtf8(name));
    return box;
}

// A refused entry: the message, then the box it names gets the focus.
bool Refused(const TEntryCheck &check, QWidget *box)
{
    if (check.Accepted()) {
        return false;
    }
    ShowInformation(check.Message);
    FocusBox(box);
    return true;
}

QWidget *DialogParent()
{
    QWidget *parent = QApplication::activeModalWidget();
    return parent != nullptr ? parent : QApplication::activeWindow();
}

} // namespace

// ---- Edit Classification ------------------------------------------------------------------

TfrmEditClass::TfrmEditClass(TVereDivoClass &line, QWidget *parent)
    : TEnterTabDialog(parent), m_line(line)
{
    setObjectName(QStringLiteral("frmEditClass"));
    setWindowTitle(QStringLiteral("Edit Classification"));
    lblClass = ClassHeading(line, this);
    txtPayroll = Named(new TPayrollEdit(this), "txtPayroll");
    txtEmployees = Named(new TCountEdit(9, this), "txtEmployees");
    chkIfAny = Named(new QCheckBox(QStringLiteral("&If Any"), this), "chkIfAny");
    btnClose = DialogButton("&Close", "btnClose", this);
    btnCancel = DialogButton("C&ancel", "btnCancel", this);

    auto *form = new QFormLayout;
    auto *payrollRow = new QHBoxLayout;
    payrollRow->addWidget(txtPayroll, 1);
    payrollRow->addWidget(chkIfAny);
    form->addRow(QStringLiteral("&Payroll:"), payrollRow);
    form->addRow(QStringLiteral("&Employees:"), txtEmployees);
    qobject_cast<QLabel *>(form->labelForField(payrollRow))->setBuddy(txtPayroll);
    txtPayroll->setMinimumWidth(140);
    txtEmployees->setMaximumWidth(90);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblClass);
    layout->addLayout(form);
    layout->addLayout(ButtonRow(btnClose, btnCancel));
    lblClass->setMinimumWidth(360);

    txtPayroll->SetAmount(line.GetPayroll());
    txtEmployees->SetCount(line.Employees);
    chkIfAny->setChecked(PayrollEntryOf(line).IfAny);
    if (!IfAnyAllowed(line)) {
        chkIfAny->setChecked(false);
        chkIfAny->setEnabled(false);
        chkIfAny->hide();
    }
    for (QLineEdit *box :
         {static_cast<QLineEdit *>(txtPayroll), static_cast<QLineEdit *>(txtEmployees)}) {
        connect(box, &QLineEdit::textEdited, this, [this] { chkIfAny->setChecked(false); });
    }
    connect(chkIfAny, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked) {
            txtPayroll->setText(QStringLiteral("0"));
            txtEmployees->setText(QStringLiteral("0"));
        }
    });
    connect(btnClose, &QPushButton::clicked, this, &TfrmEditClass::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmEditClass::reject);
    txtPayroll->setFocus();
    txtPayroll->selectAll();
}

TPayrollEntry TfrmEditClass::Entry() const
{
    return TPayrollEntry {Typed(txtPayroll), Typed(txtEmployees), chkIfAny->isChecked()};
}

void TfrmEditClass::accept()
{
    const TEntryCheck check = ApplyPayrollEntry(m_line, Entry());
    if (Refused(check,
                check.Focus == TEntryFocus::Employees ? static_cast<QWidget *>(txtEmployees)
                                                      : txtPayroll)) {
        return;
    }
    QDialog::accept();
}

// ---- Contractors Class --------------------------------------------------------------------

TfrmContractorsClass::TfrmContractorsClass(TNewYorkConstructionClass &line, QWidget *parent)
    : TEnterTabDialog(parent), m_line(line)
{
    setObjectName(QStringLiteral("frmContractorsClass"));
    setWindowTitle(QStringLiteral("Contractors Class"));
    lblClass = ClassHeading(line, this);
    auto *form = new QFormLayout;
    for (size_t i = 0; i < txtPayrolls.size(); ++i) {
        const int32_t entryNo = static_cast<int32_t>(i) + 1;
        auto *box = new TPayrollEdit(this);
        box->setObjectName(QStringLiteral("txtPayroll%1").arg(entryNo));
        box->SetAmount(line.GetEntryPayroll(entryNo));
        box->setMinimumWidth(140);
        auto *label = new QLabel(ToQString(line.GetEntryLabel(entryNo) + ":"), this);
        label->setObjectName(QStringLiteral("lblPayroll%1").arg(entryNo));
        label->setWordWrap(true);
        label->setBuddy(box);
        label->setMinimumWidth(300);
        txtPayrolls[i] = box;
        lblPayrolls[i] = label;
        form->addRow(label, box);
        connect(box, &QLineEdit::textChanged, this, &TfrmContractorsClass::UpdateTotal);
    }
    txtTotal = Named(new QLineEdit(this), "txtTotal");
    txtTotal->setReadOnly(true);
    txtTotal->setFocusPolicy(Qt::NoFocus);
    txtTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtEmployees = Named(new TCountEdit(9, this), "txtEmployees");
    txtEmployees->SetCount(line.Employees);
    txtEmployees->setMaximumWidth(90);
    form->addRow(QStringLiteral("Total Payroll:"), txtTotal);
    form->addRow(QStringLiteral("&Employees:"), txtEmployees);
    btnClose = DialogButton("&Close", "btnClose", this);
    btnCancel = DialogButton("C&ancel", "btnCancel", this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblClass);
    layout->addLayout(form);
    layout->addLayout(ButtonRow(btnClose, btnCancel));
    connect(btnClose, &QPushButton::clicked, this, &TfrmContractorsClass::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmContractorsClass::reject);
    UpdateTotal();
    txtPayrolls[0]->setFocus();
    txtPayrolls[0]->selectAll();
}

TConstructionPayrollEntry TfrmContractorsClass::Entry() const
{
    TConstructionPayrollEntry entry;
    for (size_t i = 0; i < txtPayrolls.size(); ++i) {
        entry.Payrolls[i] = Typed(txtPayrolls[i]);
    }
    entry.Employees = Typed(txtEmployees);
    return entry;
}

void TfrmContractorsClass::UpdateTotal()
{
    txtTotal->setText(ToQString(MoneyText(ConstructionPayrollTotal(Entry()))));
}

void TfrmContractorsClass::accept()
{
    const TEntryCheck check = ApplyConstructionPayrollEntry(m_line, Entry());
    if (Refused(check,
                check.Focus == TEntryFocus::Employees ? static_cast<QWidget *>(txtEmployees)
                                                      : txtPayrolls[0])) {
        return;
    }
    QDialog::accept();
}

// ---- Classification Information -----------------------------------------------------------

TfrmClassInfo::TfrmClassInfo(TVereDivoClass &line, bool editable, QWidget *parent)
    : TEnterTabDialog(parent), m_line(line), m_editable(editable)
{
    setObjectName(QStringLiteral("frmClassInfo"));
    setWindowTitle(QStringLiteral("Classification Information"));
    const TClassInfoEntry entry = ClassInfoEntryOf(line);
    txtTitle = Named(new QLineEdit(ToQString(entry.Title), this), "txtTitle");
    txtTitle->setMinimumWidth(420);
    txtCode = Named(new QLineEdit(ToQString(entry.Code), this), "txtCode");
    txtCode->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), txtCode));
    txtStateRate = Named(new TRateEdit(this), "txtStateRate");
    txtStateRate->setText(ToQString(entry.StateRate));
    txtRate = Named(new TRateEdit(this), "txtRate");
    txtRate->setText(ToQString(entry.Rate));
    txtLossConstant = Named(new TCountEdit(9, this), "txtLossConstant");
    txtLossConstant->setText(ToQString(entry.LossConstant));
    txtHazardCode = Named(new TCountEdit(4, this), "txtHazardCode");
    txtHazardCode->setText(ToQString(entry.HazardCode));
    cboConstruction = Named(new QComboBox(this), "cboConstruction");
    cboConstruction->addItems({QStringLiteral("Yes"), QStringLiteral("No")});
    cboConstruction->setCurrentText(ToQString(entry.Construction));
    txtMinPremium = Named(new TCountEdit(9, this), "txtMinPremium");
    txtMinPremium->setText(ToQString(entry.MinPremium));
    for (QWidget *narrow :
         std::initializer_list<QWidget *> {txtCode, txtStateRate, txtRate, txtLossConstant,
                                           txtHazardCode, cboConstruction, txtMinPremium}) {
        narrow->setMaximumWidth(110);
    }

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Title:"), txtTitle);
    form->addRow(QStringLiteral("C&ode:"), txtCode);
    form->addRow(QStringLiteral("&State Rate:"), txtStateRate);
    form->addRow(QStringLiteral("&Deviated Rate:"), txtRate);
    form->addRow(QStringLiteral("&Loss Constant:"), txtLossConstant);
    form->addRow(QStringLiteral("&Hazard Code:"), txtHazardCode);
    form->addRow(QStringLiteral("Co&nstruction:"), cboConstruction);
    form->addRow(QStringLiteral("&Minimum Premium:"), txtMinPremium);
    btnClose = DialogButton("&Close", "btnClose", this);
    if (editable) {
        btnCancel = DialogButton("C&ancel", "btnCancel", this);
        connect(btnCancel, &QPushButton::clicked, this, &TfrmClassInfo::reject);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow(btnClose, btnCancel));
    connect(btnClose, &QPushButton::clicked, this, &TfrmClassInfo::accept);

    for (QLineEdit *box :
         {txtTitle, txtCode, static_cast<QLineEdit *>(txtStateRate),
          static_cast<QLineEdit *>(txtRate), static_cast<QLineEdit *>(txtLossConstant),
          static_cast<QLineEdit *>(txtHazardCode), static_cast<QLineEdit *>(txtMinPremium)}) {
        box->setReadOnly(!editable);
    }
    cboConstruction->setEnabled(editable);
    if (editable) {
        txtTitle->setFocus();
    } else {
        btnClose->setFocus();
    }
}

TClassInfoEntry TfrmClassInfo::Entry() const
{
    return TClassInfoEntry {Typed(txtTitle),
                            Typed(txtCode),
                            Typed(txtStateRate),
                            Typed(txtRate),
                            Typed(txtLossConstant),
                            Typed(txtHazardCode),
                            FromQString(cboConstruction->currentText()),
                            Typed(txtMinPremium)};
}

void TfrmClassInfo::accept()
{
    if (!m_editable) {
        QDialog::accept();
        return;
    }
    const TEntryCheck check = ApplyClassInfoEntry(m_line, Entry());
    QWidget *box = txtTitle;
    switch (check.Focus) {
    case TEntryFocus::Code:
        box = txtCode;
        break;
    case TEntryFocus::StateRate:
        box = txtStateRate;
        break;
    case TEntryFocus::Other:
        box = txtRate;
        break;
    default:
        break;
    }
    if (Refused(check, box)) {
        return;
    }
    QDialog::accept();
}

// ---- the editor ---------------------------------------------------------------------------

bool TQtClassLineEditor::EditPayroll(TVereDivoClass &line)
{
    TfrmEditClass dialog(line, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

bool TQtClassLineEditor::EditConstructionPayroll(TNewYorkConstructionClass &line)
{
    TfrmContractorsClass dialog(line, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

bool TQtClassLineEditor::EditClassInfo(TVereDivoClass &line, bool editable)
{
    TfrmClassInfo dialog(line, editable, DialogParent());
    // A read-only window has nothing to confirm.
    return dialog.exec() == QDialog::Accepted && editable;
}

TScopedClassLineEditor::TScopedClassLineEditor() : m_previous(SetClassLineEditor(&m_editor)) { }

TScopedClassLineEditor::~TScopedClassLineEditor()
{
    SetClassLineEditor(m_previous);
}
