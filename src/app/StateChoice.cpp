#include "app/StateChoice.h"

#include "core/Text.h"
#include "ui/QtText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

std::vector<TOfferedState> OfferedStates(const std::vector<TStateRow> &rows, int32_t brokerNumber,
                                         bool multipleSelection)
{
    std::vector<TOfferedState> offered;
    const std::string broker = IntText(brokerNumber);
    for (const TStateRow &row : rows) {
        if (Trim(row.Broker_ID) == broker && (multipleSelection || row.Active)) {
            offered.push_back({Trim(row.State_Name), Trim(row.State_ID)});
        }
    }
    return offered;
}

TfrmNewQuote::TfrmNewQuote(const std::vector<TOfferedState> &states, bool multipleSelection,
                           QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNewQuote"));
    setWindowTitle(QStringLiteral("New Quote"));
    setModal(true);

    lblChoose = new QLabel(QStringLiteral("Choose State to Quote:"), this);
    lblChoose->setObjectName(QStringLiteral("lblChoose"));
    lstPlans = new QListWidget(this);
    lstPlans->setObjectName(QStringLiteral("lstPlans"));
    lstPlans->setSelectionMode(multipleSelection ? QAbstractItemView::MultiSelection
                                                 : QAbstractItemView::SingleSelection);
    for (const TOfferedState &state : states) {
        auto *item = new QListWidgetItem(ToQString(state.name), lstPlans);
        item->setData(Qt::UserRole, ToQString(state.stateID));
    }
    btnSelect = new QPushButton(QStringLiteral("&Select"), this);
    btnSelect->setObjectName(QStringLiteral("btnSelect"));
    btnSelect->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("C&ancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    connect(btnSelect, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (!multipleSelection) {
        connect(lstPlans, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        // One state must be chosen: "&Select" waits for a selection.
        connect(lstPlans, &QListWidget::itemSelectionChanged, this,
                [this] { btnSelect->setEnabled(!lstPlans->selectedItems().isEmpty()); });
    }
    if (lstPlans->count() > 0) {
        lstPlans->setCurrentRow(0);
        lstPlans->item(0)->setSelected(true);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSelect);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblChoose);
    layout->addWidget(lstPlans);
    layout->addLayout(buttons);
    resize(300, 320);
}

std::vector<TOfferedState> TfrmNewQuote::SelectedStates() const
{
    std::vector<TOfferedState> selected;
    for (int row = 0; row < lstPlans->count(); ++row) {
        const QListWidgetItem *item = lstPlans->item(row);
        if (item->isSelected()) {
            selected.push_back(
                {FromQString(item->text()), FromQString(item->data(Qt::UserRole).toString())});
        }
    }
    return selected;
}
