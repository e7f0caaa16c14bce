// The DOCX document layer: fields counted as the word processor counts them, results written in
// the field's formatting, nothing else of the package changed, and no broken file ever written.

#include "export/DocxDocument.h"
#include "DocxFiles.h"

#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

std::string Template()
{
    return BuiltProgramFolder() + "docs/MAApp07.DOCX";
}

// The fields as the independent Python reader sees them: "number kind name result" lines.
std::vector<std::string> ReadWithPython(const std::string &path)
{
    const TCommandResult result =
        RunCommand("python3 " + ShellQuoted(SourceFolder() + "tests/export/read_form_fields.py") +
                   " " + ShellQuoted(path));
    EXPECT_EQ(result.Status, 0) << result.Out;
    return OutputLines(result.Out);
}

std::string Line(int number, const std::string &kind, const std::string &name,
                 const std::string &result)
{
    return std::to_string(number) + "\t" + kind + "\t" + name + "\t" + result;
}

} // namespace

TEST(DocxDocument, DeliveredTemplateNumbersItsFieldsInDocumentOrder)
{
    const TDocxDocument document(Template());
    ASSERT_EQ(document.FieldCount(), 128);
    EXPECT_EQ(document.Field(1).Name, "EffDate");
    EXPECT_EQ(document.Field(6).FieldKind, TDocumentField::Kind::CheckBox);
    EXPECT_EQ(document.Field(19).FieldKind, TDocumentField::Kind::DropDown);
    EXPECT_EQ(document.Field(19).Result, "Corporation");
    EXPECT_EQ(document.Field(39).Name, "OwnerIncl2");
    // The class rows start at 40, eight fields a row.
    EXPECT_EQ(document.Field(40).Name, "ClassDesc1");
    EXPECT_EQ(document.Field(48).Name, "ClassDesc2");
    EXPECT_EQ(document.Field(103).Name, "ClassPartTime8");
    EXPECT_EQ(document.Field(128).Name, "ApplSigDate");

    // The Python reader counts the same fields in the same order.
    const std::vector<std::string> lines = ReadWithPython(Template());
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[39].substr(0, lines[39].rfind('\t')), "40\ttext\tClassDesc1");
    EXPECT_EQ(lines[5], Line(6, "check", "FEINPending", "0"));
}

TEST(DocxDocument, FilledFieldsHoldTheirValuesAndNothingElseChanges)
{
    ScratchFolder folder;
    TDocxDocument document(Template());
    const std::string outsideBefore = document.TextOutsideFields();
    const std::vector<TDocumentField> before = document.Fields();

    document.SetFieldResult(3, "ASHBY BAKERY & SONS <Lowell>");
    document.SetFieldResult(12, "978- 555-0199");
    document.SetFieldResult(40, "CAF\xC9 WORKERS"); // Windows-1252 "É"
    document.SetFieldResult(6, "Yes");
    document.SetFieldResult(19, "trust");
    document.SetFieldResult(22, "Baking\tand\r\ndelivery");
    const std::string out = folder.File("filled.docx");
    document.SaveAs(out, false);

    // Read back by the program's reader...
    const TDocxDocument filled(out);
    ASSERT_EQ(filled.FieldCount(), 128);
    EXPECT_EQ(filled.Field(3).Result, "ASHBY BAKERY & SONS <Lowell>");
    EXPECT_EQ(filled.Field(40).Result, "CAF\xC3\x89 WORKERS");
    EXPECT_EQ(filled.TextOutsideFields(), outsideBefore);
    for (int32_t n = 1; n <= 128; ++n) {
        if (n == 3 || n == 12 || n == 40 || n == 6 || n == 19 || n == 22) {
            continue;
        }
        EXPECT_EQ(filled.Field(n).Result, before[static_cast<size_t>(n - 1)].Result) << n;
        EXPECT_EQ(filled.Field(n).Name, before[static_cast<size_t>(n - 1)].Name) << n;
    }

    // ...and by an independent one.
    const std::vector<std::string> lines = ReadWithPython(out);
    ASSERT_EQ(lines.size(), 128u);
    EXPECT_EQ(lines[2], Line(3, "text", "ApplicantName", "ASHBY BAKERY & SONS <Lowell>"));
    EXPECT_EQ(lines[11], Line(12, "text", "ApplicantPhone", "978- 555-0199"));
    EXPECT_EQ(lines[39], Line(40, "text", "ClassDesc1", "CAF\xC3\x89 WORKERS"));
    EXPECT_EQ(lines[5], Line(6, "check", "FEINPending", "1"));
    EXPECT_EQ(lines[18], Line(19, "list", "LegalStatus", "Trust"));
    EXPECT_EQ(lines[21], Line(22, "text", "NatureOfBus", "Baking\\tand\\ndelivery"));

    // Every other part of the package is the template's, byte for byte.
    auto templateParts = ReadParts(Template());
    auto filledParts = ReadParts(out);
    ASSERT_EQ(templateParts.size(), filledParts.size());
    for (const auto &[name, data] : templateParts) {
        ASSERT_TRUE(filledParts.count(name)) << name;
        if (name != "word/document.xml") {
            EXPECT_EQ(filledParts[name], data) << name;
        }
    }
}

