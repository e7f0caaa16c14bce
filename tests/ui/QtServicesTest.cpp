#include "ui/QtBusyIndicator.h"
#include "ui/QtEventLoop.h"
#include "ui/QtPrompter.h"

#include "support/ModalScript.h"
#include "support/QtPrinting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

QMessageBox *AsBox(QWidget *modal)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    EXPECT_NE(box, nullptr) << "not a message box";
    return box;
}

QLabel *TextLabel(QMessageBox *box)
{
    return box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
}

} // namespace

TEST(QtPrompter, MessageTextIsShownExactlyUnderTheApplicationTitle)
{
    QtPrompter prompter("Workers Compensation Application");
    ModalScript script;
    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    QString shownTitle;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    script.Then([&](QWidget *modal) {
        QMessageBox *box = AsBox(modal);
        ASSERT_NE(box, nullptr);
        shownTitle = box->windowTitle();
        shownIcon = box->icon();
        QLabel *label = TextLabel(box);
        ASSERT_NE(label, nullptr);
        shownText = label->text();
        shownFormat = label->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    prompter.ShowMessage(Prompter::Kind::Error, "Smith & Sons <b>Caf\xE9</b>\r\rnext\r\nlast", "");
    EXPECT_EQ(shownTitle, QStringLiteral("Workers Compensation Application"));
    EXPECT_EQ(shownIcon, QMessageBox::Critical);
    EXPECT_EQ(shownText, QString::fromUtf8("Smith & Sons <b>Caf\u00e9</b>\n\nnext\nlast"));
    EXPECT_EQ(shownFormat, Qt::PlainText);
}

TEST(QtPrompter, AGivenCaptionReplacesTheTitle)
{
    QtPrompter prompter("Title");
    ModalScript script;
    QString shownTitle;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    script.Then([&](QWidget *modal) {
        shownTitle = modal->windowTitle();
        shownIcon = AsBox(modal)->icon();
        AsBox(modal)->button(QMessageBox::Ok)->click();
    });
    prompter.ShowMessage(Prompter::Kind::Information, "In order to correct a problem",
                         "Database Correction");
    EXPECT_EQ(shownTitle, QStringLiteral("Database Correction"));
    EXPECT_EQ(shownIcon, QMessageBox::Information);
}

TEST(QtPrompter, QuestionsOfferTheirButtonsAndReturnTheAnswer)
{
    QtPrompter prompter("Title");
    ModalScript script;
    std::vector<QMessageBox::StandardButton> defaults;
    auto press = [&](QMessageBox::StandardButton which) {
        return [&defaults, which](QWidget *modal) {
            QMessageBox *box = AsBox(modal);
            defaults.push_back(box->standardButton(box->defaultButton()));
            box->button(which)->click();
        };
    };
    script.Then(press(QMessageBox::Yes))
        .Then(press(QMessageBox::No))
        .Then(press(QMessageBox::Cancel))
        .Then([](QWidget *modal) { AsBox(modal)->reject(); });
    EXPECT_EQ(prompter.Ask("Proceed?", Prompter::Buttons::YesNo, Prompter::Answer::No, ""),
              Prompter::Answer::Yes);
    EXPECT_EQ(prompter.Ask("Save?", Prompter::Buttons::YesNoCancel, Prompter::Answer::Yes, ""),
              Prompter::Answer::No);
    EXPECT_EQ(prompter.Ask("Save?", Prompter::Buttons::YesNoCancel, Prompter::Answer::Cancel, ""),
              Prompter::Answer::Cancel);
    // Escape on a yes/no question is "No".
    EXPECT_EQ(prompter.Ask("Proceed?", Prompter::Buttons::YesNo, Prompter::Answer::Yes, ""),
              Prompter::Answer::No);
    EXPECT_EQ(defaults,
              (std::vector<QMessageBox::StandardButton> {QMessageBox::No, QMessageBox::Yes,
                                                         QMessageBox::Cancel}));
}

TEST(QtBusyIndicator, WaitCursorWithTheNormalOneOverMessageBoxes)
{
    QtPrompter prompter("Title");
    Prompter *previous = SetPrompter(&prompter);
    {
        QtBusyIndicator indicator;
        BusyIndicator *old = SetBusyIndicator(&indicator);
        Qt::CursorShape duringBox = Qt::BlankCursor;
        ModalScript script;
        script.Then([&](QWidget *modal) {
            duringBox = QApplication::overrideCursor()->shape();
            AsBox(modal)->button(QMessageBox::Ok)->click();
        });
        {
            BusyCursor busy;
            ASSERT_NE(QApplication::overrideCursor(), nullptr);
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            ShowInformation("Uppercase Function Complete");
            EXPECT_EQ(duringBox, Qt::ArrowCursor);
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        SetBusyIndicator(old);
    }
    SetPrompter(previous);
}

TEST(QtEventLoop, TimersFireOnceInOrderAndCancelledOnesNever)
{
    QtEventLoop loop;
    std::vector<std::string> fired;
    loop.StartTimer(30, [&] { fired.push_back("late"); });
    const int cancelled = loop.StartTimer(5, [&] { fired.push_back("cancelled"); });
    loop.StartTimer(0, [&] { fired.push_back("first"); });
    loop.CancelTimer(cancelled);
    EXPECT_EQ(loop.PendingTimers(), 2);
    ASSERT_TRUE(WaitFor([&] { return fired.size() == 2; }));
    EXPECT_EQ(fired, (std::vector<std::string> {"first", "late"}));
    EXPECT_EQ(loop.PendingTimers(), 0);
    // A timer may start another from its callback.
    loop.StartTimer(0, [&] { loop.StartTimer(0, [&] { fired.push_back("chained"); }); });
    ASSERT_TRUE(WaitFor([&] { return fired.size() == 3; }));
    loop.ProcessEvents();
    EXPECT_EQ(fired.back(), "chained");
}
