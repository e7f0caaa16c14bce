#pragma once

// "Premium Detail": every amount of a quote's premium calculation, one labelled figure per line,
// laid out by form 2 of the quote's input set. Each figure field shows the quote's export value
// whose number the field's table row names.

#include "rating/ControlInterface.h"

#include <QDialog>

#include <memory>

class QPushButton;
class TInputWidgets;
class TVereDivoQuote;

class TfrmPremiumDetail final : public QDialog
{
    Q_OBJECT

public:
    TfrmPremiumDetail(TVereDivoQuote &quote, QWidget *parent = nullptr);
    ~TfrmPremiumDetail() override;

    // The shown text of the figure field for export value `number`, or empty text.
    QString FigureText(int number) const;

    QWidget *pnlDetail = nullptr;
    QPushButton *btnClose = nullptr;

private:
    TControlInterface m_controls;
    std::unique_ptr<TInputWidgets> m_widgets;
};
