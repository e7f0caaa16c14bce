// The "Word Integration" export over the DOCX word processor: its steps and status texts, the
// stop at a missing field with a readable partial document, the file name and the question
// before an earlier document is replaced, and LibreOffice for the Office 2003 template.

#include "export/WordExport.h"

#include "DocxFiles.h"
#include "QuoteHarness.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "export/LibreOffice.h"
#include "support/Commands.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace {

std::string Template07()
{
    return BuiltProgramFolder() + "docs/MAApp07.DOCX";
}

} // namespace

TEST(WordExport, FillsEveryValueWithItsStatusTextsAndOpensTheDocument)
{
    ScratchFolder folder;
    std::vector<std::string> statuses;
    std::string opened;
    TDocxWordProcessor processor(folder.File("app.docx"), false,
                                 [&opened](const std::string &path) { opened = path; });
    const std::vector<TQuoteDataInfo> values = {{3, "ASHBY BAKERY"}, {12, "978- 555-0199"}};
    const TWordExportResult result =
        RunWordExport(processor, Template07(), values,
                      [&statuses](const std::string &text) { statuses.push_back(text); });
    ASSERT_TRUE(result.Completed) << result.Error;
    EXPECT_EQ(result.FailedPosition, -1);
    EXPECT_EQ(statuses,
              (std::vector<std::string> {"Launching Word...", "Opening Document...",
                                         "Processing Field 0 of 2", "Processing Field 1 of 2",
                                         "Activating Word..."}));
    EXPECT_EQ(opened, folder.File("app.docx"));
    const TDocxDocument filled(folder.File("app.docx"));
    EXPECT_EQ(filled.Field(3).Result, "ASHBY BAKERY");
    EXPECT_EQ(filled.Field(12).Result, "978- 555-0199");
}

TEST(WordExport, ATemplateShortOfFieldsStopsThereAndKeepsWhatWasFilled)
{
    ScratchFolder folder;
    WriteDocx(folder.File("short.docx"),
              Paragraph(LegacyTextField("A") + LegacyTextField("B") + LegacyTextField("C")));
    std::string opened;
    TDocxWordProcessor processor(folder.File("app.docx"), false,
                                 [&opened](const std::string &path) { opened = path; });
    const std::vector<TQuoteDataInfo> values = {{1, "one"}, {3, "three"}, {5, "five"}, {2, "two"}};
    std::vector<std::string> statuses;
    const TWordExportResult result =
        RunWordExport(processor, folder.File("short.docx"), values,
                      [&statuses](const std::string &text) { statuses.push_back(text); });
    EXPECT_FALSE(result.Completed);
    EXPECT_EQ(result.FailedPosition, 2);
    EXPECT_EQ(result.Error,
              "Field 5 (value 2 of 4): The document has no form field 5 (it has "
              "3).\rThe document as far as it was filled is " +
                  folder.File("app.docx") + ".");
    EXPECT_EQ(statuses.back(), "Processing Field 2 of 4");
    EXPECT_TRUE(opened.empty()); // the failure is shown; nothing is opened

    // The partial document reads, with the values before the failure and none after it.
    const TDocxDocument partial(folder.File("app.docx"));
    EXPECT_EQ(partial.Field(1).Result, "one");
    EXPECT_EQ(partial.Field(3).Result, "three");
    EXPECT_EQ(partial.Field(2).Result, "\u2002\u2002");
}

TEST(WordExport, AMissingTemplateStopsBeforeAnyField)
{
    ScratchFolder folder;
    TDocxWordProcessor processor(folder.File("app.docx"), false);
    const TWordExportResult result =
        RunWordExport(processor, folder.File("MAApp07.DOCX"), {{1, "x"}}, {});
    EXPECT_FALSE(result.Completed);
    EXPECT_EQ(result.FailedPosition, -1);
    EXPECT_NE(result.Error.find("does not exist"), std::string::npos) << result.Error;
    EXPECT_FALSE(FileExists(folder.File("app.docx")));
}

TEST(WordExport, FileNameComesFromCustomerAndQuote)
{
    QuoteHarness h {"MA", 1, EncodeDate(2026, 7, 1), BuiltProgramFolder()};
    EXPECT_EQ(PoolApplicationFileName("/q", h.Quote()),
              "/q/New Customer - MA Pool Application.docx");
    h.Quote().Customer().SetCompany(" ../CAF\xC9 A/B ");
    h.Quote().QuoteId = 12;
    EXPECT_EQ(PoolApplicationFileName("/q/", h.Quote()),
              "/q/-CAF\xC3\x89 A-B - MA Pool Application - Quote 12.docx");
}

