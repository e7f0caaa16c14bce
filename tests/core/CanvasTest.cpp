#include "core/Canvas.h"
#include "support/RecordingCanvas.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

TEST(Canvas, BitmapsHoldTheFileBytesAndShareThemBetweenCopies)
{
    ScratchFolder folder;
    const std::string bytes("BM\x00\x01\xff", 5);
    folder.WriteFile("logo.bmp", bytes);
    const TCanvasBitmap bitmap = TCanvasBitmap::FromFile(folder.File("logo.bmp"));
    ASSERT_FALSE(bitmap.Empty());
    EXPECT_EQ(std::string(bitmap.Bytes().begin(), bitmap.Bytes().end()), bytes);
    const TCanvasBitmap copy = bitmap;
    EXPECT_EQ(copy.Identity(), bitmap.Identity());
    EXPECT_NE(TCanvasBitmap(std::vector<uint8_t> {1}).Identity(), bitmap.Identity());

    const TCanvasBitmap missing = TCanvasBitmap::FromFile(folder.File("none.bmp"));
    EXPECT_TRUE(missing.Empty());
    EXPECT_TRUE(missing.Bytes().empty());
}

TEST(Canvas, StateChangesReachTheDrawingCallsAndSavedFontsComeBack)
{
    TRecordingCanvas canvas;
    TCanvasFont font;
    font.Name = "Arial";
    font.Height = 139;
    canvas.SetFont(font);
    {
        TSavedCanvasFont saved(canvas);
        canvas.SetFontSize(14); // a point size replaces the logical height
        EXPECT_EQ(canvas.Font().Height, 0);
        canvas.SetFontStyle(fsBold | fsUnderline);
        canvas.TextOut(1, 2, "Title");
    }
    EXPECT_EQ(canvas.Font(), font);

    canvas.SetMapping({0, 0, 8000, 10800, 0, 0, 800, 1080});
    canvas.SetPen({5, {255, 0, 0}});
    canvas.Rectangle(10, 20, 30, 40);
    canvas.ResetMapping();
    canvas.Line(0, 0, 5, 5);

    ASSERT_EQ(canvas.Calls.size(), 3u);
    EXPECT_EQ(canvas.Calls[0].Font.Size, 14);
    EXPECT_EQ(canvas.Calls[0].Font.Style, fsBold | fsUnderline);
    EXPECT_EQ(canvas.Calls[0].Font.Name, "Arial");
    EXPECT_TRUE(canvas.Calls[1].Mapped);
    EXPECT_EQ(canvas.Calls[1].Mapping.WindowExtY, 10800);
    EXPECT_EQ(canvas.Calls[1].Pen.Color, (TCanvasColor {255, 0, 0}));
    EXPECT_FALSE(canvas.Calls[2].Mapped);
}
