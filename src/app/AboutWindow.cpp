#include "app/AboutWindow.h"

#include "maintenance/AboutInformation.h"
#include "ui/QtText.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(const std::string &title, const std::string &dataFolder, int32_t brokerNumber,
                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("lblAbout"));
    text->setTextFormat(Qt::PlainText);
    QString about = QStringLiteral("%1\n\nVersion %2\nBroker %3\nData folder: %4\n\nRate tables:")
                        .arg(ToQString(title), QCoreApplication::applicationVersion())
                        .arg(brokerNumber)
                        .arg(ToQString(dataFolder));
    try {
        const std::vector<TPlanRateDates> plans = PlanRateDates(dataFolder, brokerNumber);
        for (const TPlanRateDates &plan : plans) {
            about += QStringLiteral("\n    ") + ToQString(PlanRateDatesText(plan));
        }
        if (plans.empty()) {
            about += QStringLiteral("\n    none for this broker");
        }
    } catch (const std::exception &error) {
        about += QStringLiteral("\n    not readable: ") + ToQString(error.what());
    }
    about += QStringLiteral("\n\nBuilt with:");
    for (const TThirdParty &component : ThirdPartyComponents()) {
        about += QStringLiteral("\n    %1 (%2): %3")
                     .arg(QString::fromUtf8(component.Name), QString::fromUtf8(component.Licence),
                          QString::fromUtf8(component.Use));
    }
    text->setText(about);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}
