#include "forms/OutputCanvas.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

// A pretend printer: a letter sheet at 600 dots per inch with a quarter inch it cannot print
// on each side, drawing on a recording canvas.
class TTestDevice : public TQorOutputCanvas
{
public:
    TTestDevice() { Surface.SetOffsets(150, 150); }

    Canvas &AttachCanvas() override { return Surface; }
    void DeviceBeginDoc() override { ++Begun; }
    void DeviceEndDoc() override { ++Ended; }
    void DeviceSetOrientation(TReportOrientation orientation) override
    {
        Orientation = orientation;
    }
    void DeviceNewPage() override { Surface.NewPage(); }
    int32_t DevicePageNumber() override { return Surface.PageNumber(); }
    void DeviceAbort() override { Aborted = true; }
    int32_t DevicePageHeight() override { return Surface.PageHeight(); }
    int32_t DevicePageWidth() override { return Surface.PageWidth(); }
    void DeviceSetTitle(const std::string &title) override { Title = title; }
    int32_t DeviceDpiY() override { return 600; }
    int32_t DeviceDpiX() override { return 600; }
    bool DeviceAborted() override { return Aborted; }
    int32_t DeviceVertRes() override { return Surface.PageHeight(); }
    int32_t DeviceHorzRes() override { return Surface.PageWidth(); }

    TRecordingCanvas Surface {4800, 6300, 600};
    int Begun = 0;
    int Ended = 0;
    bool Aborted = false;
    std::string Title;
    TReportOrientation Orientation = TReportOrientation::Portrait;
};

class OutputCanvas : public testing::Test
{
protected:
    void SetUp() override
    {
        device.SetFont("Times New Roman", 10, 0);
        device.BeginReport();
    }

    // The recorded text calls with that text.
    std::vector<const TCanvasCall *> Printed(const std::string &text) const
    {
        std::vector<const TCanvasCall *> found;
        for (const TCanvasCall *call : device.Surface.Texts()) {
            if (call->Text == text) {
                found.push_back(call);
            }
        }
        return found;
    }

    TTestDevice device;
};

} // namespace

TEST_F(OutputCanvas, BeginsAtThePrintersOwnMarginsWithItsMetrics)
{
    EXPECT_EQ(device.Begun, 1);
    EXPECT_EQ(device.PhysWidth, 5100);
    EXPECT_EQ(device.PhysHeight, 6600);
    EXPECT_FLOAT_EQ(device.PageWidthInches, 8.5F);
    EXPECT_EQ(device.OffsetRight, 150);
    EXPECT_EQ(device.OffsetBottom, 150);
    EXPECT_EQ(device.LeftMargin, 150);
    EXPECT_EQ(device.TopMargin, 150);
    EXPECT_TRUE(device.AutoPageBreak);
    // 10 points at 600 dpi: em 83.3 dots, line 96 + leading 8.
    EXPECT_EQ(device.LineHeight(), 104);
    EXPECT_EQ(device.LinesPerPage(), 6300 / 104);
    EXPECT_EQ(device.CharsPerLine(), 4800 / 42);
    int32_t width = 0;
    int32_t height = 0;
    device.GetPrintableSize(width, height);
    EXPECT_EQ(width, 4800);
    EXPECT_EQ(height, 6300);
    EXPECT_EQ(device.InchesToDeviceX(0.7F), 420); // binary 0.7 still gives whole dots
    EXPECT_EQ(device.InchesToDeviceY(-0.5F), -300);
}

