// The main window's output commands on a real quote window over the delivered tables and forms:
// the worksheet and its documents printed to PDF files through "Printing Options", the ACORD,
// pool and finance windows filled from the quote, "Save as PDF", the e-mail without a mail
// program, and the readiness check's refusals. The print dialog is the window's seam; every
// other dialog is the real one, answered by the test's modal script.

#include "agency/AgencyProfile.h"
#include "agency/AgencyProfileWindow.h"
#include "app/PrintOptions.h"
#include "app/WcForm.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "forms/AcordWindow.h"
#include "rating/VereDivoQuote.h"
#include "ui/CustomerDialog.h"
#include "ui/DetailWindow.h"

#include "support/Commands.h"
#include "support/DesktopRecorder.h"
#include "support/ModalScript.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::StartsWith;

namespace {

std::string FieldHolding(const TfrmAcord &window, const std::string &value)
{
    for (const TFormField *field : window.Viewer1->Document().AllFields()) {
        if (Trim(field->Value) == value) {
            return field->FieldName;
        }
    }
    return {};
}

class OutputCommands : public testing::Test
{
protected:
    OutputCommands()
        : settings("VEREDIVO_SETTINGS_DIR", dir.File("settings/")),
          state("XDG_STATE_HOME", dir.File("state/")),
          tmp("TMPDIR", dir.File("tmp/"))
    {
        ForceDirectories(dir.File("tmp/"));
        ForceDirectories(dir.File("out/"));
        CopyDeliveredData(dir.File("program/Data/"));
        for (const char *shared : {"ACORD", "docs", "Images"}) {
            std::filesystem::create_directory_symlink(BuiltProgramFolder() + shared,
                                                      dir.File("program/") + shared);
        }
        SetProgramFolder(dir.File("program/"));
    }
    ~OutputCommands() override
    {
        TfrmVereDivoDetail::SetClassSelectionWindow({});
        window.reset();
        SetProgramFolder("");
    }

    // The main window of the broker, shown, with its first quote of the state open; the agency
    // named unless `agency` is empty.
    TfrmVereDivoDetail &Start(int broker, const std::string &stateCode,
                              const std::string &agency = "Harbor Insurance Agency")
    {
        dir.WriteFile("program/Data/About.ini",
                      "[Detail]\nActive_Broker=" + IntText(broker) + "\nActive_State=" + stateCode +
                          "\n");
        TIniFile(dir.File("program/") + ChangeFileExt(ExtractFileName(ProgramFile()), "") + ".ini")
            .WriteString("Agency Info", "Name", agency);
        window = std::make_unique<TWC_MDI>();
        window->ExecPrintDialog = [this](QPrinter &printer) {
            printDialogs.push_back(printer.copyCount());
            if (printTo.empty()) {
                return false;
            }
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(printTo));
            return true;
        };
        window->show();
        EXPECT_TRUE(WaitFor([&] { return window->ActiveQuote() != nullptr; }));
        return *dynamic_cast<TfrmVereDivoDetail *>(window->ActiveQuote());
    }

    // Closes an ACORD window without saving its form.
    void CloseWithoutSaving(TfrmAcord &acord)
    {
        if (acord.CanSave()) {
            prompter.QueueAnswer(Prompter::Answer::No);
        }
        acord.Cancel->click();
    }

    // Classes put on the quote as the class selection would, and the customer's name.
    static void Rate(TfrmVereDivoDetail &detail, const std::string &company = "Harbor Plumbing")
    {
        TfrmVereDivoDetail::SetClassSelectionWindow([](TVereDivoQuote &quote, QWidget *) {
            for (const auto &[code, payroll] : {std::pair {"8810", 45000}, {"5183", 90000}}) {
                TVereDivoClass *line = quote.FindClass(code, "");
                EXPECT_NE(line, nullptr) << code;
                if (line != nullptr) {
                    line->SetPayroll(payroll);
                    line->SetEmployees(3);
                    quote.AppendClass(*line);
                }
            }
            return true;
        });
        detail.btnAdd->click();
        detail.Quote()->Customer().SetCompany(company);
        detail.Quote()->Customer().SetFirstName("Ann");
        ASSERT_GT(detail.Quote()->Results.TotalPremium, 0);
    }

    std::string Out(const std::string &name) const { return dir.File("out/" + name); }

