#include "ui/LoadQuotation.h"

#include "core/Prompter.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/records/QuoteInfo.h"
#include "ui/QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNumberRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

bool IsCustomer(const QTreeWidgetItem *item)
{
    return item != nullptr && item->parent() == nullptr;
}

int32_t NumberOf(const QTreeWidgetItem *item)
{
    return item->data(0, kNumberRole).toInt();
}

} // namespace

TfrmLoadQuotation::TfrmLoadQuotation(TVereDivoCustDBO &store, TMode mode, QWidget *parent)
    : QDialog(parent), m_store(store), m_mode(mode)
{
    const bool choosing = mode == TMode::ChooseCustomer;
    setObjectName(QStringLiteral("frmLoadQuotation"));
    setWindowTitle(choosing ? QStringLiteral("Select Customer") : QStringLiteral("Load Quotation"));
    setModal(true);

    lblInstruction =
        new QLabel(choosing ? QStringLiteral("Choose the Customer this new quote is for:")
                            : QStringLiteral("Choose the Customer and the Quote to open:"),
                   this);
    lblInstruction->setObjectName(QStringLiteral("lblInstruction"));
    tvCustomers = new QTreeWidget(this);
    tvCustomers->setObjectName(QStringLiteral("tvCustomers"));
    tvCustomers->setHeaderHidden(true);
    tvCustomers->setUniformRowHeights(true);
    tvCustomers->setSelectionMode(QAbstractItemView::SingleSelection);
    tvCustomers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblInstruction->setBuddy(tvCustomers);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnDelete->setEnabled(!choosing);
    for (QPushButton *button : {btnOK, btnDelete, btnCancel}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(90);
    }
    // Enter on the list is OK: a choice is what this window is for.
    btnOK->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnDelete);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInstruction);
    layout->addWidget(tvCustomers, 1);
    layout->addLayout(buttons);
    resize(640, 480);

    connect(tvCustomers, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { FillQuotes(item); });
    connect(tvCustomers, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        // A double click on a quote opens it; on a customer it opens the branch.
        if (!IsCustomer(item) || m_mode == TMode::ChooseCustomer) {
            accept();
        }
    });
    connect(tvCustomers, &QTreeWidget::itemSelectionChanged, this,
            &TfrmLoadQuotation::EnableButtons);
    connect(btnOK, &QPushButton::clicked, this, &TfrmLoadQuotation::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDelete, &QPushButton::clicked, this, [this] {
        try {
            btnDeleteClick();
        } catch (const std::exception &error) {
            ShowError(error.what());
        }
    });
    FillCustomers();
    EnableButtons();
    tvCustomers->setFocus();
}

void TfrmLoadQuotation::FillCustomers()
{
    QList<QTreeWidgetItem *> rows;
    const std::vector<TCustomerListEntry> customers = m_store.ListCustomers();
    rows.reserve(static_cast<qsizetype>(customers.size()));
    for (const TCustomerListEntry &customer : customers) {
        auto *row = new QTreeWidgetItem(QStringList(ToQString(customer.Company)));
        row->setData(0, kNumberRole, customer.CustomerNumber);
        row->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        rows.push_back(row);
    }
    tvCustomers->addTopLevelItems(rows);
}

bool TfrmLoadQuotation::HasCustomers() const
{
    return tvCustomers->topLevelItemCount() > 0;
}

void TfrmLoadQuotation::FillQuotes(QTreeWidgetItem *customer)
{
    if (!IsCustomer(customer) || customer->data(0, kFilledRole).toBool()) {
        return;
    }
    customer->setData(0, kFilledRole, true);
    for (const auto &header : m_store.ListQuotes(NumberOf(customer))) {
        auto *row = new QTreeWidgetItem(
            QStringList(ToQString(TVereDivoCustDBO::QuoteDisplayText(*header))));
        row->setData(0, kNumberRole, header->QuoteID());
        customer->addChild(row);
    }
    customer->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TfrmLoadQuotation::EnableButtons()
{
    if (m_mode == TMode::OpenQuote) {
        btnOK->setEnabled(tvCustomers->currentItem() != nullptr &&
                          !tvCustomers->selectedItems().isEmpty());
    }
}

void TfrmLoadQuotation::accept()
{
    const QList<QTreeWidgetItem *> selected = tvCustomers->selectedItems();
    QTreeWidgetItem *item = selected.isEmpty() ? nullptr : selected.front();
    if (m_mode == TMode::ChooseCustomer) {
        if (item == nullptr) {
            ShowInformation("You must choose a customer to assign this quote to or hit Cancel");
            return;
        }
        m_customer = NumberOf(IsCustomer(item) ? item : item->parent());
        QDialog::accept();
        return;
    }
    if (item == nullptr) {
        return;
    }
    if (IsCustomer(item)) {
        FillQuotes(item);
        if (item->childCount() == 1) {
            item = item->child(0);
        } else {
            if (item->childCount() > 1) {
                item->setExpanded(true);
                tvCustomers->setCurrentItem(item->child(0));
            }
            return;
        }
    }
    m_quoteID = NumberOf(item);
    m_customer = NumberOf(item->parent());
    QDialog::accept();
}

void TfrmLoadQuotation::btnDeleteClick()
{
    const QList<QTreeWidgetItem *> selected = tvCustomers->selectedItems();
    if (selected.isEmpty()) {
        ShowInformation("You have not selected a client to delete");
        return;
    }
    QTreeWidgetItem *item = selected.front();
    if (IsCustomer(item)) {
        if (!AskYesNo("Deleting this client will remove all related quotes.  Do you wish to "
                      "continue?",
                      "", Prompter::Answer::No)) {
            return;
        }
        m_store.DeleteCustomer(NumberOf(item));
    } else {
        if (!AskYesNo("Are you sure you wish to delete this quote?", "", Prompter::Answer::No)) {
            return;
        }
        m_store.DeleteQuote(NumberOf(item));
    }
    delete item;
    EnableButtons();
}
