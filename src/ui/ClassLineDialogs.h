#pragma once

// The dialogs that edit one class line: "Edit Classification" (payroll and employees),
// "Contractors Class" (the payrolls of a construction line's territories) and "Classification
// Information" (the class's details). Their checks are the rating layer's; each dialog reads its
// boxes into them and applies the entries to the line only when they pass.

#include "rating/ClassLineChecks.h"
#include "rating/VereDivoClass.h"
#include "ui/DialogKeys.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class TfrmEditClass final : public TEnterTabDialog
{
    Q_OBJECT

public:
    TfrmEditClass(TVereDivoClass &line, QWidget *parent = nullptr);

    void accept() override; // "&Close": the checks, then the line takes the entries

    QLabel *lblClass = nullptr;
    TPayrollEdit *txtPayroll = nullptr;
    TCountEdit *txtEmployees = nullptr;
    QCheckBox *chkIfAny = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    TPayrollEntry Entry() const;

    TVereDivoClass &m_line;
};

class TfrmContractorsClass final : public TEnterTabDialog
{
    Q_OBJECT

public:
    TfrmContractorsClass(TNewYorkConstructionClass &line, QWidget *parent = nullptr);

    void accept() override;

    QLabel *lblClass = nullptr;
    std::array<TPayrollEdit *, 4> txtPayrolls {};
    std::array<QLabel *, 4> lblPayrolls {};
    QLineEdit *txtTotal = nullptr; // read-only, kept current
    TCountEdit *txtEmployees = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    TConstructionPayrollEntry Entry() const;
    void UpdateTotal();

    TNewYorkConstructionClass &m_line;
};

class TfrmClassInfo final : public TEnterTabDialog
{
    Q_OBJECT

public:
    // Read-only unless `editable`; then "&Close" checks the details and gives them to the line.
    TfrmClassInfo(TVereDivoClass &line, bool editable, QWidget *parent = nullptr);

    void accept() override;

    QLineEdit *txtTitle = nullptr;
    QLineEdit *txtCode = nullptr;
    TRateEdit *txtStateRate = nullptr;
    TRateEdit *txtRate = nullptr;
    TCountEdit *txtLossConstant = nullptr;
    TCountEdit *txtHazardCode = nullptr;
    QComboBox *cboConstruction = nullptr;
    TCountEdit *txtMinPremium = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnCancel = nullptr; // only when editable

private:
    TClassInfoEntry Entry() const;

    TVereDivoClass &m_line;
    bool m_editable;
};

// The editor the class lines reach their dialogs through; each dialog opens over the active
// window. The program installs one for its whole run.
class TQtClassLineEditor final : public TClassLineEditor
{
public:
    bool EditPayroll(TVereDivoClass &line) override;
    bool EditConstructionPayroll(TNewYorkConstructionClass &line) override;
    bool EditClassInfo(TVereDivoClass &line, bool editable) override;
};

// Installs a TQtClassLineEditor for as long as the object lives, and puts back the one before.
class TScopedClassLineEditor
{
public:
    TScopedClassLineEditor();
    ~TScopedClassLineEditor();
    TScopedClassLineEditor(const TScopedClassLineEditor &) = delete;
    TScopedClassLineEditor &operator=(const TScopedClassLineEditor &) = delete;

private:
    TQtClassLineEditor m_editor;
    TClassLineEditor *m_previous;
};
