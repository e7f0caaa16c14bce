#include "export/WordExportWindow.h"

#include "core/BusyCursor.h"
#include "core/Encoding.h"
#include "core/Prompter.h"
#include "export/WordExport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString Text(const std::string &engineText)
{
    return QString::fromStdString(Windows1252ToUtf8(engineText));
}

void OpenWithDesktop(const std::string &path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
        ShowError("Unable to open " + Utf8ToWindows1252(path));
    }
}

} // namespace

TfrmWordExport::TfrmWordExport(std::vector<TQuoteDataInfo> values, std::string templatePath,
                               std::string target, bool replace, QWidget *parent,
                               std::function<void(const std::string &)> open)
    : QDialog(parent),
      m_values(std::move(values)),
      m_template(std::move(templatePath)),
      m_target(std::move(target)),
      m_replace(replace),
      m_open(std::move(open))
{
    setObjectName(QStringLiteral("frmWordExport"));
    setWindowTitle(QStringLiteral("Word Integration"));
    setModal(true);

    auto *caption =
        new QLabel(QStringLiteral("The pool application is written into a Word document:\n%1")
                       .arg(QString::fromStdString(m_target)),
                   this);
    caption->setObjectName(QStringLiteral("lblDocument"));
    caption->setWordWrap(true);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setMinimumWidth(360);
    lblStatus->setFrameShape(QFrame::StyledPanel);
    lblStatus->setFrameShadow(QFrame::Sunken);
    btnExport = new QPushButton(QStringLiteral("&Export"), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnExport->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnExport);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);

    connect(btnExport, &QPushButton::clicked, this, [this] { btnExportClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmWordExport::btnExportClick()
{
    btnExport->setEnabled(false);
    btnCancel->setEnabled(false);
    BusyCursor busy;
    TDocxWordProcessor processor(m_target, m_replace, m_open ? m_open : OpenWithDesktop);
    const TWordExportResult result =
        RunWordExport(processor, m_template, m_values, [this](const std::string &status) {
            lblStatus->setText(Text(status));
            lblStatus->repaint();
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    busy.Restore();
    btnCancel->setEnabled(true);
    if (result.Completed) {
        accept();
        return;
    }
    lblStatus->setText(QStringLiteral("Stopped."));
    ShowError(result.Error);
}

bool ShowWordPoolApplication(const TVereDivoQuote &quote, const std::string &programFolder,
                             const std::string &quoteFolder, bool use2003, QWidget *parent)
{
    const std::vector<TQuoteDataInfo> values = BuildApplicationData(quote, PoolApplicationKind);
    const TDocumentTarget target =
        ChooseDocumentTarget(PoolApplicationFileName(quoteFolder, quote));
    if (target.Path.empty()) {
        return false;
    }
    TfrmWordExport window(values, PoolApplicationTemplate(programFolder, use2003), target.Path,
                          target.Replace, parent);
    return window.exec() == QDialog::Accepted;
}
