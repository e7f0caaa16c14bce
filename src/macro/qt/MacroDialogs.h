#pragma once

#include "core/NameValues.h"
#include "macro/Macro.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QWidget;

// A modal list to pick one item from ("Select from the Available Items").
class TListSelectForm : public QDialog
{
    Q_OBJECT

public:
    TListSelectForm(const std::string &caption, const std::string &prompt,
                    const std::vector<std::string> &items, QWidget *parent = nullptr);

    // The chosen zero-based index after OK, else -1.
    int ChosenIndex() const;

    QLabel *lblPrompt = nullptr;
    QListWidget *lstItems = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};

// "Data Variables": the data-in and data-out lists of a script in a grid, edited on copies.
// Secret values are shown masked, cannot be edited here and are never saved to a file.
class TfrmDisplayVars : public QDialog
{
    Q_OBJECT

public:
    TfrmDisplayVars(TMacro &macro, QWidget *parent = nullptr);

    // The edited copies ("&Set and Close" writes them back to the macro's lists).
    const TNameValueList &DataInCopy() const { return m_dataIn; }
    const TNameValueList &DataOutCopy() const { return m_dataOut; }
    // Writes the shown list to a file as name=value lines.
    void SaveShownList(const std::string &path);
    // The file name "Save to File" suggests for the shown list.
    std::string SuggestedFileName() const;

    QComboBox *lstListToView = nullptr;
    QTableWidget *grdValues = nullptr;
    QPushButton *btnSetAndClose = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnSaveToFile = nullptr;

private:
    void ShowList(int index);
    void KeepEdits();
    void SetAndClose();
    void SaveToFile();
    TNameValueList &ListAt(int index);

    TMacro &m_macro;
    TNameValueList m_dataIn;
    TNameValueList m_dataOut;
    int m_shown = -1;
};

// "Required Information": the values a script needs that the caller did not supply, asked for
// before the run.
class TfrmReqData : public QDialog
{
    Q_OBJECT

public:
    struct TRow
    {
        std::string id;
        std::string description;
        std::vector<std::string> options;
        bool password = false;
        QWidget *input = nullptr; // QLineEdit or QComboBox
    };

    // The rows are the commands' external values missing from `dataIn` (each once), for which
    // `askForAll` is set or which are marked always.
    TfrmReqData(const TMacro &macro, const TNameValueList &dataIn, bool askForAll,
                QWidget *parent = nullptr);

    // The rows found (built 1500 ms after the window first shows, or by BuildRows()).
    const std::vector<TRow> &Rows() const { return m_rows; }
    void BuildRows();
    // The values entered, non-empty ones only, after "&Done".
    const TNameValueList &Values() const { return m_values; }
    std::string RowText(size_t index) const;
    void SetRowText(size_t index, const std::string &text);

    // "Load" and "Remember": name=value lines (".txt") or an XML file whose root's children
    // give names and texts (".xml"). Password rows are remembered empty.
    void LoadFile(const std::string &path);
    void RememberFile(const std::string &path) const;

    QLabel *lblSearching = nullptr;
    QScrollArea *scrRows = nullptr;
    QPushButton *btnLoad = nullptr;
    QPushButton *btnRemember = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Done();

    struct TCandidate
    {
        std::string id;
        std::string description;
        std::string options;
        bool password = false;
    };
    std::vector<TCandidate> m_candidates;
    std::vector<TRow> m_rows;
    TNameValueList m_values;
    QWidget *m_rowsWidget = nullptr;
    bool m_built = false;
    bool m_scheduled = false;
};

// The windows a script opens, on Qt.
class TQtMacroDialogs : public TMacroDialogs
{
public:
    explicit TQtMacroDialogs(QWidget *parent) : m_parent(parent) { }

    int PickFromList(const std::string &caption, const std::string &prompt,
                     const std::vector<std::string> &items) override;
    void ShowVariables(TMacro &macro) override;
    bool AskValue(const std::string &caption, const std::string &prompt, bool password,
                  std::string &value) override;

private:
    QWidget *m_parent;
};

// A value of the section "Web" ("NoticeAddress", "SupportAddress") of the program's settings
// file (see ProgramSettingsFile), empty when not set.
std::string WebSetting(const std::string &key);
