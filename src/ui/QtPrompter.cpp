#include "ui/QtPrompter.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include <memory>

namespace {

QString MessageText(const std::string &text)
{
    QString result = ToQString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QChar(u'\r'), QChar(u'\n'));
    return result;
}

// A box over a busy cursor shows the normal one until it closes.
class NormalCursorWhileOpen
{
public:
    NormalCursorWhileOpen() : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~NormalCursorWhileOpen()
    {
        if (m_active) {
            QApplication::restoreOverrideCursor();
        }
    }
    NormalCursorWhileOpen(const NormalCursorWhileOpen &) = delete;
    NormalCursorWhileOpen &operator=(const NormalCursorWhileOpen &) = delete;

private:
    bool m_active;
};

QMessageBox::StandardButton ToButton(Prompter::Answer answer)
{
    switch (answer) {
    case Prompter::Answer::Yes:
        return QMessageBox::Yes;
    case Prompter::Answer::No:
        return QMessageBox::No;
    case Prompter::Answer::Cancel:
        return QMessageBox::Cancel;
    case Prompter::Answer::Ok:
        return QMessageBox::Ok;
    }
    return QMessageBox::NoButton;
}

} // namespace

QtPrompter::QtPrompter(std::string applicationTitle) : m_title(std::move(applicationTitle)) { }

std::unique_ptr<QMessageBox> QtPrompter::MakeBox(Kind kind, const std::string &text,
                                                 const std::string &caption) const
{
    QWidget *parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    auto box = std::make_unique<QMessageBox>(parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(MessageText(text));
    box->setWindowTitle(ToQString(caption.empty() ? m_title : caption));
    box->setIcon(kind == Kind::Error         ? QMessageBox::Critical
                     : kind == Kind::Warning ? QMessageBox::Warning
                                             : QMessageBox::Information);
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

void QtPrompter::ShowMessage(Kind kind, const std::string &text, const std::string &caption)
{
    const NormalCursorWhileOpen cursor;
    const auto box = MakeBox(kind, text, caption);
    box->exec();
}

Prompter::Answer QtPrompter::Ask(const std::string &text, Buttons buttons, Answer def,
                                 const std::string &caption)
{
    const NormalCursorWhileOpen cursor;
    const auto box = MakeBox(Kind::Information, text, caption);
    box->setIcon(QMessageBox::Question);
    switch (buttons) {
    case Buttons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    case Buttons::OkCancel:
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    }
    if (box->button(ToButton(def)) != nullptr) {
        box->setDefaultButton(ToButton(def));
    }
    box->exec();
    switch (box->standardButton(box->clickedButton())) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}
