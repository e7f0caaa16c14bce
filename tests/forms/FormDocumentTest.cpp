// The form as the viewer holds it, without the widget: pages built from the three files, the
// drawing of every item kind on a recording canvas, field values by kind, mirrors, movement
// between fields and the completion checks.

#include "FormModel.h"
#include "FormSource.h"

#include "forms/FormDocument.h"
#include "forms/FormErrors.h"
#include "support/RecordingCanvas.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

const char *const kForm = R"(form DOC
directive FONT "Arial"
side 1
image 30..32 60..70 "pixel.bmp"
slot 33..36 60..70 "Stamp" "" 0 stamp
separator 37..37 0..80
shade 1..2 0..10 50
box 3..4 1..5 3
font 10
text 6 1 "Left"
text 6 LNWIDTH("1000NN","ab")+1 "Next" align=after
text 9 2 "Mid" align=center width=20
text 12 1 "a b  c" align=justify width=30
text 14 1 "x\_yy\_ z"
font 8.5 bold reverse
text 16 1 "White"
field A text 20..21 1..30 required max=10 "Field A"
field R1 radio 22..23 1..2 link=R2
field R2 radio 22..23 3..4 link=R3
field R3 radio 22..23 5..6 link=R1
field C check 24..25 1..2
field Pick_Y circle 26..27 1..3
field Seen text 28..29 1..10 "Seen"

side 2
slot 1..2 1..2 "MAP:Stamp" "" 0
field B text 2..3 1..30
field MAP:a text 4..5 1..30
field Last text 6..7 1..30

side 3
field OnlyPage3 text 2..3 1..30

rule any "one of" C B
rule all "all" A B Last
)";

class Document : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteFormFiles(ParseFormSourceText(kForm, "doc.form", ""), folder.Path());
        document.SetFormsPath(folder.Path());
    }

    TFormField &Field(const std::string &name)
    {
        TFormField *field = document.FindField(name);
        EXPECT_NE(field, nullptr) << name;
        return *field;
    }

    // The recorded text calls of drawing page `page` (artwork or fields).
    std::vector<TCanvasCall> Draw(int page, bool printing = false, bool artwork = true,
                                  bool fields = true)
    {
        canvas.Calls.clear();
        document.BeginDrawing();
        document.DrawPage(canvas, page, printing, artwork, fields);
        return canvas.Calls;
    }

    const TCanvasCall *TextCall(const std::vector<TCanvasCall> &calls, const std::string &text)
    {
        for (const TCanvasCall &call : calls) {
            if (call.What == TCanvasCall::Kind::Text && call.Text == text) {
                return &call;
            }
        }
        return nullptr;
    }

    ScratchFolder folder;
    TFormDocument document;
    TRecordingCanvas canvas;
};

template<class T>
int Count(const TFormPage &page)
{
    int n = 0;
    for (const auto &object : page.Objects) {
        n += dynamic_cast<const T *>(object.get()) != nullptr ? 1 : 0;
    }
    return n;
}

} // namespace

