// The form viewer and its fields through real widgets on the offscreen platform: typing with
// masks, case and maximum lengths, auto-advance, the tab key across pages, mirrors, check boxes
// and radio groups, pages and zoom, the completion check before printing, and printing to PDF.

#include "FormModel.h"
#include "FormSource.h"

#include "forms/AbortForm.h"
#include "forms/FormErrors.h"
#include "forms/FormViewer.h"
#include "support/Commands.h"
#include "support/ModalScript.h"
#include "support/QtPrinting.h"
#include "support/ScratchFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char *const kForm = R"FORM(form VIEW
side 1
font 8 bold
text 2 1 "FIRST PAGE LABEL"
box 3..5 0..40 1
field Name text 3.2..4.8 1..39 max=12 case=capital "Name of the applicant"
field Zip text 6.2..7.8 1..20 max=5 input=digits advance "ZIP code"
field Date text 9.2..10.8 1..20 input=date "Date"
field Agree check 12..13 1..2 "Agrees"
field Yes radio 14..15 1..2 link=No "Answer yes"
field No radio 14..15 4..5 link=Maybe "Answer no"
field Maybe radio 14..15 7..8 link=Yes "Answer maybe"
field Pick_Y circle 16..17 1..3 "Pick yes"

side 2
font 8 bold
text 2 1 "SECOND PAGE LABEL"
field MAP:name text 3.2..4.8 1..39 "Name (from page 1)"
field Second text 6.2..7.8 1..39 required max=20 "Second field"

side 3
font 8 bold
text 2 1 "THIRD PAGE LABEL"
field Third text 3.2..4.8 1..39 max=20 "Third field"
)FORM";

std::unique_ptr<QPrinter> PdfPrinter(const std::string &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(path));
    printer->setPageSize(QPageSize(QPageSize::Letter));
    return printer;
}

class Viewer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteFormFiles(ParseFormSourceText(kForm, "view.form", ""), folder.Path());
        viewer.resize(900, 700);
        viewer.show();
        viewer.SetFormsPath(folder.Path());
        viewer.OnPageChange = [this](TQorFormViewer *, int page) { pages.push_back(page); };
        viewer.OnModifyField = [this](QObject *, TFormField *field) {
            modified.push_back(field->FieldName);
        };
        viewer.SetFormName("VIEW");
        QApplication::processEvents();
    }

    TFormField &Field(const std::string &name) { return *viewer.FindField(name); }
    TFormFieldEdit &Edit() { return viewer.Editor(); }
    void Type(const QString &text) { QTest::keyClicks(&Edit(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&Edit(), key, modifiers);
    }
    void Click(TFormField &field)
    {
        const QRect rect = viewer.LogicalRectToPixels(field.Rect);
        QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, rect.center());
    }

    ScratchFolder folder;
    TQorFormViewer viewer;
    std::vector<int> pages;
    std::vector<std::string> modified;
};

} // namespace

TEST_F(Viewer, TheEditorStartsOnTheFirstFieldOfTheFirstPage)
{
    EXPECT_EQ(viewer.CurrentPage(), 1);
    EXPECT_EQ(pages, std::vector<int> {1});
    ASSERT_EQ(Edit().Field(), &Field("Name"));
    EXPECT_TRUE(Edit().isVisible());
    // The editor lies over its field.
    const QRect field = viewer.LogicalRectToPixels(Field("Name").Rect);
    EXPECT_EQ(Edit().geometry().topLeft(), field.topLeft());
    EXPECT_EQ(Edit().width(), field.width());
    EXPECT_GE(Edit().height(), 15);
}

TEST_F(Viewer, TypingFollowsCaseModeMaximumLengthAndInputClass)
{
    Edit().setFocus();
    Type("jOHN mACdonald-smith");
    // Capital first letter, the rest lower case; no more than 12 characters.
    EXPECT_EQ(Field("Name").Value, "John macdona");
    EXPECT_EQ(Edit().text(), "John macdona");
    EXPECT_FALSE(modified.empty());
    EXPECT_EQ(modified.back(), "Name");

    viewer.GoToField(&Field("Date"));
    Type("12/a31-2026x");
    EXPECT_EQ(Field("Date").Value, "12/31-2026"); // letters are dropped
}

