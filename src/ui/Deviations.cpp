#include "ui/Deviations.h"

#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"
#include "rating/ClassLineChecks.h"
#include "rating/VereDivoQuote.h"
#include "ui/ClassRows.h"
#include "ui/QtText.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <utility>

namespace {

// The editor of a deviation or rate cell: digits and a decimal point only.
class TRateCellDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *box = qobject_cast<QLineEdit *>(editor)) {
            box->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), box));
            box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        return editor;
    }
};

double NumberIn(const QString &text)
{
    double value = 0;
    if (!TryStrToFloat(Trim(FromQString(text)), value)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return value;
}

std::string Fixed2(double value)
{
    return FixedText(value, 2);
}

} // namespace

TfrmDeviations::TfrmDeviations(TVereDivoQuote &quote, QWidget *parent)
    : TEnterTabDialog(parent), m_lines(quote.Classes().begin(), quote.Classes().end())
{
    setObjectName(QStringLiteral("frmDeviations"));
    setWindowTitle(QStringLiteral("Class Deviations"));
    grdDeviations = new QTableWidget(static_cast<int>(m_lines.size()), 4, this);
    grdDeviations->setObjectName(QStringLiteral("grdDeviations"));
    grdDeviations->setHorizontalHeaderLabels(
        {QStringLiteral("Classifications"), QStringLiteral("State Rate"),
         QStringLiteral("Deviation"), QStringLiteral("Manual Rate")});
    grdDeviations->verticalHeader()->hide();
    grdDeviations->setWordWrap(false);
    grdDeviations->setTextElideMode(Qt::ElideRight);
    grdDeviations->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDeviations->setEditTriggers(
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
        QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    grdDeviations->setItemDelegate(new TRateCellDelegate(grdDeviations));
    QHeaderView *header = grdDeviations->horizontalHeader();
    header->setSectionResizeMode(colClass, QHeaderView::Stretch);
    for (const int column : {colStateRate, colDeviation, colRate}) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        header->resizeSection(column, 110);
        grdDeviations->horizontalHeaderItem(column)->setTextAlignment(Qt::AlignRight |
                                                                      Qt::AlignVCenter);
    }
    grdDeviations->horizontalHeaderItem(colClass)->setTextAlignment(Qt::AlignLeft |
                                                                    Qt::AlignVCenter);

    optDeviation = new QRadioButton(QStringLiteral("Adjust using a D&eviation"), this);
    optDeviation->setObjectName(QStringLiteral("optDeviation"));
    optRate = new QRadioButton(QStringLiteral("Adjust by providing the actual &Rate"), this);
    optRate->setObjectName(QStringLiteral("optRate"));
    auto *modes = new QButtonGroup(this);
    modes->addButton(optDeviation);
    modes->addButton(optRate);
    optDeviation->setChecked(true);
    btnDeviateAll = DialogButton("Deviate All Classes Using -->", "btnDeviateAll", this);
    txtDeviateAll = new QLineEdit(QStringLiteral("1.000"), this);
    txtDeviateAll->setObjectName(QStringLiteral("txtDeviateAll"));
    txtDeviateAll->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]?\\.?[0-9]{0,3}")), txtDeviateAll));
    txtDeviateAll->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtDeviateAll->setFixedWidth(70);
    btnDone = DialogButton("&Done", "btnDone", this);
    btnCancel = DialogButton("&Cancel", "btnCancel", this);

    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(optDeviation);
    modeRow->addSpacing(16);
    modeRow->addWidget(optRate);
    modeRow->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(btnDeviateAll);
    bottom->addWidget(txtDeviateAll);
    bottom->addStretch(1);
    bottom->addWidget(btnDone);
    bottom->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(modeRow);
    layout->addWidget(grdDeviations, 1);
    layout->addLayout(bottom);
    resize(820, 420);

    Fill();
    SetMode();
    connect(optDeviation, &QRadioButton::toggled, this, &TfrmDeviations::SetMode);
    connect(grdDeviations, &QTableWidget::cellChanged, this, &TfrmDeviations::CellChanged);
    connect(btnDeviateAll, &QPushButton::clicked, this, &TfrmDeviations::DeviateAll);
    SetEnterAction(txtDeviateAll, [this] { DeviateAll(); });
    SetEnterAction(grdDeviations, [this] { NextRow(); });
    connect(btnDone, &QPushButton::clicked, this, &TfrmDeviations::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmDeviations::reject);
    grdDeviations->setFocus();
    if (!m_lines.empty()) {
        grdDeviations->setCurrentCell(0, colDeviation);
    }
}