TEST_F(OutputCanvas, MarginsFallBackToTheUnprintableStrips)
{
    device.SetMargins(1, 1, 1.25F, 0.75F);
    EXPECT_EQ(device.LeftMargin, 750);
    EXPECT_EQ(device.RightMargin, 450);
    EXPECT_FLOAT_EQ(device.GetTopMargin(), 1.0F);
    device.SetMargins(0, 0, 0, 0);
    EXPECT_EQ(device.TopMargin, 150);
    EXPECT_EQ(device.BottomMargin, 150);
    EXPECT_EQ(device.LeftMargin, 150);
    EXPECT_EQ(device.RightMargin, 150);
    device.SetMargins(1, 1, 5, 4); // wider than the sheet
    EXPECT_EQ(device.LeftMargin, 150);
    EXPECT_EQ(device.RightMargin, 150);
    EXPECT_EQ(device.TopMargin, 600);
    device.SetMargins(0.1F, 0.1F, 0.1F, 0.1F); // inside the strips
    EXPECT_EQ(device.LeftMargin, 150);
}

TEST_F(OutputCanvas, PrintAtPlacesTextByInchesFromTheSheetEdges)
{
    device.SetMargins(1, 1, 1, 1);
    device.PrintAt("left margin", -5, 1.0F);
    device.SetIndent(0.5F);
    device.PrintAt("indented", 2, -2); // the same line, CurrentY unchanged
    EXPECT_FLOAT_EQ(device.GetCurrentY(), 1.0F);
    device.PrintRight("right", -2);
    device.PrintCenter("centre", -2);
    EXPECT_FLOAT_EQ(device.Indent, 0.5F);
    device.PrintAt("off the sheet", 1, 20);
    device.SetIndent(0);
    device.SetColumn(3, 2, 2);
    device.PrintColumnRight(3, "col right", 3);
    device.PrintColumnCenter(3, "col centre", 3);
    device.PrintInColumn(3, "col left", 3);
    device.PrintAt("nowhere", 1, -3);

    const auto at = [&](const std::string &text) { return Printed(text).at(0); };
    EXPECT_EQ(at("left margin")->X, 600 - 150);
    EXPECT_EQ(at("left margin")->Y, 600 - 150);
    EXPECT_EQ(at("indented")->X, 1200 + 300 - 150);
    EXPECT_EQ(at("indented")->Y, 450);
    EXPECT_EQ(at("right")->X + device.TextWidth("right"), 5100 - 600 - 150);
    EXPECT_EQ(at("centre")->X, 2550 - device.TextWidth("centre") / 2 - 150);
    EXPECT_EQ(at("off the sheet")->Y, 6600 - 150 - 150);
    EXPECT_EQ(at("col right")->X + device.TextWidth("col right"), 2400 - 150);
    EXPECT_EQ(at("col centre")->X, 600 + 1200 - device.TextWidth("col centre") / 2 - 150);
    EXPECT_EQ(at("col left")->X, 1200 - 150);
    EXPECT_EQ(at("nowhere")->Y, -150);
}

TEST_F(OutputCanvas, TheNextLinePastTheBodyFinishesThePageWithItsHeadersAndNumber)
{
    device.SetHeaderLine(1, "Quarterly Report", 0.5F, 1, "Arial", 14, fsBold);
    device.SetHeaderLine(6, "never", 0.5F, 0, "Arial", 14, 0);
    device.SetFooterLine(2, "Confidential", 10.5F, 0, "Arial", 8, fsItalic);
    device.SetPageNumberLine("Page %d", 2, 10.5F, "Arial", 8, 0);
    device.SetFooterBox(true, 3, 0.5F, 10.4F, 8, 10.8F, 200);
    device.SetBodyArea(1, 2);
    for (int i = 0; i < 8; ++i) {
        device.PrintAt("line " + std::to_string(i), -1, -1);
    }
    device.EndReport();

    EXPECT_EQ(device.Ended, 1);
    EXPECT_EQ(device.Surface.PageCount(), 2);
    const auto headers = Printed("Quarterly Report");
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0]->Page, 1);
    EXPECT_EQ(headers[1]->Page, 2);
    EXPECT_EQ(headers[0]->Font.Style, fsBold);
    EXPECT_EQ(headers[0]->Font.Size, 14);
    EXPECT_TRUE(Printed("never").empty());
    ASSERT_EQ(Printed("Page 1").size(), 1u);
    EXPECT_EQ(Printed("Page 1")[0]->Page, 1);
    EXPECT_EQ(Printed("Page 2")[0]->Page, 2);
    EXPECT_EQ(Printed("Confidential").size(), 2u);
    // Lines at 1, 1.17, ... 1.87 inches fit; the next starts page 2 at the body top.
    const TCanvasCall *sixth = Printed("line 5").at(0);
    const TCanvasCall *seventh = Printed("line 6").at(0);
    EXPECT_EQ(sixth->Page, 1);
    EXPECT_EQ(seventh->Page, 2);
    EXPECT_EQ(seventh->Y, 600 - 150);
    EXPECT_EQ(Printed("line 0").at(0)->Y, 600 - 150);
    // The body font came back after the headers.
    EXPECT_EQ(seventh->Font.Name, "Times New Roman");
    EXPECT_EQ(seventh->Font.Size, 10);
    int boxes = 0;
    for (const TCanvasCall &call : device.Surface.Calls) {
        if (call.What == TCanvasCall::Kind::Rectangle) {
            ++boxes;
            EXPECT_EQ(call.Brush.Color, (TCanvasColor {200, 200, 200}));
            EXPECT_EQ(call.Pen.Width, 3);
        }
    }
    EXPECT_EQ(boxes, 2);
}