TEST_F(Document, PagesHoldTheObjectsClassByClassInDrawingOrder)
{
    EXPECT_TRUE(document.Load("DOC"));
    EXPECT_FALSE(document.Load("DOC")); // the same name loads once
    ASSERT_EQ(document.PageCount(), 3);
    const TFormPage &first = *document.Page(1);
    EXPECT_EQ(Count<TAcordFormSeperator>(first), 0); // only with LoadSeperators
    EXPECT_EQ(Count<TAcordFormUserImage>(first), 1);
    EXPECT_EQ(Count<TAcordFormImage>(first), 2); // the slot is a picture too
    EXPECT_EQ(Count<TAcordFormText>(first), 6);
    EXPECT_EQ(first.Fields.size(), 7u);
    // Pictures, slots, shading, boxes, texts, fields.
    EXPECT_NE(dynamic_cast<TAcordFormImage *>(first.Objects[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<TAcordFormUserImage *>(first.Objects[1].get()), nullptr);
    EXPECT_NE(dynamic_cast<TAcordFormShade *>(first.Objects[2].get()), nullptr);
    EXPECT_NE(dynamic_cast<TAcordFormBox *>(first.Objects[3].get()), nullptr);
    EXPECT_NE(dynamic_cast<TAcordFormText *>(first.Objects[4].get()), nullptr);
    EXPECT_EQ(first.Objects.back().get(), first.Fields.back());
    EXPECT_EQ(document.Page(3)->Fields.size(), 1u);

    TFormDocument withSeparators;
    withSeparators.Options.LoadSeperators = true;
    withSeparators.SetFormsPath(folder.Path());
    withSeparators.Load("DOC");
    EXPECT_EQ(withSeparators.Page(1)->Separators.size(), 1u);
    EXPECT_EQ(dynamic_cast<TAcordFormSeperator *>(withSeparators.Page(1)->Objects[0].get()),
              withSeparators.Page(1)->Separators[0]);
    EXPECT_EQ(withSeparators.Page(1)->Separators[0]->OutlineColour(), (TCanvasColor {255, 0, 0}));

    // The slot on page 2 repeats the stamp slot of page 1.
    auto *stamp = dynamic_cast<TAcordFormUserImage *>(first.Objects[1].get());
    ASSERT_EQ(stamp->Mirrors.size(), 1u);
    EXPECT_EQ(stamp->Mirrors[0]->SlotName, "MAP:Stamp");
}

TEST_F(Document, GeometryOfEachItemKind)
{
    document.Load("DOC");
    const std::vector<TCanvasCall> calls = Draw(1, false, true, false);
    // The shade: 50% black is grey 128 (half to even), 27 lower than its lines.
    bool shade = false;
    for (const TCanvasCall &call : calls) {
        if (call.What == TCanvasCall::Kind::FillRect &&
            call.Color == TCanvasColor {128, 128, 128}) {
            EXPECT_EQ(call.X, 0);
            EXPECT_EQ(call.Y, 166 + 27);
            EXPECT_EQ(call.X2, 1000);
            EXPECT_EQ(call.Y2, 333 + 27);
            shade = true;
        }
    }
    EXPECT_TRUE(shade);
    // The box: four bands 10 thick (3 * 10 div 3), then the outline.
    std::vector<std::array<int32_t, 4>> bands;
    for (const TCanvasCall &call : calls) {
        if (call.What == TCanvasCall::Kind::FillRect && call.Color == clBlack) {
            bands.push_back({call.X, call.Y, call.X2, call.Y2});
        }
    }
    const std::vector<std::array<int32_t, 4>> expected = {
        {100, 527, 110, 703}, {100, 527, 510, 537}, {500, 527, 510, 703}, {100, 693, 510, 703}};
    EXPECT_EQ(bands, expected);
    bool outline = false;
    for (const TCanvasCall &call : calls) {
        if (call.What == TCanvasCall::Kind::Rectangle && call.X == 100 && call.Y == 527) {
            EXPECT_EQ(call.X2, 500);
            EXPECT_EQ(call.Y2, 693);
            EXPECT_TRUE(call.Brush.Clear);
            EXPECT_EQ(call.Pen.Width, 1);
            outline = true;
        }
    }
    EXPECT_TRUE(outline);
    // The empty stamp slot shows its placeholder on the screen, nothing on the printer.
    const TCanvasCall *placeholder = TextCall(calls, "Click to Insert eStamp Image (if desired)");
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->Font.Height, 153);
    EXPECT_EQ(placeholder->Color, (TCanvasColor {0, 0, 255}));
    EXPECT_EQ(placeholder->Y, 33 * 100 * 10 / 6 + 27 + 2);
    EXPECT_EQ(TextCall(Draw(1, true, true, false), "Click to Insert eStamp Image (if desired)"),
              nullptr);
}

TEST_F(Document, TextsArePlacedByTheirAlignment)
{
    document.Load("DOC");
    const std::vector<TCanvasCall> calls = Draw(1, false, true, false);
    // 10 points: an em of 139 (round(10 * 1000 / 72)); the top is the line less the em.
    const TCanvasCall *left = TextCall(calls, "Left");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->X, 100);
    EXPECT_EQ(left->Y, 1000 - 139);
    EXPECT_EQ(left->Font.Height, 139);
    EXPECT_EQ(left->Font.Name, "Arial");
    // After "Left" (which ends at 100 + 4 * 69.5): the width of "ab" in 10-point Arial (em
    // 138), one column, and the end of its predecessor.
    const TCanvasCall *next = TextCall(calls, "Next");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->X, 138 + 100 + 378);
    // Centred in 20 columns from column 2.
    const TCanvasCall *mid = TextCall(calls, "Mid");
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(mid->X, 200 + (2000 - 209) / 2);
    // Justified over 30 columns: the gaps between the three words are shared out.
    const TCanvasCall *a = TextCall(calls, "a");
    const TCanvasCall *b = TextCall(calls, "b");
    const TCanvasCall *c = TextCall(calls, "c");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->X, 100);
    EXPECT_EQ(b->X, 100 + 70 + 1395);
    EXPECT_EQ(c->X, 100 + 2 * (70 + 1395));
    EXPECT_EQ(c->X + 70, 100 + 3000); // the last word ends at the width
    // Runs of one underlining each.
    const TCanvasCall *x = TextCall(calls, "x");
    const TCanvasCall *yy = TextCall(calls, "yy");
    const TCanvasCall *z = TextCall(calls, " z");
    ASSERT_TRUE(x && yy && z);
    EXPECT_EQ(x->Font.Style & fsUnderline, 0);
    EXPECT_NE(yy->Font.Style & fsUnderline, 0);
    EXPECT_EQ(yy->X, 170);
    EXPECT_EQ(z->X, 170 + 139);
    // 8.5 points bold reverse: an em of 118, white.
    const TCanvasCall *white = TextCall(calls, "White");
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->Font.Height, 118);
    EXPECT_NE(white->Font.Style & fsBold, 0);
    EXPECT_EQ(white->Color, clWhite);
}

