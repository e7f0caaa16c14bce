#pragma once

#include "rating/DocumentList.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class QRadioButton;
class TVereDivoQuote;

// What the "Printing Options" window offers for a quote.
struct TPrintOptionsOffer
{
    std::string StateAbbreviation;
    bool FinanceAgreement = false; // the plan offers a premium finance agreement
    bool PoolApplication = false; // the plan has a pool application
    // The quote asks for the documents of kind 2 (it carries a construction credit, which the
    // delivered kind-2 documents explain).
    bool WantsKind2 = false;
    TDocumentList Documents; // the extra documents the rate book lists for the quote
};

TPrintOptionsOffer PrintOptionsOffer(TVereDivoQuote &quote);

// The modal "Printing Options" window of the print dispatcher: what to print, and the extra
// documents to print with it. With "ACORD Form" the documents of kind 1 (and those of kind 2 the
// quote asks for) are checked and fixed; with any other choice only kind-0 documents can be
// chosen, none checked at first.
class TfrmPrintOptions : public QDialog
{
    Q_OBJECT

public:
    enum class TChoice { Worksheet, AcordForm, FinanceAgreement, PoolApplication };

    explicit TfrmPrintOptions(TPrintOptionsOffer offer, QWidget *parent = nullptr);

    TChoice Choice() const;
    // The checked documents, in list order.
    std::vector<TDocument> CheckedDocuments() const;

    QRadioButton *optWorksheet = nullptr;
    QRadioButton *optAcord = nullptr;
    QRadioButton *optFinance = nullptr;
    QRadioButton *optPool = nullptr;
    QListWidget *lstDocuments = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    // Checks and enables the documents for the chosen radio button.
    void RecomputeDocuments();

    TPrintOptionsOffer m_offer;
};
