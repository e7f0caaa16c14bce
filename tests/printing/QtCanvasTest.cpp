#include "printing/QtCanvas.h"
#include "printing/PdfDocument.h"
#include "support/Commands.h"
#include "support/ScratchFolder.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TCanvasBitmap PngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return TCanvasBitmap(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

} // namespace

TEST(QtCanvas, FamiliesTheSystemLacksAreDrawnWithTheirMetricCompatibleStandIns)
{
    const auto expect = [](const char *wanted, const char *standIn) {
        const QString family = ResolvedFontFamily(wanted);
        if (QFontDatabase::hasFamily(QString::fromLatin1(wanted))) {
            EXPECT_EQ(family, QString::fromLatin1(wanted));
        } else {
            EXPECT_EQ(family, QString::fromLatin1(standIn)) << wanted;
        }
    };
    expect("Times New Roman", "Liberation Serif");
    expect("Arial", "Liberation Sans");
    expect("Courier New", "Liberation Mono");
    EXPECT_EQ(ResolvedFontFamily("No Such Family"), QStringLiteral("No Such Family"));
}

TEST(QtCanvas, MeasuresTextInThePointSizeAndStyleAsked)
{
    QImage image(800, 1400, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dots per inch
    image.setDotsPerMeterY(3780);
    QtCanvas canvas(image);
    EXPECT_EQ(canvas.DpiY(), 96);
    canvas.SetFont("Times New Roman", 10, 0);
    const int32_t regular = canvas.TextWidth("Total Manual Premium:");
    const TTextMetrics metrics = canvas.TextMetrics();
    EXPECT_EQ(metrics.Height, canvas.TextHeight("M"));
    EXPECT_NEAR(metrics.Height, metrics.Ascent + metrics.Descent, 1);
    // A 10-point serif line at 96 dpi is about 15 dots high.
    EXPECT_GE(metrics.Height, 13);
    EXPECT_LE(metrics.Height, 17);
    canvas.SetFontStyle(fsBold);
    EXPECT_GT(canvas.TextWidth("Total Manual Premium:"), regular);
    canvas.SetFont("Times New Roman", 20, 0);
    // Twice the size, twice the width (pixel sizes are whole dots: 13 and 27 at 96 dpi).
    EXPECT_NEAR(canvas.TextWidth("Total Manual Premium:"), 2 * regular, regular / 10);
    TCanvasFont byHeight;
    byHeight.Height = 40;
    canvas.SetFont(byHeight);
    EXPECT_GT(canvas.TextHeight("M"), 40);
    EXPECT_LT(canvas.TextHeight("M"), 50);

    EXPECT_THROW(canvas.TextOut(0, 0, "not begun"), std::runtime_error);
}

TEST(QtCanvas, DrawsShapesPicturesAndMappedUnitsOnAnImage)
{
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtCanvas canvas(image);
        ASSERT_TRUE(canvas.Begin());
        canvas.FillRect(10, 10, 50, 50, {255, 0, 0});
        QImage stripes(2, 1, QImage::Format_RGB32);
        stripes.setPixel(0, 0, qRgb(0, 0, 0));
        stripes.setPixel(1, 0, qRgb(255, 255, 255));
        // Black where the picture is black; the red beneath stays where it is white.
        canvas.StretchDraw(10, 10, 50, 50, PngBytes(stripes), TCopyMode::SourceAnd);
        canvas.StretchDraw(0, 0, 5, 5, TCanvasBitmap(std::vector<uint8_t> {1, 2, 3}),
                           TCopyMode::Copy);

        canvas.SetMapping({0, 0, 1000, 1000, 0, 0, 200, 200});
        canvas.FillRect(500, 500, 600, 600, {0, 0, 255});
        canvas.SetBrush({false, {0, 255, 0}});
        canvas.SetPen({0, clBlack});
        canvas.Ellipse(700, 700, 900, 900);
        canvas.ResetMapping();
        canvas.SetFont("Liberation Sans", 12, 0);
        canvas.TextOut(60, 10, "W");
        EXPECT_TRUE(canvas.End());
    }
    EXPECT_EQ(image.pixel(15, 30), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(45, 30), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(110, 110), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(160, 160), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255)); // an unreadable picture draws nothing
    bool inked = false;
    for (int y = 10; y < 30; ++y) {
        for (int x = 60; x < 80; ++x) {
            inked = inked || image.pixel(x, y) != qRgb(255, 255, 255);
        }
    }
    EXPECT_TRUE(inked);
}

TEST(PdfDocument, WritesSearchableTextPagesAndDocumentInformation)
{
    ScratchFolder folder;
    const std::string path = folder.File("pages.pdf");
    TPdfDocument pdf(path, 800, 1400, 96, "Estimated Workers Compensation Quotation",
                     "Caf\xe9 Agency");
    Canvas &page = pdf.Page();
    EXPECT_EQ(page.PageWidth(), 800);
    EXPECT_EQ(page.PageHeight(), 1400);
    EXPECT_EQ(page.DpiX(), 96);
    page.SetFont("Times New Roman", 12, fsBold);
    page.TextOut(24, 20, "Left column");
    page.TextOut(600, 20, "$1,234");
    page.Line(24, 60, 776, 60);
    page.NewPage();
    page.TextOut(24, 20, "Second page");
    EXPECT_FALSE(std::filesystem::exists(path)); // nothing before the document is complete
    pdf.Finish();

    const std::string info = PdfInfo(path);
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Estimated Workers Compensation Quotation"),
              std::string::npos)
        << info;
    EXPECT_NE(info.find("Author:          Caf\xc3\xa9 Agency"), std::string::npos) << info;
    EXPECT_NE(info.find("Page size:       600 x 1050 pts"), std::string::npos) << info;
    const std::string text = PdfText(path);
    const size_t first = text.find("Left column");
    ASSERT_NE(first, std::string::npos) << text;
    const size_t lineEnd = text.find('\n', first);
    EXPECT_LT(text.find("$1,234"), lineEnd) << text;
    EXPECT_GT(text.find("Second page"), text.find('\f')) << text;
}

TEST(PdfDocument, AnUnwritablePathSaysWhichFileAndLeavesNothing)
{
    ScratchFolder folder;
    folder.WriteFile("plain", "a file, not a folder");
    for (const std::string &path :
         {folder.File("missing/quote.pdf"), folder.File("plain/quote.pdf")}) {
        TPdfDocument pdf(path, 800, 1400, 96, "Title", "Author");
        pdf.Page().TextOut(10, 10, "text");
        try {
            pdf.Finish();
            ADD_FAILURE() << "no error for " << path;
        } catch (const EPdfError &error) {
            EXPECT_NE(
                std::string(error.what()).find("The PDF file " + path + " could not be written"),
                std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}