TEST(WordExport, AnEarlierDocumentIsReplacedOnlyWhenTheUserSaysSo)
{
    ScratchFolder folder;
    ScriptedPrompter prompter;
    const std::string path = folder.File("app.docx");
    TDocumentTarget target = ChooseDocumentTarget(path);
    EXPECT_EQ(target.Path, path);
    EXPECT_FALSE(target.Replace);
    EXPECT_TRUE(prompter.Entries().empty());

    folder.WriteFile("app.docx", "earlier");
    folder.WriteFile("app (2).docx", "earlier too");
    prompter.QueueAnswer(Prompter::Answer::No);
    target = ChooseDocumentTarget(path);
    EXPECT_EQ(target.Path, folder.File("app (3).docx"));
    EXPECT_FALSE(target.Replace);
    ASSERT_EQ(prompter.Texts().size(), 1u);
    EXPECT_EQ(prompter.Texts()[0],
              "The document app.docx exists already.\rReplace it?  (No keeps "
              "it and writes the new one as app (3).docx.)");

    prompter.QueueAnswer(Prompter::Answer::Yes);
    target = ChooseDocumentTarget(path);
    EXPECT_EQ(target.Path, path);
    EXPECT_TRUE(target.Replace);

    prompter.QueueAnswer(Prompter::Answer::Cancel);
    EXPECT_TRUE(ChooseDocumentTarget(path).Path.empty());
    EXPECT_EQ(folder.ReadFile("app.docx"), "earlier");
}

TEST(WordExport, TheOffice2003TemplateSaysClearlyThatItNeedsLibreOffice)
{
    ScopedEnv noOffice("VEREDIVO_SOFFICE", std::string("/nonexistent/soffice"));
    EXPECT_TRUE(FindLibreOffice().empty());
    const std::string template03 = PoolApplicationTemplate(BuiltProgramFolder(), true);
    ASSERT_TRUE(FileExists(template03));
    try {
        FillableTemplate(template03);
        FAIL() << "the .DOC template was taken without LibreOffice";
    } catch (const EDocumentError &error) {
        EXPECT_STREQ(error.what(),
                     "The Office 2003 pool application (MAApp03.DOC) needs LibreOffice, which is "
                     "not installed.  Install LibreOffice Writer (the Debian package "
                     "libreoffice-writer-nogui) and try again.");
    }
    // The 2007 template needs nothing.
    EXPECT_EQ(FillableTemplate(Template07()), Template07());
}

// The Office 2003 template converted by LibreOffice has the 2007 template's fields; the filled
// document, printed to PDF by LibreOffice, shows the values.
TEST(WordExport, LibreOfficeFillsTheOffice2003TemplateAndPrintsTheValues)
{
    if (FindLibreOffice().empty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: the Office 2003 template and "
                        "the PDF of a filled document cannot be checked here";
    }
    ScratchFolder folder;
    ScopedEnv profile("VEREDIVO_OFFICE_PROFILE", folder.File("profile"));
    ScopedEnv temporary("TMPDIR", folder.Path());

    const std::string converted =
        FillableTemplate(PoolApplicationTemplate(BuiltProgramFolder(), true));
    const std::vector<TDocumentField> fields03 = TDocxDocument(converted).Fields();
    const std::vector<TDocumentField> fields07 = TDocxDocument(Template07()).Fields();
    ASSERT_EQ(fields03.size(), fields07.size());
    for (size_t i = 0; i < fields07.size(); ++i) {
        EXPECT_EQ(fields03[i].FieldKind, fields07[i].FieldKind) << i + 1;
        // The .DOC keeps the names of text fields (check boxes and lists lose theirs).
        if (fields07[i].FieldKind == TDocumentField::Kind::Text) {
            EXPECT_EQ(fields03[i].Name, fields07[i].Name) << i + 1;
        }
    }
    // Converted once: the second request finds the converted file.
    EXPECT_EQ(FillableTemplate(PoolApplicationTemplate(BuiltProgramFolder(), true)), converted);

    TDocxWordProcessor processor(folder.File("filled.docx"), false);
    const TWordExportResult result = RunWordExport(
        processor, PoolApplicationTemplate(BuiltProgramFolder(), true),
        {{3, "ASHBY BAKERY"}, {40, "PLUMBING NOC"}, {41, "5183"}, {43, "100000"}}, {});
    ASSERT_TRUE(result.Completed) << result.Error;
    ConvertWithLibreOffice(folder.File("filled.docx"), folder.File("filled.pdf"));
    const std::string text = PdfText(folder.File("filled.pdf"));
    for (const char *value : {"ASHBY BAKERY", "PLUMBING NOC", "5183", "100000",
                              "Massachusetts Workers' Compensation Assigned Risk Pool"}) {
        EXPECT_NE(text.find(value), std::string::npos) << value << "\n" << text;
    }
    const std::string info = PdfInfo(folder.File("filled.pdf"));
    const size_t pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    EXPECT_EQ(Trim(info.substr(pages + 6, info.find('\n', pages) - pages - 6)), "1") << info;
}