    ScratchFolder dir;
    ScopedEnv settings;
    ScopedEnv state;
    ScopedEnv tmp;
    ScriptedPrompter prompter;
    std::unique_ptr<TWC_MDI> window;
    // The print dialog's answer: the PDF file printed to, or cancelled when empty.
    std::string printTo;
    // Each print dialog shown, with the copy count it was offered.
    std::vector<int> printDialogs;
};

} // namespace

TEST_F(OutputCommands, TheDispatcherPrintsTheWorksheetAndTheChosenDocuments)
{
    TfrmVereDivoDetail &detail = Start(1, "MA");
    Rate(detail);
    printTo = Out("quote.pdf");
    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *options = qobject_cast<TfrmPrintOptions *>(modal);
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(options->windowTitle(), "Printing Options");
        EXPECT_TRUE(options->optWorksheet->isChecked());
        EXPECT_FALSE(options->optFinance->isVisibleTo(options)) << "broker 1 has no finance";
        EXPECT_FALSE(options->optPool->isVisibleTo(options));
        const auto found = options->lstDocuments->findItems(
            QStringLiteral("Workers Compensation Rating Terms"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        EXPECT_TRUE(found.front()->flags() & Qt::ItemIsEnabled) << "kind 0 is the user's";
        found.front()->setCheckState(Qt::Checked);
        ClickButton(modal, QStringLiteral("&Print"));
    });
    detail.btnPrint->click();
    EXPECT_TRUE(script.Done());
    ASSERT_EQ(printDialogs.size(), 1u);
    const std::string worksheet = PdfText(printTo);
    EXPECT_THAT(worksheet, HasSubstr(MoneyText(detail.Quote()->Results.TotalPremium)));
    EXPECT_THAT(worksheet, HasSubstr("Harbor Plumbing"));
    EXPECT_THAT(worksheet, HasSubstr("Harbor Insurance Agency"));
    EXPECT_THAT(PdfText(Out("quote (2).pdf")), HasSubstr("Workers Compensation Rating Terms"));
    EXPECT_FALSE(FileExists(Out("quote (3).pdf")));

    // The menu prints the worksheet alone, without the options; a cancelled dialog prints
    // nothing.
    std::filesystem::remove_all(dir.File("out/"));
    ForceDirectories(dir.File("out/"));
    printTo = Out("menu.pdf");
    window->mnuPrint->trigger();
    EXPECT_THAT(PdfText(printTo), HasSubstr(MoneyText(detail.Quote()->Results.TotalPremium)));
    EXPECT_FALSE(FileExists(Out("menu (2).pdf")));
    printTo.clear();
    window->btnPrintQuote->trigger();
    EXPECT_EQ(printDialogs.size(), 3u);
    EXPECT_THAT(prompter.Texts(), IsEmpty());
}

