#include "app/PrintOptions.h"

#include "rating/VereDivoQuote.h"
#include "ui/QtText.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

TPrintOptionsOffer PrintOptionsOffer(TVereDivoQuote &quote)
{
    TPrintOptionsOffer offer;
    offer.StateAbbreviation = quote.StateCode;
    offer.FinanceAgreement = quote.PlanProfile->HAS_FINANC;
    offer.PoolApplication = quote.PlanProfile->Pool_App != 0;
    offer.WantsKind2 = quote.Results.ConstructionCredit != 0;
    const TPlanPair documents = quote.PlanKeyFor(pkDocuments);
    offer.Documents = quote.RateBook().LoadDocumentList(documents.Broker_ID, documents.State_ID);
    return offer;
}

TfrmPrintOptions::TfrmPrintOptions(TPrintOptionsOffer offer, QWidget *parent)
    : QDialog(parent), m_offer(std::move(offer))
{
    setObjectName(QStringLiteral("frmPrintOptions"));
    setWindowTitle(QStringLiteral("Printing Options"));

    auto *choices = new QGroupBox(QStringLiteral("Print"), this);
    const auto radio = [&](const char *name, const QString &caption) {
        auto *button = new QRadioButton(caption, choices);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    optWorksheet = radio("optWorksheet", QStringLiteral("Quotation Worksheet"));
    optAcord = radio("optAcord", QStringLiteral("ACORD Form"));
    optFinance = radio("optFinance", QStringLiteral("Finance Agreement"));
    optPool = radio("optPool", ToQString(m_offer.StateAbbreviation + " Pool Application"));
    optFinance->setVisible(m_offer.FinanceAgreement);
    optPool->setVisible(m_offer.PoolApplication);
    auto *group = new QButtonGroup(this);
    auto *choiceLayout = new QVBoxLayout(choices);
    for (QRadioButton *button : {optWorksheet, optAcord, optFinance, optPool}) {
        group->addButton(button);
        choiceLayout->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                RecomputeDocuments();
            }
        });
    }

    auto *documentsLabel = new QLabel(QStringLiteral("Additional documents:"), this);
    lstDocuments = new QListWidget(this);
    lstDocuments->setObjectName(QStringLiteral("lstDocuments"));
    for (const TDocument &document : m_offer.Documents) {
        auto *item = new QListWidgetItem(ToQString(document.Name), lstDocuments);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }
    // As tall as its documents (four rows at least), so no empty well sits under a short list.
    const int rows = std::max(4, lstDocuments->count());
    const int rowHeight = lstDocuments->count() > 0 ? lstDocuments->sizeHintForRow(0)
                                                    : lstDocuments->fontMetrics().height() + 2;
    lstDocuments->setFixedHeight(rows * rowHeight + 2 * lstDocuments->frameWidth() + 4);
    documentsLabel->setBuddy(lstDocuments);
    documentsLabel->setVisible(!m_offer.Documents.empty());
    lstDocuments->setVisible(!m_offer.Documents.empty());

    auto *buttons = new QDialogButtonBox(this);
    btnPrint = buttons->addButton(QStringLiteral("&Print"), QDialogButtonBox::AcceptRole);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnPrint->setDefault(true);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(choices);
    layout->addWidget(documentsLabel);
    layout->addWidget(lstDocuments);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    optWorksheet->setChecked(true);
}

void TfrmPrintOptions::RecomputeDocuments()
{
    const bool acord = optAcord->isChecked();
    for (int row = 0; row < lstDocuments->count(); ++row) {
        QListWidgetItem *item = lstDocuments->item(row);
        const int32_t kind = m_offer.Documents[static_cast<size_t>(row)].ReqOption;
        bool checked = false;
        bool changeable = kind == 0;
        if (acord) {
            checked = kind == 1 || (kind == 2 && m_offer.WantsKind2);
            changeable = kind != 1 && kind != 2;
        }
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        item->setFlags(changeable ? Qt::ItemIsUserCheckable | Qt::ItemIsEnabled
                                  : Qt::ItemIsUserCheckable);
    }
}

TfrmPrintOptions::TChoice TfrmPrintOptions::Choice() const
{
    if (optAcord->isChecked()) {
        return TChoice::AcordForm;
    }
    if (optFinance->isChecked()) {
        return TChoice::FinanceAgreement;
    }
    if (optPool->isChecked()) {
        return TChoice::PoolApplication;
    }
    return TChoice::Worksheet;
}

std::vector<TDocument> TfrmPrintOptions::CheckedDocuments() const
{
    std::vector<TDocument> checked;
    for (int row = 0; row < lstDocuments->count(); ++row) {
        if (lstDocuments->item(row)->checkState() == Qt::Checked) {
            checked.push_back(m_offer.Documents[static_cast<size_t>(row)]);
        }
    }
    return checked;
}