TEST_F(Document, ATextAfterNoPredecessorIsCorruptAndTheNameIsCleared)
{
    const std::string source = "form BAD\nside 1\nfont 10\ntext 1 1 \"first\" align=after\n";
    WriteFormFiles(ParseFormSourceText(source, "bad.form", ""), folder.Path());
    try {
        document.Load("BAD");
        ADD_FAILURE() << "loaded";
    } catch (const EFormDataError &error) {
        EXPECT_EQ(std::string(error.what()), kFormDataCorrupt);
    }
    EXPECT_EQ(document.FormName(), "");
    // A missing form is an error too, and the name is cleared.
    EXPECT_THROW(document.Load("NONE"), EFormFileError);
    EXPECT_EQ(document.FormName(), "");
}

TEST_F(Document, FieldsAreDrawnWithTheirValuesFillsAndCircles)
{
    document.Load("DOC");
    SetValue(Field("A"), "Hello");
    SetValue(Field("C"), "yes");
    SetMarked(Field("Pick_Y"), true);
    std::vector<TCanvasCall> calls = Draw(1, false, false, true);
    const TCanvasCall *hello = TextCall(calls, "Hello");
    ASSERT_NE(hello, nullptr);
    EXPECT_EQ(hello->X, 120);
    EXPECT_EQ(hello->Y, 3333);
    EXPECT_EQ(hello->Font.Name, "Courier New");
    // The line of the field font is the field height + 3: 170 / 1.15 gives an em of 148.
    EXPECT_EQ(hello->Font.Height, 148);
    EXPECT_EQ(hello->Color, clBlack);
    ASSERT_NE(TextCall(calls, "X"), nullptr); // the check box
    const TCanvasCall *pick = TextCall(calls, "Y");
    ASSERT_NE(pick, nullptr);
    EXPECT_EQ(pick->Color, (TCanvasColor {0, 0, 255})); // blue on the screen
    int fills = 0;
    bool ellipse = false;
    for (const TCanvasCall &call : calls) {
        if (call.What == TCanvasCall::Kind::FillRect) {
            EXPECT_EQ(call.Color, (TCanvasColor {240, 240, 255}));
            ++fills;
        }
        if (call.What == TCanvasCall::Kind::Ellipse) {
            EXPECT_EQ(call.Pen.Width, 8);
            EXPECT_EQ(call.Pen.Color, clBlack);
            EXPECT_EQ(call.X, 120 - 16);
            ellipse = true;
        }
    }
    EXPECT_EQ(fills, 6); // every field but the circle box
    EXPECT_TRUE(ellipse);

    // Highlighted: required fields and members of "at least one" rules.
    document.Options.HighlightRequiredFields = true;
    calls = Draw(1, false, false, true);
    int highlighted = 0;
    for (const TCanvasCall &call : calls) {
        highlighted +=
            call.What == TCanvasCall::Kind::FillRect && call.Color == TCanvasColor {255, 224, 255}
            ? 1
            : 0;
    }
    EXPECT_EQ(highlighted, 2); // A (required) and C (a member of "one of")

    // On the printer nothing is filled and the circle box text is black; printing only the
    // fields, the circle box prints its circle alone.
    calls = Draw(1, true, false, true);
    for (const TCanvasCall &call : calls) {
        EXPECT_NE(call.What, TCanvasCall::Kind::FillRect);
    }
    EXPECT_EQ(TextCall(calls, "Y")->Color, clBlack);
    Field("Pick_Y").FieldsOnly = true;
    calls = Draw(1, true, false, true);
    EXPECT_EQ(TextCall(calls, "Y"), nullptr);

    // A value wider than the field is cut to what fits.
    SetValue(Field("Seen"), "abcdefghijklmnop");
    calls = Draw(1, false, false, true);
    EXPECT_NE(TextCall(calls, "abcdefghijkl"), nullptr); // 12 * 74 of 900
    EXPECT_EQ(Field("Seen").FitCount, 0);
}