TEST(DocxDocument, ResultKeepsTheFieldsFormatting)
{
    ScratchFolder folder;
    const std::string bold = "<w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr>";
    WriteDocx(folder.File("t.docx"),
              Paragraph("<w:r><w:t>Name: </w:t></w:r>" + LegacyTextField("Name", "\u2002", bold) +
                        LegacyTextField("Empty", "", bold)));
    TDocxDocument document(folder.File("t.docx"));
    document.SetFieldResult(1, "Lee");
    document.SetFieldResult(2, "Ann");
    document.SaveAs(folder.File("out.docx"), false);
    const std::string xml = ReadParts(folder.File("out.docx"))["word/document.xml"];
    EXPECT_NE(xml.find("<w:r><w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr><w:t "
                       "xml:space=\"preserve\">Lee</w:t></w:r>"),
              std::string::npos)
        << xml;
    // An empty result gets a run formatted like the field.
    EXPECT_NE(xml.find("<w:r><w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr><w:t "
                       "xml:space=\"preserve\">Ann</w:t></w:r>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(TDocxDocument(folder.File("out.docx")).TextOutsideFields(), "Name: \n");
}

TEST(DocxDocument, ContentControlsCountAmongLegacyFieldsAndLoseTheirPlaceholder)
{
    ScratchFolder folder;
    WriteDocx(folder.File("t.docx"),
              Paragraph(LegacyTextField("First")) + Paragraph(PlaceholderControl("Second")) +
                  "<w:tbl><w:tr><w:tc>" + Paragraph(LegacyTextField("Third")) +
                  "</w:tc></w:tr></w:tbl>" +
                  // a deleted revision holds no field of the document
                  Paragraph("<w:del>" + LegacyTextField("Gone") + "</w:del>") +
                  Paragraph(LegacyTextField("Fourth")));
    TDocxDocument document(folder.File("t.docx"));
    ASSERT_EQ(document.FieldCount(), 4);
    EXPECT_EQ(document.Field(2).FieldKind, TDocumentField::Kind::ContentControl);
    EXPECT_EQ(document.Field(2).Name, "Second");
    EXPECT_EQ(document.Field(2).Result, "");
    EXPECT_EQ(document.Field(4).Name, "Fourth");

    document.SetFieldResult(2, "Filled");
    document.SaveAs(folder.File("out.docx"), false);
    const std::string xml = ReadParts(folder.File("out.docx"))["word/document.xml"];
    EXPECT_EQ(xml.find("showingPlcHdr"), std::string::npos);
    EXPECT_EQ(xml.find("PlaceholderText"), std::string::npos);
    EXPECT_NE(xml.find("<w:b/>"), std::string::npos); // the rest of its formatting stays
    const std::vector<std::string> lines = ReadWithPython(folder.File("out.docx"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], Line(2, "control", "Second", "Filled"));
    EXPECT_EQ(lines[3].substr(0, 9), "4\ttext\tFo");
}

TEST(DocxDocument, MissingFieldsAndEntriesChangeNothing)
{
    TDocxDocument document(Template());
    const std::string outside = document.TextOutsideFields();
    try {
        document.SetFieldResult(129, "x");
        FAIL() << "field 129 was accepted";
    } catch (const EDocumentError &error) {
        EXPECT_STREQ(error.what(), "The document has no form field 129 (it has 128).");
    }
    EXPECT_THROW(document.SetFieldResult(0, "x"), EDocumentError);
    try {
        document.SetFieldResult(19, "Cooperative");
        FAIL() << "an entry the list lacks was accepted";
    } catch (const EDocumentError &error) {
        EXPECT_STREQ(error.what(), "Form field 19 offers no entry \"Cooperative\".");
    }
    EXPECT_EQ(document.Field(19).Result, "Corporation");
    EXPECT_EQ(document.TextOutsideFields(), outside);
}

TEST(DocxDocument, DamagedPackagesAreRefusedWithTheirReason)
{
    ScratchFolder folder;
    folder.WriteFile("plain.docx", "not a zip file");
    EXPECT_THROW(TDocxDocument(folder.File("plain.docx")), EDocumentError);
    EXPECT_THROW(TDocxDocument(folder.File("absent.docx")), EDocumentError);

    WriteDocx(folder.File("broken.docx"), "<w:p><w:r><w:t>unclosed</w:r></w:p>");
    try {
        TDocxDocument document(folder.File("broken.docx"));
        FAIL() << "a damaged main text was accepted";
    } catch (const EDocumentError &error) {
        EXPECT_NE(std::string(error.what()).find("is damaged: word/document.xml"),
                  std::string::npos)
            << error.what();
    }
}

TEST(DocxDocument, SavingNeverReplacesUnlessAskedAndLeavesNoPartialFile)
{
    ScratchFolder folder;
    TDocxDocument document(Template());
    document.SetFieldResult(3, "FIRST");
    const std::string out = folder.File("app.docx");
    document.SaveAs(out, false);

    document.SetFieldResult(3, "SECOND");
    EXPECT_THROW(document.SaveAs(out, false), EDocumentError);
    EXPECT_EQ(TDocxDocument(out).Field(3).Result, "FIRST");

    document.SaveAs(out, true);
    EXPECT_EQ(TDocxDocument(out).Field(3).Result, "SECOND");

    // A folder that does not exist: an error, and nothing left behind anywhere.
    EXPECT_THROW(document.SaveAs(folder.File("missing/app.docx"), false), EDocumentError);
    const TCommandResult listing = RunCommand("ls -A " + ShellQuoted(folder.Path()));
    EXPECT_EQ(listing.Out, "app.docx\n");
}

TEST(DocxDocument, FieldsWithoutAResultPartOrFormDataAreFilledToo)
{
    ScratchFolder folder;
    WriteDocx(folder.File("t.docx"),
              Paragraph("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> "
                        "FORMTEXT </w:instrText></w:r><w:r><w:fldChar "
                        "w:fldCharType=\"end\"/></w:r>"
                        "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> "
                        "FORMCHECKBOX </w:instrText></w:r><w:r><w:fldChar "
                        "w:fldCharType=\"end\"/></w:r>"));
    TDocxDocument document(folder.File("t.docx"));
    ASSERT_EQ(document.FieldCount(), 2);
    document.SetFieldResult(1, "given");
    document.SetFieldResult(2, "X");
    document.SaveAs(folder.File("out.docx"), false);
    const std::vector<std::string> lines = ReadWithPython(folder.File("out.docx"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Line(1, "text", "", "given"));
    EXPECT_EQ(lines[1], Line(2, "check", "", "1"));
}
