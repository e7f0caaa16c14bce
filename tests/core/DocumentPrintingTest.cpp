#include "core/DocumentPrinting.h"
#include "core/Errors.h"
#include "support/RecordingCanvas.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// 10-point Times on an 800 × 1400 page at 96 dpi: lines of 15 + 8 dots, the bottom limit
// 1400 - 48 - 23 = 1329.
class DocumentPrinting : public testing::Test
{
protected:
    void SetUp() override { canvas.SetFont("Times New Roman", 10, 0); }

    const TCanvasCall &Printed(const std::string &text) const
    {
        for (const TCanvasCall *call : canvas.Texts()) {
            if (call->Text == text) {
                return *call;
            }
        }
        throw std::runtime_error("not printed: " + text);
    }

    TRecordingCanvas canvas;
    int32_t y = 0;
};

} // namespace

TEST_F(DocumentPrinting, EveryMarkupTagShowsInTheDrawing)
{
    PrintText(canvas,
              "\\BOLD\\CENTER Notice to the Insured\r\n"
              "Plain line\r\n"
              "\\Italic\\UNDERLINE\\SIZE(14)Big line\r\n"
              "\\SIZE( 12 )kept as written\r\n"
              "skipped\\INDENT10%Name\\INDENT60%$1,234\r\n"
              "\\INDENT-1%At the margin\r\n"
              "\\NEWPAGE\r\n"
              "After the break",
              20, y);

    const TCanvasCall &title = Printed(" Notice to the Insured");
    EXPECT_EQ(title.Font.Style, fsBold);
    EXPECT_EQ(title.X, (800 - 161) / 2); // 22 bold characters of 7.33 dots
    EXPECT_EQ(title.Y, 0);
    const TCanvasCall &plain = Printed("Plain line");
    EXPECT_EQ(plain.Font.Style, 0); // the font came back after the tagged line
    EXPECT_EQ(plain.X, 20);
    EXPECT_EQ(plain.Y, 23);
    const TCanvasCall &big = Printed("Big line");
    EXPECT_EQ(big.Font.Style, fsItalic | fsUnderline);
    EXPECT_EQ(big.Font.Size, 14);
    // Blanks inside the parentheses: the size applies, the tag stays in the text.
    EXPECT_EQ(Printed("\\SIZE( 12 )kept as written").Font.Size, 12);
    const TCanvasCall &name = Printed("Name");
    const TCanvasCall &amount = Printed("$1,234");
    EXPECT_EQ(name.X, 80);
    EXPECT_EQ(amount.X, 480);
    EXPECT_EQ(name.Y, amount.Y);
    EXPECT_EQ(canvas.AllText().find("skipped"), std::string::npos);
    EXPECT_EQ(Printed("At the margin").X, 20);
    const TCanvasCall &after = Printed("After the break");
    EXPECT_EQ(after.Page, 2);
    EXPECT_EQ(after.Y, 23);
    EXPECT_EQ(canvas.PageCount(), 2);

    EXPECT_THROW(PrintLine(canvas, "\\SIZE(big)text", 20, y), EConvertError);
    EXPECT_THROW(PrintLine(canvas, "\\INDENT1.5%text", 20, y), EConvertError);
}

TEST_F(DocumentPrinting, WrapsWordsAtTheMarginAndKeepsHardLineEnds)
{
    std::string paragraph;
    for (int i = 0; i < 60; ++i) {
        paragraph += "word" + std::to_string(i) + " ";
    }
    paragraph += "end";
    const int32_t margin = InchesToPixels(canvas, 0.75);
    EXPECT_EQ(margin, 75);
    PrintText(canvas, "Short first line. \r\n" + paragraph, margin, y);

    const auto texts = canvas.Texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0]->Text, "Short first line. ");
    std::string joined;
    for (size_t i = 1; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i]->X, margin);
        EXPECT_LE(texts[i]->X2 - texts[i]->X, 800 - 2 * margin) << texts[i]->Text;
        if (i + 1 < texts.size()) {
            // Full: the next word would not have fitted.
            std::istringstream next(texts[i + 1]->Text);
            std::string word;
            next >> word;
            EXPECT_GT(canvas.TextWidth(texts[i]->Text + word + " "), 800 - 2 * margin);
        }
        joined += texts[i]->Text;
    }
    EXPECT_EQ(joined, paragraph);
}

TEST_F(DocumentPrinting, ALongDocumentContinuesFiveLinesDownANewPage)
{
    std::string text;
    for (int i = 1; i <= 120; ++i) {
        text += "Line " + std::to_string(i) + "\r\n";
    }
    PrintText(canvas, text, 1, y);
    // 0, 23, ... 1311 fit under 1329 (58 lines); the next page starts at 5 lines.
    EXPECT_EQ(Printed("Line 58").Page, 1);
    EXPECT_EQ(Printed("Line 58").Y, 57 * 23);
    EXPECT_EQ(Printed("Line 59").Page, 2);
    EXPECT_EQ(Printed("Line 59").Y, 115);
    EXPECT_EQ(Printed("Line 111").Page, 2);
    EXPECT_EQ(Printed("Line 112").Page, 3);
    EXPECT_EQ(Printed("Line 112").Y, 115);
    for (const TCanvasCall *call : canvas.Texts()) {
        EXPECT_LE(call->Y, 1329) << call->Text;
    }
}

TEST_F(DocumentPrinting, DocumentFilesPrintToTheirEndOrSayTheyAreMissing)
{
    ScratchFolder folder;
    folder.WriteFile("waiver.txt", std::string("\\BOLD Waiver\r\nSigned\0ignored", 28));
    EXPECT_TRUE(PrintDocumentFile(canvas, folder.File("waiver.txt"), 1, y));
    EXPECT_EQ(canvas.AllText(), " Waiver\nSigned\n");
    EXPECT_EQ(y, 46);

    ScriptedPrompter prompter;
    canvas.Calls.clear();
    const std::string missing = folder.File("docs/none.txt");
    EXPECT_FALSE(PrintDocumentFile(canvas, missing, 1, y));
    EXPECT_EQ(prompter.Texts(),
              std::vector<std::string> {"The document " + missing + " does not exist"});
    EXPECT_TRUE(canvas.Calls.empty());
    EXPECT_EQ(y, 46);
}
