// The ACORD window through real widgets on the offscreen platform, on the delivered tables and
// forms: its settings file and adjustments, saving and closing, an application filled from a
// rated quote, completed by typing, saved with the quote and found again, printed to PDF, and
// the finance agreement with its options dialog.

#include "ExampleQuote.h"

#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "forms/AcordWindow.h"
#include "forms/ApplicationForm.h"
#include "forms/FormData.h"
#include "support/Commands.h"
#include "support/ModalScript.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

// A program folder of its own (so form data files land in a scratch folder) whose tables and
// forms are the built program's, and a settings folder of its own for "QORAcord.ini".
struct Program
{
    ScratchFolder folder;
    ScopedEnv settings {"VEREDIVO_SETTINGS_DIR", folder.Path() + "settings"};

    Program()
    {
        ForceDirectories(folder.Path() + "settings/");
        std::filesystem::create_directory_symlink(BuiltProgramFolder() + "Data",
                                                  folder.Path() + "Data");
        std::filesystem::create_directory_symlink(BuiltProgramFolder() + "ACORD",
                                                  folder.Path() + "ACORD");
    }
    std::string Path() const { return folder.Path(); }
    TIniFile Ini() const { return TIniFile(kAcordIni); }
};

// A rated quote of broker 5 with three classes, stored as quote 42.
struct StoredQuote
{
    QuoteHarness h;

    StoredQuote(const Program &program, const std::string &state = "MA")
        : h(state, 5, ExampleEffectiveDate(state), program.Path())
    {
        MakeExampleQuote(h, state);
        h.Add("5645", 250000, 6);
        h.Add("5437", 120000, 3);
        h.Add("8810", 60000, 2);
        h.Rate();
        h.Quote().QuoteInfo().SetQuoteID(42);
    }
    TVereDivoQuote &Quote() { return h.Quote(); }
};

TfrmAcord *AcordWindow(QWidget *widget)
{
    auto *window = qobject_cast<TfrmAcord *>(widget);
    EXPECT_NE(window, nullptr) << "the modal window is not the ACORD window";
    return window;
}

// Types into a field of the window's viewer as a user does: the editor on it, then the keys.
void TypeInto(TfrmAcord &window, const std::string &name, const QString &text)
{
    TFormField *field = window.Viewer1->FindField(name);
    ASSERT_NE(field, nullptr) << name;
    window.Viewer1->GoToField(field);
    QTest::keyClicks(&window.Viewer1->Editor(), text);
    QTest::keyClick(&window.Viewer1->Editor(), Qt::Key_Tab);
}

std::string ValueOf(TfrmAcord &window, const std::string &name)
{
    const TFormField *field = window.Viewer1->FindField(name);
    return field != nullptr ? field->Value : "<no field " + name + ">";
}

TEST(AcordWindow, SettingsAdjustmentsAndZoom)
{
    Program program;
    TIniFile ini = program.Ini();
    ini.WriteInteger("Settings", "TopMargin", -50);
    ini.WriteBool("Settings", "BoldFields", false);
    ini.WriteString("Settings", "PrinterAdjust", "1.020");
    ScriptedPrompter prompter;
    TfrmAcord window("Workers Compensation Acord");
    EXPECT_EQ(window.Viewer1->TopOffset(), -50);
    EXPECT_FALSE(window.Viewer1->Options().BoldFields);
    EXPECT_FALSE(window.mnuBoldFields->isChecked());
    EXPECT_DOUBLE_EQ(window.Viewer1->PrintScale(), 1.02);
    EXPECT_FALSE(window.mnuRMV1PrintSetup->isVisible());
    EXPECT_FALSE(window.Printed());

    window.OpenForm(BuiltProgramFolder() + "ACORD/", "ACORD130");
    window.SetZoom(15);
    window.btnZoomOut->trigger();
    EXPECT_EQ(window.GetZoom(), 15) << "zoom out stops below 20%";
    window.btnZoomIn->trigger();
    window.btnZoomIn->trigger();
    EXPECT_EQ(window.GetZoom(), 35);
    window.btnPageDown->trigger();
    EXPECT_EQ(window.Viewer1->CurrentPage(), 2);
    window.btnPageUp->trigger();
    window.btnPageUp->trigger();
    EXPECT_EQ(window.Viewer1->CurrentPage(), 1);

    {
        ModalScript script;
        script.Then([](QWidget *dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Top Margin Adjustment");
            auto *edit = dialog->findChild<QLineEdit *>("txtValue");
            EXPECT_EQ(edit->text(), "-0.500");
            edit->setText("1.5");
            ClickButton(dialog, "&Done");
        });
        window.mnuTopMargin->trigger();
    }
    EXPECT_EQ(window.Viewer1->TopOffset(), 150);
    EXPECT_EQ(ini.ReadInteger("Settings", "TopMargin", 0), 150);
    {
        ModalScript script;
        script.Then([](QWidget *dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Image Adjustment");
            dialog->findChild<QLineEdit *>("txtValue")->setText("1.010");
            ClickButton(dialog, "&Done");
        });
        window.mnuImageSize->trigger();
    }
    EXPECT_DOUBLE_EQ(window.Viewer1->PrintScale(), 1.01);
    EXPECT_EQ(ini.ReadString("Settings", "PrinterAdjust", ""), "1.010");
    {
        ModalScript script;
        script.Then([](QWidget *dialog) {
            dialog->findChild<QLineEdit *>("txtValue")->setText("3");
            ClickButton(dialog, "&Cancel");
        });
        window.mnuImageSize->trigger();
    }
    EXPECT_DOUBLE_EQ(window.Viewer1->PrintScale(), 1.01) << "cancel keeps the scale";

    window.mnuBoldFields->trigger();
    EXPECT_TRUE(window.Viewer1->Options().BoldFields);
    EXPECT_TRUE(ini.ReadBool("Settings", "BoldFields", false));
    window.mnuExternalPrint->trigger();
    EXPECT_TRUE(ini.ReadBool("Settings", "ExternalPrint", false));
    TfrmAcord next("again");
    EXPECT_TRUE(next.mnuExternalPrint->isChecked()) << "the next window reads it back";
    EXPECT_EQ(next.Viewer1->TopOffset(), 150);
}

