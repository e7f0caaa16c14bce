#include "macro/qt/MacroDialogs.h"

#include "core/Encoding.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Text.h"
#include "macro/MacroXml.h"
#include "macro/qt/QtWebBrowser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>
#include <set>

namespace {

const QString kMask = QStringLiteral("********");

std::vector<std::string> SplitOptions(const std::string &options)
{
    std::vector<std::string> items;
    std::string current;
    const char separator = options.find('|') != std::string::npos ? '|' : ',';
    for (const char c : options + separator) {
        if (c == separator) {
            if (!Trim(current).empty()) {
                items.push_back(Trim(current));
            }
            current.clear();
        } else {
            current += c;
        }
    }
    return items;
}

void WriteText(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        throw std::runtime_error("Unable to write " + path);
    }
}

} // namespace

std::string WebSetting(const std::string &key)
{
    const std::string file = ProgramSettingsFile(ChangeFileExt(ExtractFileName(ProgramFile()), ""));
    return Trim(TIniFile(file).ReadString("Web", key, ""));
}

// ---------------------------------------------------------------------------------------------
// The list to pick from

TListSelectForm::TListSelectForm(const std::string &caption, const std::string &prompt,
                                 const std::vector<std::string> &items, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TListSelectForm"));
    setWindowTitle(ToQt(caption));
    auto *layout = new QVBoxLayout(this);
    lblPrompt = new QLabel(ToQt(prompt), this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lstItems = new QListWidget(this);
    lstItems->setObjectName(QStringLiteral("lstItems"));
    for (const std::string &item : items) {
        lstItems->addItem(ToQt(item));
    }
    if (!items.empty()) {
        lstItems->setCurrentRow(0);
    }
    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    layout->addWidget(lblPrompt);
    layout->addWidget(lstItems);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lstItems, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(420, 320);
}

int TListSelectForm::ChosenIndex() const
{
    return result() == QDialog::Accepted ? lstItems->currentRow() : -1;
}

// ---------------------------------------------------------------------------------------------
// The variable window

TfrmDisplayVars::TfrmDisplayVars(TMacro &macro, QWidget *parent) : QDialog(parent), m_macro(macro)
{
    setObjectName(QStringLiteral("TfrmDisplayVars"));
    setWindowTitle(QStringLiteral("Data Variables"));
    if (macro.DataIn != nullptr) {
        m_dataIn = *macro.DataIn;
    }
    if (macro.DataDocument != nullptr) {
        // The data document's values are offered as data-in values.
        for (const pugi::xml_node &child : macro.DataDocument->document_element().children()) {
            if (child.type() == pugi::node_element && !HasName(m_dataIn, child.name())) {
                m_dataIn.push_back(std::string(child.name()) + "=" + XmlText(child));
            }
        }
    }
    if (macro.Variables != nullptr) {
        m_dataOut = *macro.Variables;
    }

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("List to View"), this);
    lstListToView = new QComboBox(this);
    lstListToView->setObjectName(QStringLiteral("lstListToView"));
    lstListToView->addItem(QStringLiteral("Data In Values"));
    lstListToView->addItem(QStringLiteral("Data Out Values (takes precedence)"));
    top->addWidget(label);
    top->addWidget(lstListToView, 1);
    grdValues = new QTableWidget(0, 2, this);
    grdValues->setObjectName(QStringLiteral("grdValues"));
    grdValues->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Value")});
    grdValues->horizontalHeader()->setStretchLastSection(true);
    grdValues->verticalHeader()->setVisible(false);
    auto *buttons = new QHBoxLayout;
    btnSaveToFile = new QPushButton(QStringLiteral("Save to File"), this);
    btnSaveToFile->setObjectName(QStringLiteral("btnSaveToFile"));
    btnSetAndClose = new QPushButton(QStringLiteral("&Set and Close"), this);
    btnSetAndClose->setObjectName(QStringLiteral("btnSetAndClose"));
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnSaveToFile);
    buttons->addStretch(1);
    buttons->addWidget(btnSetAndClose);
    buttons->addWidget(btnCancel);
    layout->addLayout(top);
    layout->addWidget(grdValues, 1);
    layout->addLayout(buttons);

    connect(lstListToView, &QComboBox::currentIndexChanged, this, [this](int index) {
        KeepEdits();
        ShowList(index);
    });
    connect(btnSetAndClose, &QPushButton::clicked, this, &TfrmDisplayVars::SetAndClose);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSaveToFile, &QPushButton::clicked, this, &TfrmDisplayVars::SaveToFile);
    ShowList(0);
    resize(560, 460);
}

