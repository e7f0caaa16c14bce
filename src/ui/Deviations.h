#pragma once

// "Class Deviations": every class line of the quote with its state rate, where the agent
// enters a deviation factor or the rate itself; "&Done" gives the lines their deviations.
//
//     TfrmDeviations window(quote, this);
//     if (window.exec() == QDialog::Accepted) { recalculate; refill the class list; }

#include "ui/DialogKeys.h"

#include <optional>
#include <vector>

class QPushButton;
class QRadioButton;
class QTableWidget;
class TVereDivoClass;
class TVereDivoQuote;

class TfrmDeviations final : public TEnterTabDialog
{
    Q_OBJECT

public:
    TfrmDeviations(TVereDivoQuote &quote, QWidget *parent = nullptr);

    // "&Done": every row the agent changed must hold a deviation above 0; then each such line
    // takes its deviation. Rows left alone keep their lines' rates exactly.
    void accept() override;

    enum Column { colClass, colStateRate, colDeviation, colRate };

    QTableWidget *grdDeviations = nullptr;
    QRadioButton *optDeviation = nullptr;
    QRadioButton *optRate = nullptr;
    QPushButton *btnDeviateAll = nullptr;
    QLineEdit *txtDeviateAll = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void Fill();
    void SetMode();
    int EditableColumn() const;
    void CellChanged(int row, int column);
    void SetCell(int row, int column, const std::string &text);
    void DeviateAll();
    void NextRow();

    std::vector<TVereDivoClass *> m_lines;
    // Per row, the deviation the agent entered (none: untouched; NaN: no number typed).
    std::vector<std::optional<double>> m_entered;
    bool m_filling = false;
};