TEST(AcordWindow, SavingClosingAndTheButtons)
{
    Program program;
    ScriptedPrompter prompter;
    TfrmAcord window("Form");
    window.OpenForm(BuiltProgramFolder() + "ACORD/", "PFA");
    window.SetButtons("&Save", "&Close");
    EXPECT_EQ(window.OK->text(), "&Save");
    window.show();

    // Closing asks; Cancel keeps the window open, No closes without saving.
    prompter.QueueAnswer(Prompter::Answer::Cancel);
    window.Cancel->click();
    EXPECT_TRUE(window.isVisible());
    prompter.QueueAnswer(Prompter::Answer::No);
    window.Cancel->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string> {"Do you want to save this form?",
                                         "Do you want to save this form?"}));

    window.show();
    window.mnuSave->trigger();
    EXPECT_EQ(window.result(), QDialog::Accepted) << "&Save closes with the save result";

    window.SetCanSave(false);
    EXPECT_EQ(window.Cancel->text(), "Close");
    EXPECT_TRUE(window.OK->isHidden());
    prompter.Clear();
    window.show();
    window.mnuSave->trigger();
    EXPECT_EQ(prompter.Texts(), (std::vector<std::string> {"This form cannot be saved"}));
    window.Cancel->click();
    EXPECT_FALSE(window.isVisible()) << "without saving the window closes without asking";

    // A field the user changes shows its value.
    ASSERT_TRUE(window.LocateField("amount1"));
    EXPECT_EQ(window.FoundField()->FieldName, "Amount1");
    window.show();
    TypeInto(window, "Amount1", "125.00");
    EXPECT_EQ(window.txtPreview->text(), "125.00");
    window.Cancel->click();
}

TEST(AcordWindow, FilledTypedSavedAndFoundAgainWithTheQuote)
{
    Program program;
    const std::string dataFile = program.Path() + "formdata/nb/42.dat";
    {
        StoredQuote quote(program);
        ModalScript script;
        script.Then([&](QWidget *widget) {
            TfrmAcord *window = AcordWindow(widget);
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(window->windowTitle(), "Workers Compensation Acord");
            EXPECT_EQ(ValueOf(*window, "C2"), quote.Quote().Classes()[0]->Code);
            EXPECT_EQ(ValueOf(*window, "K2"), IntText(CurrentYear() % 100));
            TypeInto(*window, "UWName", "Bakery and cafe");
            EXPECT_EQ(ValueOf(*window, "UWName"), "Bakery and cafe");
            ClickButton(window, "&Save");
        });
        EXPECT_FALSE(ShowApplication(quote.Quote(), 1));
        EXPECT_EQ(quote.h.Application().SaveCount, 1);
        const std::vector<std::string> &log = quote.h.Application().LogLines;
        EXPECT_NE(
            std::find(log.begin(), log.end(), "WCQuote - ShowQORAcordViewer - Save Acord Data"),
            log.end());
    }
    ASSERT_TRUE(FileExists(dataFile));

    // The quote reopened: the saved file is offered, shown as saved, and closed without saving.
    StoredQuote again(program);
    ModalScript script;
    script
        .Then([](QWidget *dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Form Options");
            EXPECT_TRUE(dialog->findChild<QRadioButton *>("optChoice3")->isChecked());
            dialog->findChild<QRadioButton *>("optChoice2")->setChecked(true);
            ClickButton(dialog, "&OK");
        })
        .Then([&](QWidget *widget) {
            TfrmAcord *window = AcordWindow(widget);
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(ValueOf(*window, "UWName"), "Bakery and cafe");
            again.h.Prompter().QueueAnswer(Prompter::Answer::No);
            ClickButton(window, "&Close");
        });
    ShowApplication(again.Quote(), 1);
    EXPECT_EQ(again.h.Application().SaveCount, 0);
}