TEST_F(OutputCommands, AcordFromTheMenuAndPrintedFromTheDispatcherWithItsDocuments)
{
    TfrmVereDivoDetail &detail = Start(1, "MA");
    Rate(detail);
    const std::string firstCode = Trim(detail.Quote()->Classes()[0]->Code);
    // The name came without the customer dialog, as a save from the form's window brings it.
    EXPECT_THAT(detail.windowTitle().toStdString(), StartsWith("New Quote"));
    {
        ModalScript script;
        script.Then([&](QWidget *modal) {
            auto *acord = qobject_cast<TfrmAcord *>(modal);
            ASSERT_NE(acord, nullptr);
            EXPECT_EQ(acord->windowTitle(), "Workers Compensation Acord");
            EXPECT_NE(FieldHolding(*acord, "Harbor Plumbing"), "") << "the insured filled in";
            EXPECT_NE(FieldHolding(*acord, firstCode), "") << "the classes filled in";
            CloseWithoutSaving(*acord);
        });
        window->btnAcordViewer->trigger();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(detail.windowTitle(), QStringLiteral("Harbor Plumbing (Massachusetts)"));
    }

    // "ACORD Form" checks the kind-1 document and prints it once after the printed form.
    printTo = Out("documents.pdf");
    const std::string form = Out("acord.pdf");
    QPrinter formPrinter(QPrinter::HighResolution);
    formPrinter.setOutputFormat(QPrinter::PdfFormat);
    formPrinter.setOutputFileName(QString::fromStdString(form));
    ModalScript script;
    script
        .Then([](QWidget *modal) {
            auto *options = qobject_cast<TfrmPrintOptions *>(modal);
            ASSERT_NE(options, nullptr);
            options->optAcord->setChecked(true);
            const auto found = options->lstDocuments->findItems(
                QStringLiteral("Applicant Acknowledgement"), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            EXPECT_EQ(found.front()->checkState(), Qt::Checked);
            EXPECT_FALSE(found.front()->flags() & Qt::ItemIsEnabled);
            ClickButton(modal, QStringLiteral("&Print"));
        })
        .Then([&](QWidget *modal) {
            auto *acord = qobject_cast<TfrmAcord *>(modal);
            ASSERT_NE(acord, nullptr);
            acord->Printer = &formPrinter;
            acord->ExecPrintDialog = [](QPrinter &, int) { return true; };
            acord->Viewer1->ShowRequirements =
                [](const std::string &, const std::vector<std::string> &) { return true; };
            acord->btnPrint->trigger();
            EXPECT_TRUE(acord->Printed());
            acord->Printer = nullptr;
            CloseWithoutSaving(*acord);
        });
    detail.btnPrint->click();
    EXPECT_TRUE(script.Done());
    EXPECT_THAT(PdfText(form), HasSubstr("Harbor Plumbing"));
    EXPECT_THAT(PdfText(printTo), HasSubstr("Applicant Acknowledgement"));
    EXPECT_THAT(PdfText(printTo), Not(HasSubstr(MoneyText(detail.Quote()->Results.TotalPremium))))
        << "no worksheet with the application";
    EXPECT_FALSE(FileExists(Out("documents (2).pdf")));
}

TEST_F(OutputCommands, PoolApplicationsAndTheFinanceAgreementOfBrokerFive)
{
    TfrmVereDivoDetail &newJersey = Start(5, "NJ");
    Rate(newJersey);
    EXPECT_EQ(window->mnuPoolApp->text(), "Print NJ Poo&l Application");
    EXPECT_TRUE(window->mnuPrintFinanceAgreement->isVisible());
    std::vector<QString> titles;
    {
        ModalScript script;
        const auto close = [&titles, this](QWidget *modal) {
            auto *acord = qobject_cast<TfrmAcord *>(modal);
            ASSERT_NE(acord, nullptr);
            titles.push_back(acord->windowTitle());
            EXPECT_NE(FieldHolding(*acord, "Harbor Plumbing"), "") << titles.back().toStdString();
            CloseWithoutSaving(*acord);
        };
        script.Then(close).Then(close);
        window->mnuPoolApp->trigger();
        window->mnuPrintFinanceAgreement->trigger();
        EXPECT_TRUE(script.Done());
    }
    EXPECT_THAT(titles, ElementsAre("NJ Pool Application", "Premium Finance Agreement"));

    // Massachusetts fills the Word document of the 2007 choice into the quote folder.
    window->mnuExit->trigger();
    DesktopRecorder desktop;
    TfrmVereDivoDetail &massachusetts = Start(5, "MA");
    Rate(massachusetts, "Ashby Bakery");
    window->mnuMAApp2007->trigger();
    ModalScript script;
    script.Then([](QWidget *modal) {
        EXPECT_EQ(modal->windowTitle(), "Word Integration");
        ClickButton(modal, QStringLiteral("&Export"));
    });
    window->mnuPoolApp->trigger();
    EXPECT_TRUE(script.Done());
    const std::string document = dir.File("program/Data/Ashby Bakery - MA Pool Application.docx");
    EXPECT_TRUE(FileExists(document));
    EXPECT_THAT(desktop.Opened, ElementsAre(document));
}

TEST_F(OutputCommands, SaveAsPdfSuggestsTheCustomerAndWritesTheChosenFile)
{
    TfrmVereDivoDetail &detail = Start(1, "NJ");
    Rate(detail, "Garden/State Diner");
    const std::string target = Out("chosen.pdf");
    ScopedEnv home("HOME", dir.File("home"));
    ForceDirectories(dir.File("home/Documents/"));
    ModalScript script;
    script.Then([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->defaultSuffix(), "pdf");
        ASSERT_EQ(dialog->selectedFiles().size(), 1);
        EXPECT_EQ(dialog->selectedFiles().front().toStdString(),
                  dir.File("home/Documents/Garden-State Diner - NJ Quote.pdf"));
        // The agent types another name over the one offered.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(target));
        ClickButton(dialog, QStringLiteral("&Save"));
    });
    prompter.QueueAnswer(Prompter::Answer::No);
    window->ToolButton1->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_THAT(prompter.Texts(), ElementsAre("Show the PDF that was just created?"));
    EXPECT_THAT(PdfText(target), HasSubstr(MoneyText(detail.Quote()->Results.TotalPremium)));
    EXPECT_THAT(PdfInfo(target), HasSubstr("Pages:           1"));

    // The next time the folder of the last save is offered.
    ModalScript again;
    again.Then([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->directory().absolutePath().toStdString() + "/", dir.File("out/"));
        dialog->reject();
    });
    window->ToolButton1->trigger();
    EXPECT_TRUE(again.Done());
}