TNameValueList &TfrmDisplayVars::ListAt(int index)
{
    return index == 0 ? m_dataIn : m_dataOut;
}

void TfrmDisplayVars::ShowList(int index)
{
    const TNameValueList &list = ListAt(index);
    grdValues->setRowCount(static_cast<int>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string name = NameOfLine(list[i]);
        auto *nameItem = new QTableWidgetItem(ToQt(name));
        nameItem->setFlags(nameItem->flags() & ~Qt::ItemIsEditable);
        const bool secret = m_macro.IsSecretName(name);
        auto *valueItem = new QTableWidgetItem(secret ? kMask : ToQt(ValueOfLine(list[i])));
        if (secret) {
            valueItem->setFlags(valueItem->flags() & ~Qt::ItemIsEditable);
        }
        grdValues->setItem(static_cast<int>(i), 0, nameItem);
        grdValues->setItem(static_cast<int>(i), 1, valueItem);
    }
    m_shown = index;
}

void TfrmDisplayVars::KeepEdits()
{
    if (m_shown < 0) {
        return;
    }
    TNameValueList &list = ListAt(m_shown);
    for (int row = 0; row < grdValues->rowCount() && row < static_cast<int>(list.size()); ++row) {
        const std::string name = NameOfLine(list[static_cast<size_t>(row)]);
        if (m_macro.IsSecretName(name)) {
            continue;
        }
        list[static_cast<size_t>(row)] = name + "=" + FromQt(grdValues->item(row, 1)->text());
    }
}

void TfrmDisplayVars::SetAndClose()
{
    KeepEdits();
    if (m_macro.DataIn != nullptr) {
        *m_macro.DataIn = m_dataIn;
    }
    if (m_macro.DataDocument != nullptr) {
        pugi::xml_node root = m_macro.DataDocument->document_element();
        for (const std::string &line : m_dataIn) {
            const pugi::xml_node child = ChildNoCase(root, NameOfLine(line));
            if (child) {
                child.text().set(Windows1252ToUtf8(ValueOfLine(line)).c_str());
            }
        }
    }
    if (m_macro.Variables != nullptr) {
        *m_macro.Variables = m_dataOut;
    }
    accept();
}

std::string TfrmDisplayVars::SuggestedFileName() const
{
    return UpperCase(FromQt(lstListToView->currentText())).find("OUT") != std::string::npos
        ? "DataOut.txt"
        : "DataIn.txt";
}

void TfrmDisplayVars::SaveShownList(const std::string &path)
{
    KeepEdits();
    std::string text;
    for (const std::string &line : ListAt(lstListToView->currentIndex())) {
        const std::string name = NameOfLine(line);
        text +=
            name + "=" + (m_macro.IsSecretName(name) ? std::string() : ValueOfLine(line)) + "\r\n";
    }
    WriteText(path, text);
}

