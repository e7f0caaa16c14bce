#include "app/AboutWindow.h"

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
    text->setText(QStringLiteral("%1\n\nVersion %2\nBroker %3\nData folder: %4")
                      .arg(ToQString(title), QCoreApplication::applicationVersion())
                      .arg(brokerNumber)
                      .arg(ToQString(dataFolder)));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}
