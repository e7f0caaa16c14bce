#include "ui/UserClasses.h"

#include "core/Prompter.h"
#include "core/Text.h"
#include "rating/VereDivoQuote.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kClassRole = Qt::UserRole;

QPushButton *Button(const char *caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

TVereDivoClass *LineOf(const QVariant &data)
{
    return static_cast<TVereDivoClass *>(data.value<void *>());
}

// The title as stored: without the star that marks a user class on display.
std::string BareTitle(const TVereDivoClass &line)
{
    std::string title = Trim(line.Description);
    while (!title.empty() && title.back() == '*') {
        title.pop_back();
    }
    return Trim(title);
}

std::vector<TVereDivoClass *> ByName(std::vector<TVereDivoClass *> lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto *a, const auto *b) { return CompareClassLines(*a, *b) < 0; });
    return lines;
}

} // namespace

// ---- User Defined Class Setup -------------------------------------------------------------

TfrmUserClasses::TfrmUserClasses(TVereDivoQuote &quote, QWidget *parent)
    : TEnterTabDialog(parent), m_quote(quote)
{
    setObjectName(QStringLiteral("frmUserClasses"));
    setWindowTitle(QStringLiteral("User Defined Class Setup"));
    lstUserClasses = new QTreeWidget(this);
    lstUserClasses->setObjectName(QStringLiteral("lstUserClasses"));
    lstUserClasses->setHeaderLabels({QStringLiteral("Classification"), QStringLiteral("Code")});
    lstUserClasses->setRootIsDecorated(false);
    lstUserClasses->setSelectionMode(QAbstractItemView::SingleSelection);
    lstUserClasses->setAllColumnsShowFocus(true);
    QHeaderView *header = lstUserClasses->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->resizeSection(1, 60);
    btnAdd = Button("&Add", "btnAdd", this);
    btnEdit = Button("&Edit", "btnEdit", this);
    btnDelete = Button("&Delete", "btnDelete", this);
    btnClose = Button("&Close", "btnClose", this);
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

    connect(btnAdd, &QPushButton::clicked, this, &TfrmUserClasses::Add);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmUserClasses::Edit);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmUserClasses::Delete);
    connect(btnClose, &QPushButton::clicked, this, &TfrmUserClasses::reject);
    connect(lstUserClasses, &QTreeWidget::itemDoubleClicked, this, &TfrmUserClasses::Edit);
    SetEnterAction(lstUserClasses, [this] { Edit(); });
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
    for (const auto &line : m_quote.ClassBook) {
        if (line->HasParent()) {
            users.push_back(line.get());
        }
    }
    for (TVereDivoClass *line : ByName(users)) {
        auto *item =
            new QTreeWidgetItem({ToQString(line->DisplayName()), ToQString(Trim(line->Code))});
        item->setData(0, kClassRole, QVariant::fromValue(static_cast<void *>(line)));
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
    const auto selected = lstUserClasses->selectedItems();
    if (selected.isEmpty()) {
        ShowInformation("Please select an item in the list");
        return nullptr;
    }
    return LineOf(selected.front()->data(0, kClassRole));
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
    btnDone = Button("&Done", "btnDone", this);
    btnCancel = Button("C&ancel", "btnCancel", this);
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
        for (const auto &line : m_quote.ClassBook) {
            if (!line->HasParent()) {
                offered.push_back(line.get());
            }
        }
    }
    for (TVereDivoClass *line : ByName(offered)) {
        const std::string text = chkShowCode->isChecked()
            ? Trim(line->Code) + "   " + line->DisplayName()
            : line->DisplayName();
        auto *item = new QListWidgetItem(ToQString(text), lstClasses);
        item->setData(kClassRole, QVariant::fromValue(static_cast<void *>(line)));
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
    return selected.isEmpty() ? nullptr : LineOf(selected.front()->data(kClassRole));
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