TEST_F(Document, ValuesByKindRingsAndMirrors)
{
    document.Load("DOC");
    TFormField &r1 = Field("R1");
    TFormField &r2 = Field("R2");
    TFormField &r3 = Field("R3");
    SetValue(r1, "X");
    SetValue(r3, "X");
    SetValue(r2, "X"); // clears R1 and R3
    EXPECT_EQ(r1.Value, "");
    EXPECT_EQ(r2.Value, "X");
    EXPECT_EQ(r3.Value, "");
    SetValue(r2, "again"); // already set: nothing changes
    EXPECT_EQ(r2.Value, "X");
    SetValue(r2, "");
    EXPECT_EQ(r2.Value, "");

    TFormField &check = Field("C");
    SetValue(check, "anything");
    EXPECT_EQ(check.Value, "X");
    SetValue(check, "");
    EXPECT_FALSE(HasValue(check));

    TFormField &pick = Field("Pick_Y");
    EXPECT_EQ(pick.Value, "Y");
    SetValue(pick, "other");
    EXPECT_EQ(pick.Value, "Y");
    EXPECT_FALSE(HasValue(pick));
    SetMarked(pick, true);
    EXPECT_TRUE(HasValue(pick));

    // "MAP:a" repeats field A whatever the case, and cannot be edited.
    TFormField &mirror = Field("MAP:A");
    EXPECT_TRUE(mirror.ReadOnly);
    SetValue(Field("A"), "Ada");
    EXPECT_EQ(mirror.Value, "Ada");
    EXPECT_FALSE(document.MayReceiveFocus(mirror));
    document.Options.ReadOnlysReceiveFocus = true;
    EXPECT_TRUE(document.MayReceiveFocus(mirror));

    EXPECT_EQ(Field("A").DisplayName(), "Field A");
    EXPECT_EQ(Field("B").DisplayName(), "B");
    EXPECT_EQ(r2.KindName(), "Radio button");
    EXPECT_EQ(document.FindFieldByNumber(Field("B").Number), &Field("B"));
    EXPECT_EQ(document.FindField("nope"), nullptr);
}

TEST_F(Document, TypingRules)
{
    TFormField field;
    field.InputClass = 5;
    for (const char c : std::string("0123456789-/")) {
        EXPECT_TRUE(AcceptsCharacter(field, c)) << c;
    }
    for (const char c : std::string("a.,+ ")) {
        EXPECT_FALSE(AcceptsCharacter(field, c)) << c;
    }
    field.InputClass = 2;
    EXPECT_TRUE(AcceptsCharacter(field, '.'));
    EXPECT_FALSE(AcceptsCharacter(field, '/'));
    field.InputClass = 7;
    EXPECT_TRUE(AcceptsCharacter(field, 'q'));
    EXPECT_FALSE(AcceptsCharacter(field, '-'));
    field.InputClass = 0;
    EXPECT_TRUE(AcceptsCharacter(field, '~'));
    EXPECT_EQ(ApplyCaseMode(3, "aBC"), "Abc");
    EXPECT_EQ(ApplyCaseMode(1, "aBc"), "ABC");
    EXPECT_EQ(ApplyCaseMode(2, "aBc"), "abc");
    EXPECT_EQ(ApplyCaseMode(0, "aBc"), "aBc");
}

TEST_F(Document, MovementPassesFieldsThatMayNotTakeTheEditor)
{
    document.Load("DOC");
    TFormField &seen = Field("Seen");
    // From the last field of page 1 to the first of page 2; the mirror is passed over.
    EXPECT_EQ(document.NextField(&seen, 1), &Field("B"));
    EXPECT_EQ(document.NextField(&Field("B"), 2), &Field("Last"));
    EXPECT_EQ(document.NextField(&Field("Last"), 2), &Field("OnlyPage3"));
    EXPECT_EQ(document.NextField(&Field("OnlyPage3"), 3), nullptr);
    EXPECT_EQ(document.PreviousField(&Field("B"), 2), &seen);
    EXPECT_EQ(document.PreviousField(&Field("A"), 1), nullptr);
    // Without a field: the first of the current page, or the last of the page before.
    EXPECT_EQ(document.NextField(nullptr, 2), &Field("B"));
    EXPECT_EQ(document.PreviousField(nullptr, 2), &seen);
    EXPECT_EQ(document.FirstFieldOfPage(3), &Field("OnlyPage3"));
    EXPECT_EQ(document.LastFieldOfPreviousPage(2), &seen);
    document.Options.ReadOnlysReceiveFocus = true;
    EXPECT_EQ(document.NextField(&Field("B"), 2), &Field("MAP:A"));
}