TEST_F(OutputCommands, EmailWithoutAMailProgramLeavesAMessageFile)
{
    TfrmVereDivoDetail &detail = Start(1, "MA");
    Rate(detail);
    DesktopRecorder desktop;
    {
        ScopedEnv path("PATH", dir.File("tmp/"));
        window->mnuEmail->trigger();
    }
    const std::string message = dir.File("program/wcquote.eml");
    ASSERT_TRUE(FileExists(message));
    EXPECT_THAT(desktop.Opened, ElementsAre(message));
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_THAT(prompter.Texts().front(), HasSubstr(message));
    const std::string text = dir.ReadFile("program/wcquote.eml");
    EXPECT_THAT(text, HasSubstr("Subject: Estimated Workers Compensation Quotation"));
    EXPECT_THAT(text, HasSubstr("filename=wcquote.pdf"));
    EXPECT_THAT(dir.ReadFile("tmp/wcemail.txt"),
                HasSubstr(MoneyText(detail.Quote()->Results.TotalPremium) + ".00"));
    EXPECT_THAT(PdfText(dir.File("program/wcquote.pdf")),
                HasSubstr(MoneyText(detail.Quote()->Results.TotalPremium)));
}

TEST_F(OutputCommands, TheReadinessCheckStopsEveryOutputBeforeItsWindow)
{
    TfrmVereDivoDetail &detail = Start(1, "MA", "");
    printTo = Out("never.pdf");
    // No agency: the profile is offered, cancelled, and nothing goes out.
    ModalScript script;
    script.Then([](QWidget *modal) {
        ASSERT_NE(qobject_cast<TfrmAgencyProfile *>(modal), nullptr);
        ClickButton(modal, QStringLiteral("C&ancel"));
    });
    window->ToolButton1->trigger();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("Your Agency Profile isn't complete.  Please fill it out before "
                            "printing.",
                            "Cannot print Quote without an Agency Profile"));
    prompter.Clear();

    // No premium: refused by every command, the detail window's print too.
    window->AgencyProfile().Information().Name = "Harbor Insurance Agency";
    detail.btnPrint->click();
    for (QAction *command : {window->mnuPrint, window->mnuPrintACORD, window->mnuEmail,
                             window->ToolButton1, window->mnuPrintFinanceAgreement}) {
        command->trigger();
    }
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string>(6, "Cannot print Quote without a valid premium"));
    prompter.Clear();

    // No company: the customer dialog is offered, cancelled, and the output refused.
    Rate(detail, "");
    ModalScript customer;
    customer.Then([](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmCustInfo *>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->btnCancel->click();
    });
    detail.btnPrint->click();
    EXPECT_TRUE(customer.Done());
    EXPECT_THAT(prompter.Texts(), ElementsAre("Unable to print without a Company Name"));
    EXPECT_THAT(printDialogs, IsEmpty());
    EXPECT_FALSE(FileExists(printTo));
    EXPECT_FALSE(FileExists(dir.File("program/wcquote.pdf")));
}

TEST_F(OutputCommands, ExportSaysWhyItIsNotThereAndItsMenuItemStaysDisabled)
{
    Start(5, "MA");
    EXPECT_TRUE(window->btnExportQuote->isVisible());
    EXPECT_TRUE(window->mnuExportQuote->isVisible());
    EXPECT_FALSE(window->mnuExportQuote->isEnabled());
    window->btnExportQuote->trigger();
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_THAT(prompter.Texts().front(), HasSubstr("no export format is defined"));
    prompter.Clear();

    // Both items carry Ctrl+E; the disabled export leaves the keys to the e-mail.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_THAT(prompter.Texts(), ElementsAre("Cannot print Quote without a valid premium"));
}
