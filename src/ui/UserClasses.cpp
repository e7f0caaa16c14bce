#include "ui/UserClasses.h"

#include "core/Prompter.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"
#include "ui/ClassRows.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The title as stored: without the star that marks a user class on display.
std::string BareTitle(const TVereDivoClass &line)
{
    std::string title = Trim(line.Description);
    while (!title.empty() && title.back() == '*') {
        title.pop_back();
    }
    return Trim(title);
}

} // namespace

// ---- User Defined Class Setup -------------------------------------------------------------

TfrmUserClasses::TfrmUserClasses(TVereDivoQuote &quote, QWidget *parent)
    : TEnterTabDialog(parent), m_quote(quote)
{
    setObjectName(QStringLiteral("frmUserClasses"));
    setWindowTitle(QStringLiteral("User Defined Class Setup"));
    lstUserClasses = ReportList(
        "lstUserClasses", {QStringLiteral("Classification"), QStringLiteral("Code")}, {60}, this);
    btnAdd = DialogButton("&Add", "btnAdd", this);
    btnEdit = DialogButton("&Edit", "btnEdit", this);
    btnDelete = DialogButton("&Delete", "btnDelete", this);
    btnClose = DialogButton("&Close", "btnClose", this);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnEdit);
    buttons->addWidget(btnDelete);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(lstUserClasses, 1);
    layout->addLayout(buttons);
    resize(640, 360);

    // The user class table may refuse a write: the agent is told, the window stays.
    connect(btnAdd, &QPushButton::clicked, this, [this] { Guarded([this] { Add(); }); });
    connect(btnEdit, &QPushButton::clicked, this, [this] { Guarded([this] { Edit(); }); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { Guarded([this] { Delete(); }); });
    connect(btnClose, &QPushButton::clicked, this, &TfrmUserClasses::reject);
    connect(lstUserClasses, &QTreeWidget::itemDoubleClicked, this,
            [this] { Guarded([this] { Edit(); }); });
    SetEnterAction(lstUserClasses, [this] { Guarded([this] { Edit(); }); });
    Fill(nullptr);
    lstUserClasses->setFocus();
}

void TfrmUserClasses::reject()
{
    done(m_changed ? QDialog::Accepted : QDialog::Rejected);
}

void TfrmUserClasses::Fill(const TVereDivoClass *selected)
{
    lstUserClasses->clear();
    std::vector<TVereDivoClass *> users;
    for (const auto &line : m_quote.ClassBook()) {
        if (line->HasParent()) {
            users.push_back(line.get());
        }
    }
    for (TVereDivoClass *line : InNameOrder(users)) {
        QTreeWidgetItem *item =
            ClassRow(line, {ToQString(line->DisplayName()), ToQString(Trim(line->Code))});
        lstUserClasses->addTopLevelItem(item);
        if (line == selected) {
            lstUserClasses->setCurrentItem(item);
        }
    }
}

TVereDivoClass *TfrmUserClasses::Selected()
{
    if (lstUserClasses->topLevelItemCount() == 1) {
        lstUserClasses->setCurrentItem(lstUserClasses->topLevelItem(0));
    }
    TVereDivoClass *line = SelectedClass(lstUserClasses);
    if (line == nullptr) {
        ShowInformation("Please select an item in the list");
    }
    return line;
}

void TfrmUserClasses::Add()
{
    TfrmSubClassInfo info(m_quote, nullptr, this);
    if (info.exec() != QDialog::Accepted) {
        return;
    }
    const TVereDivoClass &parent = *info.Parent();
    auto line = std::make_unique<TVereDivoClass>(parent.CalcType);
    line->CopyFrom(parent);
    // A sub-class gets its own sub-code when stored, and starts off the quote without the
    // parent's payroll.
    line->SubCode.clear();
    line->ParentCode = Trim(parent.Code);
    line->ParentSubCode = Trim(parent.SubCode);
    line->Description = info.Title();
    line->SetPayroll(0);
    line->SetEmployees(0);
    TVereDivoClass &added = m_quote.AddClass(std::move(line));
    m_changed = true;
    Fill(&added);
}

void TfrmUserClasses::Edit()
{
    TVereDivoClass *line = Selected();
    if (line == nullptr) {
        return;
    }
    TfrmSubClassInfo info(m_quote, line, this);
    if (info.exec() != QDialog::Accepted) {
        return;
    }
    line->Description = info.Title();
    m_quote.AddClass(*line);
    m_changed = true;
    Fill(line);
}