TEST_F(Document, CompletionChecksNameWhatIsMissing)
{
    document.Load("DOC");
    std::vector<std::pair<std::string, std::vector<std::string>>> shown;
    bool ignore = false;
    const TShowRequirements show = [&](const std::string &message,
                                       const std::vector<std::string> &names) {
        shown.emplace_back(message, names);
        return ignore;
    };
    TFormField *goTo = nullptr;
    EXPECT_TRUE(document.CheckBeforePrint(show, goTo)); // not enforced
    EXPECT_TRUE(shown.empty());

    document.Options.EnforceRequirements = true;
    EXPECT_FALSE(document.CheckBeforePrint(show, goTo));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, kRequiredFieldMessage);
    EXPECT_EQ(shown[0].second, std::vector<std::string> {"Field A"});
    EXPECT_EQ(goTo, &Field("A"));
    EXPECT_TRUE(document.Options.HighlightRequiredFields);

    // A required field filled: the rules come next; "one of" C and B fails first.
    SetValue(Field("A"), "Ada");
    EXPECT_FALSE(document.CheckBeforePrint(show, goTo));
    EXPECT_EQ(shown.back().first, "At least one of the following fields must have a value:");
    EXPECT_EQ(shown.back().second, (std::vector<std::string> {"C", "B"}));
    EXPECT_EQ(goTo, &Field("C"));

    // B filled: "all" A, B and Last fails at Last, the first without a value.
    SetValue(Field("B"), "Bo");
    EXPECT_FALSE(document.CheckBeforePrint(show, goTo));
    EXPECT_EQ(shown.back().first,
              "If any of the following fields have a value you must "
              "complete the other fields in the list:");
    EXPECT_EQ(goTo, &Field("Last"));
    SetValue(Field("Last"), "Lu");
    const size_t before = shown.size();
    EXPECT_TRUE(document.CheckBeforePrint(show, goTo));
    EXPECT_EQ(shown.size(), before);

    // Ignoring the requirements lets printing go on and switches them off.
    SetValue(Field("A"), "");
    ignore = true;
    EXPECT_TRUE(document.CheckBeforePrint(show, goTo));
    EXPECT_FALSE(document.Options.EnforceRequirements);
}

TEST_F(Document, ARequiredRadioButtonPassesWhenItsGroupHasAValue)
{
    const std::string source = "form RADIO\nside 1\n"
                               "field P radio 1..2 1..2 required link=Q \"Plan\"\n"
                               "field Q radio 1..2 3..4 link=P\n"
                               "field M circle 3..4 1..2 required \"Circle\"\n";
    WriteFormFiles(ParseFormSourceText(source, "radio.form", ""), folder.Path());
    document.Load("RADIO");
    document.Options.EnforceRequirements = true;
    std::vector<std::string> messages;
    const TShowRequirements show = [&](const std::string &message,
                                       const std::vector<std::string> &) {
        messages.push_back(message);
        return false;
    };
    TFormField *goTo = nullptr;
    EXPECT_FALSE(document.CheckBeforePrint(show, goTo));
    EXPECT_EQ(messages.back(), kRequiredGroupMessage);
    SetValue(Field("Q"), "X");
    // The circle box is required and unmarked, though it always holds its letter.
    EXPECT_FALSE(document.CheckBeforePrint(show, goTo));
    EXPECT_EQ(messages.back(), kRequiredFieldMessage);
    EXPECT_EQ(goTo, &Field("M"));
    SetMarked(Field("M"), true);
    EXPECT_TRUE(document.CheckBeforePrint(show, goTo));
}

TEST_F(Document, RmvFormsEnforceTheirRequirements)
{
    const std::string source = "form X\nside 1\nfield A text 1..2 1..10\n";
    TFormModel model = ParseFormSourceText(source, "x.form", "");
    model.Name = "Form RMV-1 test";
    NormalizeModel(model);
    WriteFormFiles(model, folder.Path());
    document.Options.ReadOnlysReceiveFocus = true;
    document.Load("Form RMV-1 test");
    EXPECT_TRUE(document.Options.EnforceRequirements);
    EXPECT_TRUE(document.Options.UseCircleFieldFont);
    EXPECT_EQ(document.Options.CircleFieldFontHeight, 110);
    EXPECT_FALSE(document.Options.ReadOnlysReceiveFocus);
    EXPECT_TRUE(document.Options.ReadOnlysGetFormBackground);
}