void TfrmDeviations::Fill()
{
    m_filling = true;
    m_entered.assign(m_lines.size(), std::nullopt);
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const TVereDivoClass &line = *m_lines[i];
        const int row = static_cast<int>(i);
        auto *name = new QTableWidgetItem(ToQString(line.DisplayName()));
        name->setToolTip(name->text());
        grdDeviations->setItem(row, colClass, name);
        for (const int column : {colStateRate, colDeviation, colRate}) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDeviations->setItem(row, column, item);
        }
        SetCell(row, colStateRate, Fixed2(line.StateRate));
        SetCell(row, colDeviation, Fixed2(RoundTo(line.Deviation, 2)));
        SetCell(row, colRate, Fixed2(line.Rate));
    }
    m_filling = false;
}

void TfrmDeviations::SetCell(int row, int column, const std::string &text)
{
    grdDeviations->item(row, column)->setText(ToQString(text));
}

int TfrmDeviations::EditableColumn() const
{
    return optDeviation->isChecked() ? colDeviation : colRate;
}

void TfrmDeviations::SetMode()
{
    const QBrush shaded = palette().brush(QPalette::Window);
    const QBrush plain = palette().brush(QPalette::Base);
    // New flags and shades are no entries of the agent's.
    const bool filling = std::exchange(m_filling, true);
    for (int row = 0; row < grdDeviations->rowCount(); ++row) {
        for (int column = colClass; column <= colRate; ++column) {
            QTableWidgetItem *item = grdDeviations->item(row, column);
            const bool editable = column == EditableColumn();
            item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setBackground(editable ? plain : shaded);
        }
    }
    m_filling = filling;
    const bool byDeviation = optDeviation->isChecked();
    btnDeviateAll->setEnabled(byDeviation);
    txtDeviateAll->setEnabled(byDeviation);
    if (grdDeviations->currentRow() >= 0) {
        grdDeviations->setCurrentCell(grdDeviations->currentRow(), EditableColumn());
    }
}

void TfrmDeviations::CellChanged(int row, int column)
{
    if (m_filling || (column != colDeviation && column != colRate)) {
        return;
    }
    m_filling = true;
    const size_t index = static_cast<size_t>(row);
    const double stateRate = m_lines[index]->StateRate;
    const double typed = NumberIn(grdDeviations->item(row, column)->text());
    if (std::isnan(typed)) {
        m_entered[index] = typed;
    } else if (column == colDeviation) {
        const double deviation = RoundTo(typed, 2);
        SetCell(row, colDeviation, Fixed2(deviation));
        SetCell(row, colRate, Fixed2(stateRate * deviation));
        m_entered[index] = deviation;
    } else {
        const double rate = RoundTo(typed, 2);
        SetCell(row, colRate, Fixed2(rate));
        // A class without a state rate has no deviation to give it.
        if (stateRate != 0) {
            // The line keeps the ratio to its own precision, so the rate it prices at is the
            // typed rate as nearly as a deviation can give it; the cell shows 2 decimals.
            m_entered[index] = rate / stateRate;
            SetCell(row, colDeviation, Fixed2(rate / stateRate));
        } else {
            m_entered[index] = std::numeric_limits<double>::quiet_NaN();
        }
    }
    m_filling = false;
}

void TfrmDeviations::DeviateAll()
{
    const double value = NumberIn(txtDeviateAll->text());
    if (std::isnan(value) || RoundTo(value, 2) <= 0) {
        ShowInformation("Please provide a deviation greater than 0");
        FocusBox(txtDeviateAll);
        return;
    }
    for (int row = 0; row < grdDeviations->rowCount(); ++row) {
        grdDeviations->item(row, colDeviation)->setText(txtDeviateAll->text());
        CellChanged(row, colDeviation);
    }
    txtDeviateAll->setText(ToQString(Fixed2(RoundTo(value, 2))));
}

void TfrmDeviations::NextRow()
{
    const int row = grdDeviations->currentRow();
    if (row + 1 < grdDeviations->rowCount()) {
        grdDeviations->setCurrentCell(row + 1, EditableColumn());
    } else {
        focusNextChild();
    }
}

void TfrmDeviations::accept()
{
    // A cell still being edited (Alt+D typed in it) counts as left: moving off it commits it.
    const int currentRow = grdDeviations->currentRow();
    const int currentColumn = grdDeviations->currentColumn();
    grdDeviations->setCurrentIndex(QModelIndex());
    if (currentRow >= 0) {
        grdDeviations->setCurrentCell(currentRow, currentColumn);
    }
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (!m_entered[i]) {
            continue;
        }
        const double value = *m_entered[i];
        const TEntryCheck check = CheckDeviationEntry(
            *m_lines[i], std::isnan(value) ? std::string() : FixedText(value, 6));
        if (!check.Accepted()) {
            ShowInformation(check.Message);
            grdDeviations->setCurrentCell(static_cast<int>(i), EditableColumn());
            grdDeviations->setFocus();
            return;
        }
    }
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_entered[i]) {
            m_lines[i]->SetDeviation(*m_entered[i]);
        }
    }
    QDialog::accept();
}
