#include "ui/PlaceholderQuoteWindow.h"

#include "ui/QtText.h"

#include <QLabel>
#include <QVBoxLayout>

TfrmPlaceholderQuote::TfrmPlaceholderQuote(std::string stateAbbreviation,
                                           const std::string &stateName, QWidget *parent)
    : QWidget(parent), m_stateAbbreviation(std::move(stateAbbreviation))
{
    setObjectName(QStringLiteral("frmPlaceholderQuote"));
    setWindowTitle(QStringLiteral("New Quote (%1)").arg(ToQString(stateName)));
    lblNoRating = new QLabel(this);
    lblNoRating->setObjectName(QStringLiteral("lblNoRating"));
    lblNoRating->setTextFormat(Qt::PlainText);
    lblNoRating->setWordWrap(true);
    lblNoRating->setAlignment(Qt::AlignCenter);
    lblNoRating->setText(
        QStringLiteral("%1 quote\n\nThis quote has no rating yet. This version of the program "
                       "does not calculate premiums: classes, rating inputs, saving and printing "
                       "arrive with the quote window.")
            .arg(ToQString(stateName)));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblNoRating);
}
