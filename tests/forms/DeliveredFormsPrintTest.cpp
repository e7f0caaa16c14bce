// Every delivered form printed through the viewer to PDF, filled with its sample values: poppler
// reads back every label the form prints and every value it was given.

#include "core/Encoding.h"
#include "core/Text.h"
#include "forms/FormData.h"
#include "forms/FormViewer.h"
#include "support/Commands.h"
#include "support/QtPrinting.h"
#include "support/ScratchFolder.h"

#include <QPrinter>

#include <gtest/gtest.h>

namespace {

// Runs of blanks made one blank, so a label reads the same however the page spaces it.
std::string Squeezed(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\f' || c == '\t';
        if (blank) {
            if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        } else {
            out += c;
        }
    }
    return out;
}

class DeliveredFormsPrinted : public ::testing::TestWithParam<std::string>
{ };

} // namespace

TEST_P(DeliveredFormsPrinted, EveryLabelAndValueReadsBackFromThePdf)
{
    const std::string name = GetParam();
    ScratchFolder folder;
    TQorFormViewer viewer;
    viewer.SetFormsPath(BuiltProgramFolder() + "ACORD/");
    viewer.SetFormName(name);
    ASSERT_EQ(
        LoadFormData(viewer.Document(), SourceFolder() + "tests/forms/samples/" + name + ".dat"),
        0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = folder.File(name + ".pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setPageSize(QPageSize(QPageSize::Letter));
    viewer.PrintPages(0, 0, &printer);

    const std::string info = PdfInfo(pdf);
    EXPECT_NE(info.find("Pages:           " + IntText(viewer.PageCount())), std::string::npos)
        << info;
    const std::string text = Squeezed(PdfText(pdf));
    ASSERT_FALSE(text.empty());
    int labels = 0;
    for (int page = 1; page <= viewer.PageCount(); ++page) {
        for (const auto &object : viewer.Document().Page(page)->Objects) {
            if (const auto *label = dynamic_cast<const TAcordFormText *>(object.get())) {
                const std::string wanted = Squeezed(Windows1252ToUtf8(Trim(label->Text)));
                EXPECT_NE(text.find(wanted), std::string::npos) << "label: " << wanted;
                ++labels;
            }
        }
    }
    EXPECT_GT(labels, 50);
    int values = 0;
    for (const TFormField *field : viewer.Document().AllFields()) {
        if (field->Kind == fkText && !Trim(field->Value).empty()) {
            const std::string wanted = Squeezed(Windows1252ToUtf8(Trim(field->Value)));
            EXPECT_NE(text.find(wanted), std::string::npos) << field->FieldName << ": " << wanted;
            ++values;
        }
    }
    EXPECT_GT(values, 30);
}

INSTANTIATE_TEST_SUITE_P(Forms, DeliveredFormsPrinted,
                         ::testing::Values("ACORD130", "ACORD130B", "MAPOOL", "NJPOOL", "PFA"));
