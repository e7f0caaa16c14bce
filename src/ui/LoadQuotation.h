#pragma once

// "Load Quotation": the stored customers, sorted by company, each opening onto its stored
// quotes (read when it is opened, so ten thousand customers list at once). It chooses a quote
// to open, or in its customer-choice mode ("Select Customer") the customer a new quote is for,
// and deletes quotes and customers.

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TVereDivoCustDBO;

class TfrmLoadQuotation final : public QDialog
{
    Q_OBJECT

public:
    enum class TMode { OpenQuote, ChooseCustomer };

    TfrmLoadQuotation(TVereDivoCustDBO &store, TMode mode, QWidget *parent = nullptr);

    // False for an empty customer table: the window has nothing to offer.
    bool HasCustomers() const;
    // The quote chosen (open mode) and the customer chosen or owning that quote; 0 for none.
    int32_t SelectedQuoteID() const { return m_quoteID; }
    int32_t SelectedCustomer() const { return m_customer; }

    // OK: a quote opens; a customer with one quote opens it, with several shows them.
    void accept() override;
    void btnDeleteClick();
    // Reads the quotes of a customer's row once.
    void FillQuotes(QTreeWidgetItem *customer);

    QLabel *lblInstruction = nullptr;
    QTreeWidget *tvCustomers = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void FillCustomers();
    void EnableButtons();

    TVereDivoCustDBO &m_store;
    TMode m_mode;
    int32_t m_quoteID = 0;
    int32_t m_customer = 0;
};
