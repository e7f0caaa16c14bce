#include "ui/ClassRows.h"

#include "rating/VereDivoClass.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVariant>

#include <algorithm>

QPushButton *DialogButton(const char *caption, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setAutoDefault(false);
    return button;
}

QTreeWidget *ReportList(const char *name, const QStringList &columns,
                        std::initializer_list<int> fixedWidths, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QString::fromUtf8(name));
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setAllColumnsShowFocus(true);
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    int column = 1;
    for (const int width : fixedWidths) {
        header->setSectionResizeMode(column, QHeaderView::Fixed);
        header->resizeSection(column, width);
        ++column;
    }
    return list;
}

QTreeWidgetItem *ClassRow(TVereDivoClass *line, const QStringList &texts, int rightFrom)
{
    auto *item = new QTreeWidgetItem(texts);
    item->setData(0, Qt::UserRole, ClassData(line));
    item->setToolTip(0, texts.front());
    for (int column = rightFrom; column < texts.size(); ++column) {
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

QVariant ClassData(TVereDivoClass *line)
{
    return QVariant::fromValue(static_cast<void *>(line));
}

TVereDivoClass *ClassOf(const QVariant &data)
{
    return static_cast<TVereDivoClass *>(data.value<void *>());
}

TVereDivoClass *ClassOf(const QTreeWidgetItem *row)
{
    return row == nullptr ? nullptr : ClassOf(row->data(0, Qt::UserRole));
}

TVereDivoClass *SelectedClass(const QTreeWidget *list)
{
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : ClassOf(selected.front());
}

std::vector<TVereDivoClass *> InNameOrder(std::vector<TVereDivoClass *> lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto *a, const auto *b) { return CompareClassLines(*a, *b) < 0; });
    return lines;
}