TEST(AcordWindow, ACorruptSavedFileLeavesTheQuoteUsable)
{
    Program program;
    ForceDirectories(program.Path() + "formdata/pool/");
    std::ofstream(program.Path() + "formdata/pool/42.dat", std::ios::binary)
        << "C1=x" << std::string(8, '\0');
    StoredQuote quote(program, "NJ");
    ModalScript script;
    script.Then([](QWidget *dialog) { ClickButton(dialog, "&OK"); }).Then([&](QWidget *widget) {
        TfrmAcord *window = AcordWindow(widget);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "NJ Pool Application");
        EXPECT_EQ(ValueOf(*window, "C3"), quote.Quote().Classes()[0]->Code)
            << "the new data is filled in";
        quote.h.Prompter().QueueAnswer(Prompter::Answer::No);
        ClickButton(window, "&Close");
    });
    ShowApplication(quote.Quote(), 2);
    const auto texts = quote.h.Prompter().Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front().rfind("The form data is corrupt.  Please contact", 0), 0u);
}

TEST(AcordWindow, PrintedToPdfWithTheQuotesData)
{
    Program program;
    StoredQuote quote(program);
    const std::string pdf = program.Path() + "acord.pdf";
    ModalScript script;
    script.Then([&](QWidget *widget) {
        TfrmAcord *window = AcordWindow(widget);
        ASSERT_NE(window, nullptr);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::Letter));
        window->Printer = &printer;
        int offered = 0;
        window->ExecPrintDialog = [&offered](QPrinter &, int pages) {
            offered = pages;
            return true;
        };
        window->Viewer1->ShowRequirements = [](const std::string &,
                                               const std::vector<std::string> &) {
            return true; // "Ignore Requirements"
        };
        window->btnPrint->trigger();
        EXPECT_EQ(offered, 4);
        EXPECT_TRUE(window->Printed());
        TypeInto(*window, "UWName", "x");
        EXPECT_FALSE(window->Printed()) << "a change after printing";
        window->Printer = nullptr;
        quote.h.Prompter().QueueAnswer(Prompter::Answer::No);
        ClickButton(window, "&Close");
    });
    ShowApplication(quote.Quote(), 1);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("ASHBY BAKERY"), std::string::npos);
    EXPECT_NE(text.find("Harbor Insurance Agency"), std::string::npos);
    for (const TVereDivoClass *line : quote.Quote().Classes()) {
        EXPECT_NE(text.find(line->Code), std::string::npos) << line->Code;
        EXPECT_NE(text.find(IntText(line->GetPayroll())), std::string::npos) << line->Code;
        EXPECT_NE(text.find(IntText(line->GetPremium())), std::string::npos) << line->Code;
    }
}

TEST(AcordWindow, FinanceAgreementShownWithoutSaving)
{
    Program program;
    StoredQuote quote(program);
    ModalScript script;
    script.Then([&](QWidget *widget) {
        TfrmAcord *window = AcordWindow(widget);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), "Premium Finance Agreement");
        EXPECT_TRUE(window->OK->isHidden());
        EXPECT_EQ(window->Cancel->text(), "Close");
        EXPECT_EQ(ValueOf(*window, "TotalPremiums"),
                  FixedText(quote.Quote().Results.TotalPremium, 2));
        EXPECT_EQ(ValueOf(*window, "Detail6"), "9");
        window->SetZoom(90);
        ClickButton(window, "Close");
    });
    PrintFinanceAgreement(quote.Quote());
    EXPECT_TRUE(quote.h.Prompter().Texts().empty()) << "no save question";
    EXPECT_FALSE(FileExists(program.Path() + "formdata/nb/42.dat"));
    EXPECT_EQ(program.Ini().ReadInteger("Acord", "Zoom", 0), 90);
}

TEST(FinanceOptions, TheDownPaymentNeverFallsBelowItsMinimum)
{
    TfrmFinanceOptions options(nullptr, 35, 500, 25);
    EXPECT_EQ(options.lblDown->text(), "Down Payment  (25% Minimum)");
    EXPECT_EQ(options.lblTotal->text(), "$535");
    options.txtDown->setText("100");
    options.Recalculate();
    EXPECT_EQ(options.txtDown->text(), "500");
    options.txtDown->setText("700");
    options.txtSurcharge->setText("40");
    options.Recalculate();
    EXPECT_EQ(options.lblTotal->text(), "$740");
    EXPECT_EQ(options.TotalCash(), 740);
    EXPECT_EQ(options.Surcharge(), 40);
}

} // namespace