TEST_F(OutputCanvas, EnsureLinesBreaksWithContinuedNotes)
{
    device.SetBodyArea(1, 2);
    device.NewLines(4); // CurrentY 1.52, two lines left
    EXPECT_EQ(device.LinesRemaining(), 2);
    device.EnsureLines(2, true);
    EXPECT_EQ(device.Surface.PageCount(), 1);
    device.EnsureLines(3, true);
    EXPECT_EQ(device.Surface.PageCount(), 2);
    const auto before = Printed("Continued to next page...");
    const auto after = Printed("Continued from previous page...");
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(before[0]->Page, 1);
    EXPECT_EQ(after[0]->Page, 2);
    EXPECT_EQ(after[0]->Y, 600 - 150);
    EXPECT_FLOAT_EQ(device.GetCurrentY(), 1 + device.LineHeightInches());

    device.SetCurrentY(2.5F); // already below the body
    device.EnsureLines(1, false);
    EXPECT_EQ(device.Surface.PageCount(), 3);
    EXPECT_EQ(Printed("Continued to next page...").size(), 1u);
}

TEST_F(OutputCanvas, WrapLinesFillsTheWidthWordByWord)
{
    EXPECT_THROW(
        {
            try {
                device.WrapLines(nullptr, 1);
            } catch (const EOutputError &error) {
                EXPECT_STREQ(error.what(), "StringList not instanciated.");
                throw;
            }
        },
        EOutputError);

    // 10 points at 600 dpi: 42 dots a character, so 2 inches hold fewer than 29.
    std::vector<std::string> lines {"short line", "alpha beta  gamma delta epsilon zeta eta",
                                    "Pneumonoultramicroscopicsilicovolcanoconiosis fits"};
    device.WrapLines(&lines, 2);
    const std::vector<std::string> expected {
        "short line", "alpha beta gamma delta ", "epsilon zeta eta",
        "Pneumonoultramicroscopicsilicovolcanoconiosis ", "fits"};
    EXPECT_EQ(lines, expected);
}

TEST(OutputCanvasNumbers, PageNumberFormatsTakeOneNumberAndNothingElse)
{
    EXPECT_EQ(FormatPageNumber("Page %d", 3), "Page 3");
    EXPECT_EQ(FormatPageNumber("%d%% done, %d %s %n", 7), "7% done, %d %s %n");
    EXPECT_EQ(FormatPageNumber("", 2), "");
    EXPECT_EQ(OutputLine(std::string(300, 'x'), 1, 0, std::string(90, 'f'), 10, 0).Text.size(),
              240u);
    EXPECT_EQ(OutputLine("x", 1, 0, std::string(90, 'f'), 10, 0).FontName.size(), 80u);
}