TEST_F(Viewer, AFullFieldWithAutoAdvanceMovesOn)
{
    viewer.GoToField(&Field("Zip"));
    Type("0a2134");
    EXPECT_EQ(Field("Zip").Value, "02134");
    EXPECT_EQ(Edit().Field(), &Field("Date"));
    Type("7");
    EXPECT_EQ(Field("Date").Value, "7");
    EXPECT_EQ(Field("Zip").Value, "02134");
}

TEST_F(Viewer, TabMovesThroughTheFieldsAndOnToTheNextPage)
{
    Edit().setFocus();
    std::vector<std::string> visited;
    for (int i = 0; i < 9; ++i) {
        if (i > 0) {
            Key(Qt::Key_Tab);
        }
        visited.push_back(Edit().Field() ? Edit().Field()->FieldName : "(none)");
    }
    const std::vector<std::string> expected = {"Name", "Zip",   "Date",   "Agree", "Yes",
                                               "No",   "Maybe", "Pick_Y", "Second"};
    EXPECT_EQ(visited, expected); // the mirror on page 2 is passed over
    EXPECT_EQ(viewer.CurrentPage(), 2);
    EXPECT_EQ(pages, (std::vector<int> {1, 2}));
    // Shift+Tab goes back across the page.
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(Edit().Field(), &Field("Pick_Y"));
    EXPECT_EQ(viewer.CurrentPage(), 1);
    // Enter moves on like Tab; past the last field the editor is hidden.
    viewer.GoToField(&Field("Third"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Edit().Field(), nullptr);
    EXPECT_FALSE(Edit().isVisible());
}

TEST_F(Viewer, AMirrorFollowsItsSourceAndIsNotEdited)
{
    Edit().setFocus();
    Type("ada");
    EXPECT_EQ(Field("MAP:name").Value, "Ada");
    viewer.GoToPage(2);
    EXPECT_EQ(Edit().Field(), &Field("Second")); // the mirror cannot take the editor
    Click(Field("MAP:name"));
    EXPECT_EQ(Field("MAP:name").Value, "Ada");
    EXPECT_NE(Edit().Field(), &Field("MAP:name"));
}

TEST_F(Viewer, CheckBoxesRadioGroupsAndCircleBoxesToggle)
{
    Click(Field("Agree"));
    EXPECT_EQ(Field("Agree").Value, "X");
    Click(Field("Agree"));
    EXPECT_EQ(Field("Agree").Value, "");
    // A letter or a space typed on a check box toggles it; other characters do nothing.
    viewer.GoToField(&Field("Agree"));
    Type("7");
    EXPECT_EQ(Field("Agree").Value, "");
    Type(" ");
    EXPECT_EQ(Field("Agree").Value, "X");

    Click(Field("Yes"));
    EXPECT_EQ(Field("Yes").Value, "X");
    Click(Field("Maybe"));
    EXPECT_EQ(Field("Maybe").Value, "X");
    EXPECT_EQ(Field("Yes").Value, "");
    EXPECT_EQ(Field("No").Value, "");
    Click(Field("Maybe")); // a set button clicked again is cleared
    EXPECT_EQ(Field("Maybe").Value, "");

    Click(Field("Pick_Y"));
    EXPECT_TRUE(Field("Pick_Y").Marked);
    Click(Field("Pick_Y"));
    EXPECT_FALSE(Field("Pick_Y").Marked);
    EXPECT_EQ(modified.size(), 8u);
}

TEST_F(Viewer, PagesAndZoom)
{
    pages.clear();
    viewer.GoToPage(0);
    EXPECT_EQ(viewer.CurrentPage(), 1);
    EXPECT_TRUE(pages.empty()); // already there
    viewer.GoToPage(99);
    EXPECT_EQ(viewer.CurrentPage(), 3);
    EXPECT_EQ(pages, std::vector<int> {3});
    EXPECT_EQ(Edit().Field(), &Field("Third"));

    // At 50% an 800-pixel-wide window at 96 pixels per inch shows 16667 units, the page
    // centred: its left edge 4333 units from the window's.
    const int extraWidth = viewer.width() - viewer.viewport()->width();
    const int extraHeight = viewer.height() - viewer.viewport()->height();
    viewer.resize(800 + extraWidth, 600 + extraHeight);
    QApplication::processEvents();
    ASSERT_EQ(viewer.viewport()->width(), 800);
    ASSERT_EQ(viewer.logicalDpiX(), 96);
    int magnified = 0;
    viewer.OnMagnifyChange = [&](TQorFormViewer *, int percent) { magnified = percent; };
    viewer.SetMagnification(50);
    EXPECT_EQ(magnified, 50);
    EXPECT_NEAR(viewer.PixelsToLogical({0, 0}).x(), -4333, 1);
    EXPECT_NEAR(viewer.PixelsToLogical({800, 0}).x(), 16667 - 4333, 2);
    EXPECT_EQ(viewer.horizontalScrollBar()->maximum(), 0);
    // At 100% the page is wider than the window and scrolls.
    viewer.SetMagnification(100);
    EXPECT_EQ(viewer.horizontalScrollBar()->maximum(), 0); // 8333 units shown
    EXPECT_EQ(viewer.verticalScrollBar()->maximum(), 11000 - 6250);
    viewer.verticalScrollBar()->setValue(1000);
    EXPECT_NEAR(viewer.PixelsToLogical({0, 0}).y(), 1000, 1);
    // Page Down at the bottom of a page goes on to the next one.
    viewer.GoToPage(1);
    viewer.verticalScrollBar()->setValue(viewer.verticalScrollBar()->maximum());
    viewer.PageDownKey();
    EXPECT_EQ(viewer.CurrentPage(), 2);
    viewer.PageUpKey();
    EXPECT_EQ(viewer.CurrentPage(), 1);
    EXPECT_EQ(viewer.verticalScrollBar()->value(), viewer.verticalScrollBar()->maximum());
}

TEST_F(Viewer, TheSameFormNameLoadsOnceAndAMissingFormClearsTheName)
{
    Field("Name").Value = "kept";
    viewer.SetFormName("VIEW");
    EXPECT_EQ(Field("Name").Value, "kept");
    EXPECT_THROW(viewer.SetFormName("MISSING"), EFormFileError);
    EXPECT_EQ(viewer.FormName(), "");
    EXPECT_EQ(viewer.PageCount(), 0);
    EXPECT_EQ(viewer.CurrentPage(), 0);
}

TEST_F(Viewer, TheCompletionCheckListsTheMissingFieldAndBlocksPrinting)
{
    viewer.Options().EnforceRequirements = true;
    const std::string pdf = folder.File("form.pdf");
    auto printer = PdfPrinter(pdf);
    QString message;
    QStringList names;
    {
        ModalScript script;
        script.Then([&](QWidget *dialog) {
            auto *requirements = qobject_cast<TfrmRequirements *>(dialog);
            ASSERT_NE(requirements, nullptr);
            EXPECT_EQ(requirements->windowTitle(), "Required Fields");
            message = requirements->lblMessage->text();
            for (int i = 0; i < requirements->lstFields->count(); ++i) {
                names << requirements->lstFields->item(i)->text();
            }
            EXPECT_EQ(requirements->lblNote->text(),
                      "Required fields will be highlighted when you click Close");
            ClickButton(dialog, "&Close");
        });
        EXPECT_FALSE(viewer.PrintChecked(0, 0, printer.get()));
    }
    EXPECT_EQ(message,
              "Printing can't be performed because you need to complete the following field:");
    EXPECT_EQ(names, QStringList {"Second field"});
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(viewer.PrintJobs(), 0);
    // The user is taken to the field, which is now highlighted.
    EXPECT_EQ(viewer.CurrentPage(), 2);
    EXPECT_EQ(Edit().Field(), &Field("Second"));
    EXPECT_TRUE(viewer.Options().HighlightRequiredFields);

    Type("Filled at last");
    viewer.GoToPage(1);
    viewer.GoToField(&Field("Name"));
    Type("ada lovelace");
    EXPECT_TRUE(viewer.PrintChecked(0, 0, printer.get()));
    EXPECT_EQ(viewer.PrintJobs(), 1);
    const std::string info = PdfInfo(pdf);
    EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("FIRST PAGE LABEL"), std::string::npos) << text;
    EXPECT_NE(text.find("Ada lovelace"), std::string::npos) << text;
    EXPECT_NE(text.find("Filled at last"), std::string::npos) << text;
    EXPECT_NE(text.find("THIRD PAGE LABEL"), std::string::npos) << text;
}

