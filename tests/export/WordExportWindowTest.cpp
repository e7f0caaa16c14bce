// The "Word Integration" window: "&Export" writes and opens the document with its status texts,
// "&Cancel" writes nothing, and a failure at a field is shown with the partial document kept.

#include "export/WordExportWindow.h"

#include "DocxFiles.h"
#include "core/Paths.h"
#include "export/DocxDocument.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(WordExportWindow, ExportWritesOpensAndCloses)
{
    ScratchFolder folder;
    std::string opened;
    TfrmWordExport window({{3, "ASHBY BAKERY"}, {41, "5183"}},
                          BuiltProgramFolder() + "docs/MAApp07.DOCX", folder.File("app.docx"),
                          false, nullptr, [&opened](const std::string &path) { opened = path; });
    EXPECT_EQ(window.windowTitle(), "Word Integration");
    EXPECT_EQ(window.btnExport->text(), "&Export");
    EXPECT_EQ(window.btnCancel->text(), "&Cancel");
    window.show();
    window.btnExport->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.lblStatus->text(), "Activating Word...");
    EXPECT_EQ(opened, folder.File("app.docx"));
    EXPECT_EQ(TDocxDocument(folder.File("app.docx")).Field(41).Result, "5183");
}

TEST(WordExportWindow, CancelWritesNothing)
{
    ScratchFolder folder;
    TfrmWordExport window({{3, "X"}}, BuiltProgramFolder() + "docs/MAApp07.DOCX",
                          folder.File("app.docx"), false);
    window.show();
    window.btnCancel->click();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(FileExists(folder.File("app.docx")));
}

TEST(WordExportWindow, AFailureIsShownAndTheWindowStaysOpen)
{
    ScratchFolder folder;
    ScriptedPrompter prompter;
    WriteDocx(folder.File("short.docx"), Paragraph(LegacyTextField("A") + LegacyTextField("B")));
    std::string opened;
    TfrmWordExport window({{1, "one"}, {4, "four"}}, folder.File("short.docx"),
                          folder.File("app.docx"), false, nullptr,
                          [&opened](const std::string &path) { opened = path; });
    window.show();
    window.btnExport->click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.lblStatus->text(), "Stopped.");
    EXPECT_FALSE(window.btnExport->isEnabled());
    EXPECT_TRUE(window.btnCancel->isEnabled());
    ASSERT_EQ(prompter.Entries().size(), 1u);
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Error);
    EXPECT_NE(prompter.Entries()[0].text.find("The document has no form field 4 (it has 2)."),
              std::string::npos)
        << prompter.Entries()[0].text;
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(TDocxDocument(folder.File("app.docx")).Field(1).Result, "one");
}
