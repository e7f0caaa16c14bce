#pragma once

// "Down Payment": the agent's own down-payment percentage for a quote, with the deposit and the
// balance it leaves, and the choice to make it the default of new quotes.

#include <QDialog>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TfrmDownPayment final : public QDialog
{
    Q_OBJECT

public:
    TfrmDownPayment(int32_t totalPremium, int32_t percent, QWidget *parent = nullptr);

    // The percentage shown (0 to 100).
    int32_t Percent() const;
    // The percentage "Set as default" remembered, if it was pressed.
    std::optional<int32_t> DefaultPercent() const { return m_default; }

    QLineEdit *txtTotalPremium = nullptr;
    QSpinBox *txtPercent = nullptr;
    QLineEdit *txtDownPayment = nullptr;
    QLineEdit *txtBalanceDue = nullptr;
    QPushButton *btnSetDefault = nullptr;
    QPushButton *btnDone = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void txtPercentChange();

    int32_t m_totalPremium;
    std::optional<int32_t> m_default;
};