TEST_F(Viewer, IgnoringTheRequirementsLetsPrintingGoOn)
{
    viewer.Options().EnforceRequirements = true;
    const std::string pdf = folder.File("ignored.pdf");
    auto printer = PdfPrinter(pdf);
    ModalScript script;
    script.Then([](QWidget *dialog) {
        dialog->findChild<QCheckBox *>("chkIgnore")->setChecked(true);
        ClickButton(dialog, "&Close");
    });
    EXPECT_TRUE(viewer.PrintChecked(2, 2, printer.get()));
    EXPECT_FALSE(viewer.Options().EnforceRequirements);
    EXPECT_NE(PdfInfo(pdf).find("Pages:           1"), std::string::npos);
    EXPECT_NE(PdfText(pdf).find("SECOND PAGE LABEL"), std::string::npos);
}

TEST_F(Viewer, PrintingRangesOptionsAndFieldsOnly)
{
    SetValue(Field("Name"), "Grace");
    const std::string pdf = folder.File("range.pdf");
    auto printer = PdfPrinter(pdf);
    viewer.PrintPages(2, 3, printer.get());
    EXPECT_NE(PdfInfo(pdf).find("Pages:           2"), std::string::npos);
    EXPECT_EQ(PdfText(pdf).find("FIRST PAGE LABEL"), std::string::npos);

    // Flags Y, N, Y: pages 1 and 3 as two jobs; the adjustments are put back afterwards.
    viewer.SetTopOffset(25);
    TPrintOptions options;
    options.PageFlags = {"Y", "N", "Y"};
    options.TopAdjust = 0.5;
    options.Scale = 1.01;
    viewer.PrintWithOptions(options, printer.get());
    EXPECT_EQ(viewer.PrintJobs(), 3);
    EXPECT_EQ(viewer.TopOffset(), 25);
    EXPECT_DOUBLE_EQ(viewer.PrintScale(), 1.0);
    EXPECT_NE(PdfText(pdf).find("THIRD PAGE LABEL"), std::string::npos); // the last job's page

    // Only the fields, for paper with the form printed on it.
    options.PageFlags = {};
    options.FieldsOnly = true;
    options.Scale = 1;
    viewer.PrintWithOptions(options, printer.get());
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Grace"), std::string::npos) << text;
    EXPECT_EQ(text.find("FIRST PAGE LABEL"), std::string::npos) << text;
    EXPECT_FALSE(viewer.Options().PrintFormFieldsOnly);

    // A first page beyond the form prints nothing.
    const int jobs = viewer.PrintJobs();
    viewer.PrintPages(4, 4, printer.get());
    EXPECT_EQ(viewer.PrintJobs(), jobs);
}

TEST_F(Viewer, FieldNamesModeShowsTheNames)
{
    viewer.setFocus();
    QTest::keyPress(&viewer, Qt::Key_F2);
    QTest::keyClick(&viewer, Qt::Key_F8);
    QTest::keyRelease(&viewer, Qt::Key_F2);
    EXPECT_TRUE(viewer.Document().NamesMode());
    EXPECT_TRUE(Field("Zip").NamesMode);
    EXPECT_EQ(Edit().text(), "Name");
    EXPECT_TRUE(Edit().isReadOnly());
    TFieldInfo info(&viewer, Field("Yes"));
    EXPECT_EQ(info.lblKind->text(), "Radio button");
    ASSERT_EQ(info.lstGroup->count(), 2);
    EXPECT_EQ(info.lstGroup->item(0)->text(), "No");
}
