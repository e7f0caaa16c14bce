#pragma once

// What the class windows are built from: named buttons, report-style lists whose rows carry
// their class line, and class lines in the quote's name order.

#include <QStringList>

#include <initializer_list>
#include <vector>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVariant;
class QWidget;
class TVereDivoClass;

// A push button with its control name. Enter presses the button under the focus (the dialog
// moves on otherwise), so no button is the dialog's default.
QPushButton *DialogButton(const char *caption, const char *name, QWidget *parent);

// A list in report style: whole rows, one selected at a time, nothing edited in place, a popup
// on request. The first column takes what the others, of fixed widths, leave.
QTreeWidget *ReportList(const char *name, const QStringList &columns,
                        std::initializer_list<int> fixedWidths, QWidget *parent);
// A row carrying its class line; the whole first text is its tooltip, for phrases cut short.
// Columns from `rightFrom` on are right-aligned (amounts, rates).
QTreeWidgetItem *ClassRow(TVereDivoClass *line, const QStringList &texts, int rightFrom = 99);

// The class line stored in an item's data, and how it is stored.
QVariant ClassData(TVereDivoClass *line);
TVereDivoClass *ClassOf(const QVariant &data);
TVereDivoClass *ClassOf(const QTreeWidgetItem *row);
// The line of the selected row, or none.
TVereDivoClass *SelectedClass(const QTreeWidget *list);

// Lines ordered by display name, as the quote keeps them.
std::vector<TVereDivoClass *> InNameOrder(std::vector<TVereDivoClass *> lines);