void TfrmDisplayVars::SaveToFile()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save to File"),
                                                      ToQt(SuggestedFileName()),
                                                      QStringLiteral("Text files (*.txt)"));
    if (!path.isEmpty()) {
        try {
            SaveShownList(FromQt(path));
        } catch (const std::exception &error) {
            ShowError(error.what());
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Collecting missing values

TfrmReqData::TfrmReqData(const TMacro &macro, const TNameValueList &dataIn, bool askForAll,
                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrmReqData"));
    setWindowTitle(QStringLiteral("Required Information"));
    std::set<std::string> seen;
    for (const auto &command : macro.Commands()) {
        const TExternalData &external = command->ExternalData;
        const std::string id = Trim(external.ID);
        if (id.empty() || seen.count(UpperCase(id)) > 0) {
            continue;
        }
        if (!Trim(NameValue(dataIn, id)).empty() || !(askForAll || external.Always)) {
            continue;
        }
        seen.insert(UpperCase(id));
        m_candidates.push_back({id, external.Description.empty() ? id : external.Description,
                                external.Options, external.Password});
    }

    auto *layout = new QVBoxLayout(this);
    lblSearching =
        new QLabel(QStringLiteral("Searching for Missing Required Information..."), this);
    lblSearching->setObjectName(QStringLiteral("lblSearching"));
    scrRows = new QScrollArea(this);
    scrRows->setObjectName(QStringLiteral("scrRows"));
    scrRows->setWidgetResizable(true);
    m_rowsWidget = new QWidget(scrRows);
    scrRows->setWidget(m_rowsWidget);
    auto *buttons = new QHBoxLayout;
    btnLoad = new QPushButton(QStringLiteral("Load"), this);
    btnLoad->setObjectName(QStringLiteral("btnLoad"));
    btnRemember = new QPushButton(QStringLiteral("Remember"), this);
    btnRemember->setObjectName(QStringLiteral("btnRemember"));
    btnDone = new QPushButton(QStringLiteral("&Done"), this);
    btnDone->setObjectName(QStringLiteral("btnDone"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnLoad);
    buttons->addWidget(btnRemember);
    buttons->addStretch(1);
    buttons->addWidget(btnDone);
    buttons->addWidget(btnCancel);
    layout->addWidget(lblSearching);
    layout->addWidget(scrRows, 1);
    layout->addLayout(buttons);
    btnDone->setDefault(true);

    connect(btnDone, &QPushButton::clicked, this, &TfrmReqData::Done);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnLoad, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load"), {},
                                                          QStringLiteral("Values (*.txt *.xml)"));
        if (!path.isEmpty()) {
            LoadFile(FromQt(path));
        }
    });
    connect(btnRemember, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Remember"), {},
                                                          QStringLiteral("Values (*.txt *.xml)"));
        if (!path.isEmpty()) {
            try {
                RememberFile(FromQt(path));
            } catch (const std::exception &error) {
                ShowError(error.what());
            }
        }
    });
    resize(640, 420);
}

void TfrmReqData::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_scheduled) {
        m_scheduled = true;
        QTimer::singleShot(1500, this, [this] {
            BuildRows();
            if (m_rows.empty()) {
                accept();
            }
        });
    }
}

void TfrmReqData::BuildRows()
{
    if (m_built) {
        return;
    }
    m_built = true;
    auto *grid = new QVBoxLayout(m_rowsWidget);
    QWidget *firstEdit = nullptr;
    for (const TCandidate &candidate : m_candidates) {
        TRow row;
        row.id = candidate.id;
        row.description = candidate.description;
        row.options = SplitOptions(candidate.options);
        row.password = candidate.password;
        auto *line = new QWidget(m_rowsWidget);
        auto *lineLayout = new QHBoxLayout(line);
        lineLayout->setContentsMargins(0, 2, 0, 2);
        auto *label = new QLabel(ToQt(candidate.description), line);
        label->setObjectName(ToQt("lbl" + candidate.id));
        label->setWordWrap(true);
        if (!row.options.empty()) {
            auto *box = new QComboBox(line);
            box->addItem(QString());
            for (const std::string &option : row.options) {
                box->addItem(ToQt(option));
            }
            row.input = box;
        } else {
            auto *edit = new QLineEdit(line);
            if (row.password) {
                edit->setEchoMode(QLineEdit::Password);
            }
            row.input = edit;
            if (firstEdit == nullptr) {
                firstEdit = edit;
            }
        }
        row.input->setObjectName(ToQt("txt" + candidate.id));
        lineLayout->addWidget(label, 4);
        lineLayout->addWidget(row.input, 6);
        grid->addWidget(line);
        auto *rule = new QFrame(m_rowsWidget);
        rule->setFrameShape(QFrame::HLine);
        rule->setStyleSheet(QStringLiteral("color: #b0b0b0"));
        grid->addWidget(rule);
        m_rows.push_back(row);
    }
    grid->addStretch(1);
    lblSearching->setText(m_rows.empty()
                              ? QStringLiteral("No missing information was found.")
                              : QStringLiteral("Please provide the information the website "
                                               "requires:"));
    if (firstEdit != nullptr) {
        firstEdit->setFocus();
    }
    // As tall as the rows need, within the screen.
    const int rowsHeight = m_rowsWidget->sizeHint().height();
    resize(width(), std::clamp(rowsHeight + 110, 180, 640));
}

