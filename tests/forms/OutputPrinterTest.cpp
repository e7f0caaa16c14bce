#include "forms/OutputPrinter.h"
#include "forms/AbortForm.h"
#include "support/Commands.h"
#include "support/QtPrinting.h"
#include "support/ScratchFolder.h"

#include <QLabel>
#include <QPrinter>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A printer that prints to a PDF file, as a job of the print system would.
std::unique_ptr<QPrinter> FilePrinter(const std::string &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(path));
    printer->setPageSize(QPageSize(QPageSize::Letter));
    return printer;
}

class DerivedPrinter : public TQorOutputPrinter
{
public:
    using TQorOutputPrinter::TQorOutputPrinter;
};

} // namespace

TEST(OutputPrinter, PrintsAReportOfSeveralPagesOnThePrinter)
{
    ScratchFolder folder;
    const std::string path = folder.File("report.pdf");
    const auto printer = FilePrinter(path);
    TQorOutputPrinter report(*printer);
    EXPECT_TRUE(report.IsPrinter());
    report.SetTitle("Class Listing");
    report.BeginReport();
    EXPECT_EQ(report.DpiX, printer->logicalDpiX());
    EXPECT_EQ(report.PhysWidth, report.InchesToDeviceX(8.5F));
    report.SetMargins(1, 1, 1, 1);
    report.SetHeaderLine(1, "Class Listing", 0.5F, 1, "Times New Roman", 14, fsBold);
    report.SetPageNumberLine("Page %d", 2, 10.25F, "Times New Roman", 9, 0);
    report.SetFont("Times New Roman", 11, 0);
    report.SetBodyArea(1, 10);
    for (int i = 1; i <= 80; ++i) {
        report.PrintAt("Class line " + std::to_string(i), -1, -1);
    }
    report.DrawRule();
    report.EndReport();

    EXPECT_EQ(printer->docName(), QStringLiteral("Class Listing"));
    const std::string info = PdfInfo(path);
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    const std::string text = PdfText(path);
    const size_t pageBreak = text.find('\f');
    ASSERT_NE(pageBreak, std::string::npos) << text;
    EXPECT_LT(text.find("Class line 1\n"), pageBreak);
    EXPECT_GT(text.find("Class line 80"), pageBreak);
    EXPECT_LT(text.find("Page 1"), pageBreak);
    EXPECT_GT(text.find("Page 2"), pageBreak);
    EXPECT_GT(text.rfind("Class Listing"), pageBreak);
}

TEST(OutputPrinter, APrinterThatCannotStartSaysWhichAndOnlyItsOwnClassIsThePrinter)
{
    ScratchFolder folder;
    folder.WriteFile("plain", "a file, not a folder");
    const std::string path = folder.File("plain/report.pdf");
    const auto printer = FilePrinter(path);
    TQorOutputPrinter report(*printer);
    try {
        report.BeginReport();
        ADD_FAILURE() << "the job started";
    } catch (const EOutputError &error) {
        EXPECT_EQ(std::string(error.what()), "The printer " + path + " could not start printing.");
    }
    EXPECT_FALSE(std::filesystem::exists(path));

    DerivedPrinter derived(*printer);
    EXPECT_FALSE(derived.IsPrinter());
}

TEST(OutputPrinter, CancelInTheAbortWindowAbortsTheJob)
{
    ScratchFolder folder;
    const auto printer = FilePrinter(folder.File("aborted.pdf"));
    TQorOutputPrinter report(*printer);
    report.SetTitle("ACORD 130");
    report.BeginReport();
    report.PrintAt("page one", 1, 1);
    TAbortForm progress(nullptr, report);
    progress.Total = 3;
    progress.SetPage(0);
    progress.show();
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Printing form"));
    EXPECT_EQ(progress.DocName->text(), QStringLiteral("ACORD 130"));
    progress.SetPage(2);
    EXPECT_EQ(progress.Page->text(), QStringLiteral("Page 2 of 3."));
    EXPECT_FALSE(report.DeviceAborted());
    progress.btnCancel->click();
    EXPECT_TRUE(report.DeviceAborted());
    EXPECT_FALSE(progress.isVisible());
    EXPECT_FALSE(std::filesystem::exists(folder.File("aborted.pdf"))); // no half a job left
}
