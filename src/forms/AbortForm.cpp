#include "forms/AbortForm.h"

#include "forms/OutputPrinter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

TAbortForm::TAbortForm(QWidget *owner, TQorOutputPrinter &printer)
    : QDialog(owner), m_printer(printer)
{
    setWindowTitle(QStringLiteral("Printing form"));
    setModal(false);
    lblPrinting = new QLabel(QStringLiteral("Printing:"), this);
    lblPrinting->setObjectName(QStringLiteral("lblPrinting"));
    DocName = new QLabel(printer.Printer().docName(), this);
    DocName->setObjectName(QStringLiteral("DocName"));
    Page = new QLabel(this);
    Page->setObjectName(QStringLiteral("Page"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *name = new QHBoxLayout;
    name->addWidget(lblPrinting);
    name->addWidget(DocName, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(name);
    layout->addWidget(Page);
    layout->addWidget(btnCancel, 0, Qt::AlignHCenter);
    setMinimumWidth(300);

    connect(btnCancel, &QPushButton::clicked, this, &TAbortForm::btnCancelClick);
}

void TAbortForm::SetPage(int n)
{
    m_page = n;
    Page->setText(QStringLiteral("Page %1 of %2.").arg(n).arg(Total));
}

void TAbortForm::btnCancelClick()
{
    m_printer.AbortReport();
    close();
}