void TfrmUserClasses::Delete()
{
    TVereDivoClass *line = Selected();
    if (line == nullptr ||
        !AskYesNo("Are you sure you want to delete " + line->DisplayName() + "?")) {
        return;
    }
    if (BeforeDelete) {
        BeforeDelete(*line);
    }
    m_quote.DeleteClass(*line);
    m_changed = true;
    Fill(nullptr);
}

// ---- Sub Class Information ----------------------------------------------------------------

TfrmSubClassInfo::TfrmSubClassInfo(TVereDivoQuote &quote, const TVereDivoClass *line,
                                   QWidget *parent)
    : TEnterTabDialog(parent), m_quote(quote)
{
    setObjectName(QStringLiteral("frmSubClassInfo"));
    setWindowTitle(QStringLiteral("Sub Class Information"));
    if (line != nullptr) {
        m_editing = true;
        m_fixedParent = quote.FindClass(line->ParentCode, line->ParentSubCode);
    }
    auto *lblClasses = new QLabel(QStringLiteral("&Classification:"), this);
    lstClasses = new QListWidget(this);
    lstClasses->setObjectName(QStringLiteral("lstClasses"));
    lblClasses->setBuddy(lstClasses);
    chkShowCode = new QCheckBox(QStringLiteral("Show Classification Code with Description"), this);
    chkShowCode->setObjectName(QStringLiteral("chkShowCode"));
    auto *lblTitle = new QLabel(QStringLiteral("&Title:"), this);
    txtTitle = new QLineEdit(this);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    // The stored phrase holds 90 characters, the star included.
    txtTitle->setMaxLength(89);
    lblTitle->setBuddy(txtTitle);
    btnDone = DialogButton("&Done", "btnDone", this);
    btnCancel = DialogButton("C&ancel", "btnCancel", this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnDone);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblClasses);
    layout->addWidget(lstClasses, 1);
    layout->addWidget(chkShowCode);
    layout->addSpacing(6);
    layout->addWidget(lblTitle);
    layout->addWidget(txtTitle);
    layout->addLayout(buttons);
    resize(700, 480);

    Fill();
    if (line != nullptr) {
        txtTitle->setText(ToQString(BareTitle(*line)));
        lstClasses->setEnabled(false);
        chkShowCode->setEnabled(false);
        txtTitle->setFocus();
    } else {
        lstClasses->setFocus();
    }
    connect(chkShowCode, &QCheckBox::toggled, this, &TfrmSubClassInfo::Fill);
    connect(btnDone, &QPushButton::clicked, this, &TfrmSubClassInfo::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSubClassInfo::reject);
}

void TfrmSubClassInfo::Fill()
{
    const TVereDivoClass *selected = Parent();
    lstClasses->clear();
    std::vector<TVereDivoClass *> offered;
    if (m_fixedParent != nullptr) {
        offered.push_back(m_fixedParent);
    } else {
        for (const auto &line : m_quote.ClassBook()) {
            if (!line->HasParent()) {
                offered.push_back(line.get());
            }
        }
    }
    for (TVereDivoClass *line : InNameOrder(offered)) {
        const std::string text = chkShowCode->isChecked()
            ? Trim(line->Code) + "   " + line->DisplayName()
            : line->DisplayName();
        auto *item = new QListWidgetItem(ToQString(text), lstClasses);
        item->setData(Qt::UserRole, ClassData(line));
        if (line == selected || line == m_fixedParent) {
            lstClasses->setCurrentItem(item);
        }
    }
}

TVereDivoClass *TfrmSubClassInfo::Parent() const
{
    if (m_fixedParent != nullptr) {
        return m_fixedParent;
    }
    const auto selected = lstClasses->selectedItems();
    return selected.isEmpty() ? nullptr : ClassOf(selected.front()->data(Qt::UserRole));
}

std::string TfrmSubClassInfo::Title() const
{
    return Trim(FromQString(txtTitle->text().toUpper()));
}

void TfrmSubClassInfo::accept()
{
    if (!m_editing && Parent() == nullptr) {
        ShowInformation("Please choose a class from the list");
        FocusBox(lstClasses);
        return;
    }
    if (Title().empty()) {
        ShowInformation("Please provide a Title or click Cancel");
        FocusBox(txtTitle);
        return;
    }
    QDialog::accept();
}
