#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class TVereDivoDatabase;

// The maintenance windows, each modal: a plan (broker and state) of the plan table, the
// operation's own boxes, the action button and "&Cancel". The action asks before it changes
// the tables, tells how many rows it changed and closes; a refusal or failure is shown and the
// window stays open (the tables as they were).
class TMaintenanceWindow : public QDialog
{
    Q_OBJECT

public:
    QComboBox *cboPlan = nullptr;
    QPushButton *btnAction = nullptr;
    QPushButton *btnCancel = nullptr;

    // The chosen plan's broker and state numbers.
    int32_t Broker() const;
    int32_t State() const;
    void SelectPlan(int32_t broker, int32_t state);

protected:
    TMaintenanceWindow(TVereDivoDatabase &database, const char *title, const char *action,
                       QWidget *parent);
    QFormLayout *Form() const { return m_form; }
    QSpinBox *AddNumber(const char *name, const char *label, int value);
    QLineEdit *AddText(const char *name, const char *label, const QString &text);
    std::string PlanText() const;
    // The (broker, state) of entry `index` of the plan lists; (0, 0) for none.
    std::pair<int32_t, int32_t> PlanAt(int index) const;
    // Asks `question`; on Yes runs `work` (the message of what it did) and closes.
    void Run(const std::string &question, const std::function<std::string()> &work);
    virtual void ActionClick() = 0;
    virtual void PlanChanged() { }

    TVereDivoDatabase &m_database;

private:
    QFormLayout *m_form = nullptr;
    std::vector<std::pair<int32_t, int32_t>> m_plans;
};

// "Add New Class File"
class TfrmAddClassFile final : public TMaintenanceWindow
{
    Q_OBJECT
public:
    explicit TfrmAddClassFile(TVereDivoDatabase &database, QWidget *parent = nullptr);
    QSpinBox *spnFromFile = nullptr;
    QSpinBox *spnNewFile = nullptr;
    QLineEdit *txtEffective = nullptr;
    QLineEdit *txtExpiration = nullptr;

protected:
    void ActionClick() override;
};

// "Copy Inputs"
class TfrmCopyInputs final : public TMaintenanceWindow
{
    Q_OBJECT
public:
    explicit TfrmCopyInputs(TVereDivoDatabase &database, QWidget *parent = nullptr);
    QSpinBox *spnFromSet = nullptr;
    QComboBox *cboToPlan = nullptr;
    QSpinBox *spnToSet = nullptr;

protected:
    void ActionClick() override;
};

// "Copy Hazard Codes"
class TfrmCopyHazardCodes final : public TMaintenanceWindow
{
    Q_OBJECT
public:
    explicit TfrmCopyHazardCodes(TVereDivoDatabase &database, QWidget *parent = nullptr);
    QSpinBox *spnFromPeriod = nullptr;
    QSpinBox *spnToPeriod = nullptr;

protected:
    void ActionClick() override;
};

// "Delete Class Clodes": the classes of a class file, the chosen ones marked deleted.
class TfrmDeleteClassCodes final : public TMaintenanceWindow
{
    Q_OBJECT
public:
    explicit TfrmDeleteClassCodes(TVereDivoDatabase &database, QWidget *parent = nullptr);
    QSpinBox *spnFile = nullptr;
    QListWidget *lstClasses = nullptr;
    void LoadClasses();

protected:
    void ActionClick() override;
    void PlanChanged() override { LoadClasses(); }
};

// "Prepare Setup File": the data folder's tables of the chosen plan into a folder.
class TfrmPrepareSetup final : public TMaintenanceWindow
{
    Q_OBJECT
public:
    TfrmPrepareSetup(TVereDivoDatabase &database, std::string dataFolder, int32_t state,
                     int32_t broker, QWidget *parent = nullptr);
    QLineEdit *txtFolder = nullptr;
    QPushButton *btnBrowse = nullptr;

protected:
    void ActionClick() override;

private:
    std::string m_dataFolder;
};