std::string TfrmReqData::RowText(size_t index) const
{
    const TRow &row = m_rows.at(index);
    if (auto *box = qobject_cast<QComboBox *>(row.input)) {
        return FromQt(box->currentText());
    }
    return FromQt(static_cast<QLineEdit *>(row.input)->text());
}

void TfrmReqData::SetRowText(size_t index, const std::string &text)
{
    const TRow &row = m_rows.at(index);
    if (auto *box = qobject_cast<QComboBox *>(row.input)) {
        const int found = box->findText(ToQt(text), Qt::MatchFixedString);
        box->setCurrentIndex(found >= 0 ? found : 0);
    } else {
        static_cast<QLineEdit *>(row.input)->setText(ToQt(text));
    }
}

void TfrmReqData::LoadFile(const std::string &path)
{
    BuildRows();
    TNameValueList values;
    if (SameText(ExtractFileExt(path), ".xml")) {
        pugi::xml_document document;
        std::string error;
        if (!LoadXmlFile(path, document, error)) {
            ShowError("The file " + path + " cannot be read: " + error);
            return;
        }
        for (const pugi::xml_node &child : document.document_element().children()) {
            if (child.type() == pugi::node_element) {
                values.push_back(std::string(child.name()) + "=" + XmlText(child));
            }
        }
    } else {
        std::string text;
        ReadFileBytes(path, text);
        values = SplitLines(text);
    }
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (HasName(values, m_rows[i].id)) {
            SetRowText(i, NameValue(values, m_rows[i].id));
        }
    }
}

void TfrmReqData::RememberFile(const std::string &path) const
{
    if (SameText(ExtractFileExt(path), ".xml")) {
        pugi::xml_document document;
        pugi::xml_node root = document.append_child("Fields");
        for (size_t i = 0; i < m_rows.size(); ++i) {
            AppendTextChild(root, m_rows[i].id.c_str(),
                            m_rows[i].password ? std::string() : RowText(i));
        }
        SaveXmlFile(document, path);
        return;
    }
    std::string text;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        text += m_rows[i].id + "=" + (m_rows[i].password ? std::string() : RowText(i)) + "\r\n";
    }
    WriteText(path, text);
}

void TfrmReqData::Done()
{
    BuildRows();
    m_values.clear();
    bool asked = false;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const std::string text = RowText(i);
        if (!Trim(text).empty()) {
            SetNameValue(m_values, m_rows[i].id, text);
        } else if (!asked) {
            asked = true;
            if (!AskYesNo("You will be prompted to enter any missing data while the script "
                          "runs.  It is suggested that you do it here for convenience.\r\r"
                          "Continue anyway?")) {
                m_rows[i].input->setFocus();
                return;
            }
        }
    }
    accept();
}

// ---------------------------------------------------------------------------------------------
// The script's windows

int TQtMacroDialogs::PickFromList(const std::string &caption, const std::string &prompt,
                                  const std::vector<std::string> &items)
{
    TListSelectForm form(caption, prompt, items, m_parent);
    form.exec();
    return form.ChosenIndex();
}

void TQtMacroDialogs::ShowVariables(TMacro &macro)
{
    TfrmDisplayVars window(macro, m_parent);
    window.exec();
}

bool TQtMacroDialogs::AskValue(const std::string &caption, const std::string &prompt, bool password,
                               std::string &value)
{
    QInputDialog box(m_parent);
    box.setObjectName(QStringLiteral("InformationRequired"));
    box.setWindowTitle(ToQt(caption));
    box.setLabelText(ToQt(prompt));
    box.setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
    if (box.exec() != QDialog::Accepted) {
        return false;
    }
    value = FromQt(box.textValue());
    return true;
}
