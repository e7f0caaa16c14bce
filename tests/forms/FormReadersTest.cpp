// The readers of the three form files: the .crd text with its sides, sections, text lines and
// positions; the .crf records in their four layouts; the .lgc rules; damaged files.

#include "forms/FormErrors.h"
#include "forms/FormItems.h"
#include "forms/FormNumbers.h"
#include "forms/XExpression.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::string> Lines(std::initializer_list<const char *> lines)
{
    return {lines.begin(), lines.end()};
}

// The message of the form data error raised by `f`, or "none".
template<class F>
std::string FormError(F f)
{
    try {
        f();
    } catch (const EFormDataError &error) {
        return error.what();
    }
    return "none";
}

bool StartsCorrupt(const std::string &message)
{
    return message.rfind(kFormDataCorrupt, 0) == 0;
}

TTextItem Text(const std::string &line)
{
    TTextItem item;
    ParseTextLine(line, item);
    return item;
}

std::string Underlines(const TTextItem &item)
{
    std::string flags;
    for (const uint8_t style : item.Styles) {
        flags += (style & kStyleUnderline) != 0 ? 'U' : '.';
    }
    return flags;
}

} // namespace

TEST(FormNumbers, HundredthsRoundHalfToEvenOnTheDigitsAsWritten)
{
    const std::pair<const char *, int32_t> cases[] = {
        {"0.125", 12},   {"0.375", 38},  {"12.5", 1250}, {"1.005", 100},   {"1.015", 102},
        {"-0.125", -12}, {" 7 ", 700},   {"0.004", 0},   {"0.0051", 1},    {"2.5e1", 2500},
        {"1e-3", 0},     {"000.50", 50}, {"+3", 300},    {"0.00500001", 1}};
    for (const auto &[text, expected] : cases) {
        int32_t value = -999;
        EXPECT_TRUE(TryHundredthsOf(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    int32_t value = 0;
    for (const char *bad : {"", " ", "abc", "1.2.3", "1,5", "-", ".", "12x", "1e", "99999999999"}) {
        EXPECT_FALSE(TryHundredthsOf(bad, value)) << bad;
    }
    EXPECT_EQ(HundredthsText(1250), "12.5");
    EXPECT_EQ(HundredthsText(-5), "-0.05");
    EXPECT_EQ(HundredthsText(1200), "12");
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(CrdTextLine, FontDescriptorLineAlignmentWidthAndText)
{
    const TTextItem item = Text(R"("0850BK",12.5,3.25,"C",20,"Name of applicant")");
    EXPECT_DOUBLE_EQ(item.FontSize, 8.5);
    EXPECT_TRUE(item.Bold);
    EXPECT_TRUE(item.Italic);
    EXPECT_TRUE(item.Reverse);
    EXPECT_EQ(item.Line, 1250);
    EXPECT_EQ(item.XExpression, "3.25");
    EXPECT_EQ(item.Alignment, 2);
    EXPECT_EQ(item.Width, 2000);
    EXPECT_EQ(item.Text, "Name of applicant");

    EXPECT_FALSE(Text(R"("1000NN",1,1,"L",0,"x")").Bold);
    EXPECT_TRUE(Text(R"("1000NI",1,1,"L",0,"x")").Italic);
    EXPECT_FALSE(Text(R"("1000NI",1,1,"L",0,"x")").Reverse);
    EXPECT_TRUE(Text(R"("1000NJ",1,1,"L",0,"x")").Reverse);
    EXPECT_EQ(Text(R"("1000NN",1,1,"r",0,"x")").Alignment, 1);
    EXPECT_EQ(Text(R"("1000NN",1,1,"R",0,"x")").Alignment, 1);
    EXPECT_EQ(Text(R"("1000NN",1,1,"O",0,"x")").Alignment, 3);
    EXPECT_EQ(Text(R"("1000NN",1,1,"L",0,"x")").Alignment, 0);
    EXPECT_EQ(Text(R"("1000NN",1,1,"c",0,"x")").Alignment, 0);
}

TEST(CrdTextLine, PositionRunsToTheFirstCommaOutsideParentheses)
{
    const TTextItem item =
        Text(R"("1000NN",4,LNWIDTH("1000NB","Name, (first) and last:")+2.5,"O",0,"John")");
    EXPECT_EQ(item.XExpression, R"(LNWIDTH("1000NB","Name, (first) and last:")+2.5)");
    EXPECT_EQ(item.Alignment, 3);
    EXPECT_EQ(item.Text, "John");
    // Without parentheses the first comma ends the position.
    EXPECT_EQ(Text(R"("1000NN",4,10-2,"L",0,"a,b")").XExpression, "10-2");
    EXPECT_EQ(Text(R"("1000NN",4,10-2,"L",0,"a,b")").Text, "a,b");
    // An unbalanced parenthesis leaves the line without its remaining fields.
    EXPECT_TRUE(StartsCorrupt(FormError([] { Text(R"("1000NN",4,(10,"L",0,"a")"); })));
}

TEST(CrdTextLine, EscapesAndTheUnderlineToggle)
{
    const TTextItem quoted = Text(R"("1000NN",1,0,"L",0,"He said \"no\", then left \\ here")");
    EXPECT_EQ(quoted.Text, R"(He said "no", then left \ here)");

    const std::string esc = "\x1b\x15\x1c";
    const TTextItem underlined =
        Text("\"1000NN\",1,0,\"L\",0,\"Sign " + esc + "here" + esc + " now\"");
    EXPECT_EQ(underlined.Text, "Sign here now");
    EXPECT_EQ(Underlines(underlined), ".....UUUU....");

    // Any other escape sequence is removed without changing the underlining; a toggle at the
    // end leaves nothing behind.
    const TTextItem other = Text("\"1000NN\",1,0,\"L\",0,\"a\x1bxyb" + esc + "c" + esc + "\"");
    EXPECT_EQ(other.Text, "abc");
    EXPECT_EQ(Underlines(other), "..U");

    // An escaped ESC is a character of the text.
    const TTextItem literal = Text("\"1000NN\",1,0,\"L\",0,\"a\\\x1b\"");
    EXPECT_EQ(literal.Text, "a\x1b");

    // Windows-1252 bytes pass through as they are.
    EXPECT_EQ(Text("\"1000NN\",1,0,\"L\",0,\"Caf\xe9\"").Text, "Caf\xe9");
}

TEST(CrdTextLine, MalformedLinesRaiseTheFormDataError)
{
    for (const char *line : {
             R"("1000NN")", // too few fields
             R"("NN",1,0,"L",0,"x")", // descriptor without a size
             R"("10x0NN",1,0,"L",0,"x")", // size that is no number
             R"("1000NN",abc,0,"L",0,"x")", // line that is no number
             R"("1000NN",1,0,"L",wide,"x")", // width that is no number
             R"("1000NN",1,0,"L",0,"no closing quote)", // text without its end
             R"("1000NN",1,0,"L)", // alignment without its end
         }) {
        const std::string message = FormError([&] { Text(line); });
        EXPECT_TRUE(StartsCorrupt(message)) << line << " -> " << message;
    }
}

TEST(XExpression, TermsSignsEmptyTermsAndWidthTerms)
{
    // Each width term is measured as 10 thousandths per character plus the font height, so
    // the test sees which text, height and weight were asked for.
    const TTextWidthFunction width = [](const std::string &text, int32_t height, bool bold) {
        return static_cast<int32_t>(text.size()) * 10 + height + (bold ? 5 : 0);
    };
    EXPECT_EQ(EvaluateXExpression("12.5", width), 1250);
    EXPECT_EQ(EvaluateXExpression("10+2.5-1", width), 1150);
    EXPECT_EQ(EvaluateXExpression("-3", width), -300); // an empty first term
    EXPECT_EQ(EvaluateXExpression("5+-2", width), 300); // an empty middle term
    EXPECT_EQ(EvaluateXExpression("", width), 0);
    EXPECT_EQ(EvaluateXExpression(" 4 + 1 ", width), 500);
    EXPECT_EQ(EvaluateXExpression("0.125", width), 12);
    // 10 points bold: height 10 * 1000 div 72 = 138; "Name:" is five characters.
    EXPECT_EQ(EvaluateXExpression(R"(LNWIDTH("1000NB","Name:")+2.5)", width), 50 + 138 + 5 + 250);
    // Signs and commas inside the quoted text do not split terms; 8.5 points round to 8.
    EXPECT_EQ(EvaluateXExpression(R"(1+LNWIDTH("0850NN","a-b+c, d"))", width), 100 + 80 + 111);
    // A backslash makes the next character of the text literal.
    EXPECT_EQ(EvaluateXExpression(R"(LNWIDTH("1200NN","say \"hi\""))", width), 80 + 166);
    // 9.5 points round half to even to 10.
    const std::vector<TXTerm> terms = ParseXExpression(R"(LNWIDTH("0950NN","x"))");
    ASSERT_EQ(terms.size(), 1u);
    EXPECT_EQ(terms[0].FontHeight, 138);
    EXPECT_EQ(terms[0].Text, "x");
    EXPECT_FALSE(terms[0].Bold);
}

TEST(XExpression, DamagedWidthTermsName)
{
    const auto fails = [](const char *expression) {
        return FormError([&] { ParseXExpression(expression); });
    };
    EXPECT_EQ(fails("LNWIDTH(1000NB,Name)"),
              std::string(kFormDataCorrupt) + "  Error in offset font descriptor.");
    EXPECT_EQ(fails(R"(LNWIDTH("1000NB)"),
              std::string(kFormDataCorrupt) + "  Error in offset font descriptor.");
    EXPECT_EQ(fails(R"(LNWIDTH("1000NB",Name))"),
              std::string(kFormDataCorrupt) + "  Error in offset.");
    EXPECT_EQ(fails(R"(LNWIDTH("1000NB","Name))"),
              std::string(kFormDataCorrupt) + "  Error in offset.");
    EXPECT_TRUE(StartsCorrupt(fails("3+abc")));
}

TEST(CrdFile, SidesSectionsAndDirectives)
{
    const auto lines = Lines({
        "!QOR FONT=Times New Roman Extra Long Name Beyond Thirty",
        "!QOR:PAPER=Letter",
        "SIDE 1",
        "SHADING",
        "0,0,2,80,15",
        "",
        "LINES/BOXES",
        "3,0,10.5,44.5,3",
        "FORM TEXT",
        "\"1000NN\",2,1,\"L\",0,\"first\"",
        "\"1000NN\",2,0.5,\"O\",0,\"second\"",
        "IMAGES",
        "1,70,3,79.5, logo.bmp ",
        "SEPERATORS",
        "40,0,40,80",
        "USERIMAGES",
        "50,1,55,30,Stamp,Insert here,7,1",
        "SIDE 2",
        "FORM TEXT",
        "\"1000NN\",3,1,\"L\",0,\"page two\"",
        "IMAGES",
        "SEPERATORS",
        "USERIMAGES",
        "1,1,2,2,MAP:Stamp,,0,0",
    });
    EXPECT_EQ(CrdFontName(lines), "Times New Roman Extra Long Nam");
    ASSERT_EQ(CrdDirectives(lines).size(), 2u);
    EXPECT_EQ(CrdDirectives(lines)[1].Name, "PAPER");
    EXPECT_EQ(CrdSideCount(lines), 2);

    TShadeItems shades("forms");
    shades.Parse(lines);
    ASSERT_EQ(shades.Count(), 1u);
    EXPECT_EQ(shades[0].Rect, (TFormRect {0, 0, 8000, 200}));
    EXPECT_DOUBLE_EQ(shades[0].Shade, 0.15);
    EXPECT_EQ(shades.Folder(), "forms/");

    TBoxItems boxes("");
    boxes.Parse(lines);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].Rect, (TFormRect {0, 300, 4450, 1050}));
    EXPECT_EQ(boxes[0].LineWidth, 3);

    TTextItems texts("");
    texts.Parse(lines);
    ASSERT_EQ(texts.Count(), 3u);
    EXPECT_EQ(texts[1].Number, 2);
    EXPECT_EQ(texts[1].PreviousNumber, 1);
    EXPECT_EQ(texts[1].Alignment, 3);
    EXPECT_EQ(texts[2].Side, 2);
    EXPECT_EQ(texts[2].Number, 3);
    EXPECT_EQ(texts[2].FontName, "Times New Roman Extra Long Nam");
    size_t index = 0;
    ASSERT_TRUE(texts.IndexOfNumber(3, index));
    EXPECT_EQ(index, 2u);
    EXPECT_FALSE(texts.IndexOfNumber(4, index));

    TImageItems images("");
    images.Parse(lines);
    ASSERT_EQ(images.Count(), 1u);
    EXPECT_EQ(images[0].FileName, "logo.bmp");

    TSeperatorItems separators("");
    separators.Parse(lines);
    ASSERT_EQ(separators.Count(), 1u);
    EXPECT_EQ(separators[0].Rect, (TFormRect {0, 4000, 8000, 4000}));

    TUserImageItems slots("");
    slots.Parse(lines);
    ASSERT_EQ(slots.Count(), 2u);
    EXPECT_EQ(slots[0].SlotName, "Stamp");
    EXPECT_EQ(slots[0].SlotText, "Insert here");
    EXPECT_EQ(slots[0].SlotValue, 7);
    EXPECT_TRUE(slots[0].IsStampSlot);
    EXPECT_EQ(slots[1].SlotName, "MAP:Stamp");
    EXPECT_FALSE(slots[1].IsStampSlot);
    EXPECT_EQ(slots[1].Side, 2);

    // Without a directive the face is Helvetica.
    TTextItems plain("");
    plain.Parse(Lines({"SIDE 1", "FORM TEXT", "\"1000NN\",2,1,\"L\",0,\"x\""}));
    EXPECT_EQ(plain[0].FontName, "Helvetica");
}

TEST(CrdFile, TextWithoutImagesRunsToTheEndOfItsSide)
{
    const auto lines = Lines({
        "SIDE 1",
        "FORM TEXT",
        "\"1000NN\",2,1,\"L\",0,\"one\"",
        "",
        "\"1000NN\",3,1,\"L\",0,\"two\"",
        "SIDE 2",
        "FORM TEXT",
        "\"1000NN\",3,1,\"L\",0,\"three\"",
        "IMAGES",
        "1,1,2,2,pic.bmp",
    });
    TTextItems texts("");
    texts.Parse(lines);
    ASSERT_EQ(texts.Count(), 3u);
    EXPECT_EQ(texts[1].Text, "two");
    EXPECT_EQ(texts[2].Side, 2);

    // Side 1 has no "IMAGES": no pictures on any side.
    TImageItems images("");
    images.Parse(lines);
    EXPECT_EQ(images.Count(), 0u);
}

TEST(CrdFile, SidesStopAtAGapOrAnEmptySide)
{
    const auto gap = Lines({
        "SIDE 1",
        "LINES/BOXES",
        "1,1,2,2,1",
        "SIDE 3",
        "LINES/BOXES",
        "3,3,4,4,1",
    });
    TBoxItems boxes("");
    boxes.Parse(gap);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].Rect.Top, 100);
    EXPECT_EQ(CrdSideCount(gap), 1);

    const auto empty = Lines({
        "SIDE 1",
        "LINES/BOXES",
        "1,1,2,2,1",
        "SIDE 2",
        "  ",
        "",
        "SIDE 3",
        "LINES/BOXES",
        "3,3,4,4,1",
    });
    boxes.Clear();
    boxes.Parse(empty);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(CrdSideCount(empty), 1);

    EXPECT_EQ(CrdSideCount(Lines({"LINES/BOXES", "1,1,2,2,1"})), 0);
}

TEST(CrdFile, DamagedItemLinesNameTheirLine)
{
    TBoxItems boxes("");
    const std::string short_ = FormError([&] {
        boxes.Parse(Lines({"SIDE 1", "LINES/BOXES", "1,1,2"}));
    });
    EXPECT_TRUE(StartsCorrupt(short_)) << short_;
    EXPECT_NE(short_.find("(line 3)"), std::string::npos) << short_;
    // An extra field is part of the width and spoils it.
    EXPECT_TRUE(StartsCorrupt(FormError([&] {
        boxes.Parse(Lines({"SIDE 1", "LINES/BOXES", "1,1,2,2,1,9"}));
    })));
    TShadeItems shades("");
    EXPECT_TRUE(StartsCorrupt(FormError([&] {
        shades.Parse(Lines({"SIDE 1", "SHADING", "1,1,2,2,12.5"}));
    })));
    TUserImageItems slots("");
    EXPECT_TRUE(StartsCorrupt(FormError([&] {
        slots.Parse(Lines({"SIDE 1", "USERIMAGES", "1,1,2,2,Name,Text,seven,0"}));
    })));
}

namespace {

void PutU16(std::string &bytes, size_t at, int32_t value)
{
    const auto word = static_cast<uint16_t>(value);
    bytes[at] = static_cast<char>(word & 0xFF);
    bytes[at + 1] = static_cast<char>(word >> 8);
}

void PutU32(std::string &bytes, size_t at, int32_t value)
{
    const auto word = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
    }
}

void PutString(std::string &bytes, size_t at, const std::string &text)
{
    bytes[at] = static_cast<char>(text.size());
    std::memcpy(&bytes[at + 1], text.data(), text.size());
}

// A record of `length` bytes whose length word says `says`, filled from offset 56 on as far as
// the record reaches.
std::string FieldRecord(size_t length, int32_t says, int32_t number, int32_t side,
                        const std::string &name)
{
    std::string record(length, '\0');
    PutU16(record, 0, says);
    PutU16(record, 2, number);
    PutU16(record, 4, side);
    record[6] = 2; // radio button
    PutU16(record, 8, number + 1);
    PutString(record, 10, name);
    PutU32(record, 32, 100);
    PutU32(record, 36, 200);
    PutU32(record, 40, 300);
    PutU32(record, 44, -400);
    PutU32(record, 48, 120);
    PutU32(record, 52, 210);
    if (length >= 158) {
        record[56] = 1;
        PutString(record, 57, "Description of " + name);
    }
    if (length >= 166) {
        PutU16(record, 158, 12);
        record[160] = 1;
        PutU16(record, 162, 0x0203); // only the low byte counts
        PutU16(record, 164, 5);
    }
    if (length >= 198) {
        PutString(record, 166, "extra-" + name);
    }
    return record;
}

std::string Crf(const std::vector<std::string> &records)
{
    std::string bytes(2, '\0');
    PutU16(bytes, 0, static_cast<int32_t>(records.size()));
    for (const std::string &record : records) {
        bytes += record;
    }
    return bytes;
}

} // namespace

TEST(CrfFile, EachRecordLayoutReadsItsParts)
{
    for (const size_t length : {56u, 158u, 166u, 198u}) {
        const auto says = static_cast<int32_t>(length);
        TFieldItems fields("");
        fields.ReadRecords(Crf({FieldRecord(length, says, 7, 2, "First"),
                                FieldRecord(length, says, 9, 1, "Second")}),
                           "FORMX");
        SCOPED_TRACE(length);
        EXPECT_EQ(fields.RecordLength(), says);
        ASSERT_EQ(fields.Count(), 2u);
        const TFieldItem &field = fields[0];
        EXPECT_EQ(field.FormName, "FORMX");
        EXPECT_EQ(field.Number, 7);
        EXPECT_EQ(field.Side, 2);
        EXPECT_EQ(field.Kind, fkRadioButton);
        EXPECT_EQ(field.LinkNumber, 8);
        EXPECT_EQ(field.FieldName, "First");
        EXPECT_EQ(field.Rect, (TFormRect {100, 200, 300, -400}));
        EXPECT_EQ(field.Origin, (TFormPoint {120, 210}));
        EXPECT_EQ(field.Required, length >= 158);
        EXPECT_EQ(field.Description, length >= 158 ? "Description of First" : "");
        EXPECT_EQ(field.MaxLength, length >= 166 ? 12 : 0);
        EXPECT_EQ(field.AutoAdvance, length >= 166);
        EXPECT_EQ(field.CaseMode, length >= 166 ? 3 : 0);
        EXPECT_EQ(field.InputClass, length >= 166 ? 5 : 0);
        EXPECT_EQ(field.ExtraName, length >= 198 ? "extra-First" : "");
        EXPECT_EQ(fields[1].FieldName, "Second");
    }
}

TEST(CrfFile, TheFirstRecordFixesTheLayoutOfAll)
{
    // The second record claims 56 bytes; it is read as 158 like the first.
    TFieldItems fields("");
    fields.ReadRecords(Crf({FieldRecord(158, 158, 1, 1, "A"), FieldRecord(158, 56, 2, 1, "B")}),
                       "F");
    ASSERT_EQ(fields.Count(), 2u);
    EXPECT_EQ(fields[1].Description, "Description of B");

    // A length that is none of the four reads as the base layout.
    fields.ReadRecords(Crf({FieldRecord(56, 100, 1, 1, "A"), FieldRecord(56, 100, 2, 1, "B")}),
                       "F");
    EXPECT_EQ(fields.RecordLength(), 56);
    ASSERT_EQ(fields.Count(), 2u);
    EXPECT_EQ(fields[1].FieldName, "B");
}

TEST(CrfFile, RecordsOfNoSideAreSkippedAndLongStringsCut)
{
    std::string bad = FieldRecord(198, 198, 3, 1, "C");
    bad[10] = static_cast<char>(250); // a name length beyond its 21 characters
    TFieldItems fields("");
    fields.ReadRecords(
        Crf({FieldRecord(198, 198, 1, 0, "A"), FieldRecord(198, 198, 2, -3, "B"), bad}), "F");
    ASSERT_EQ(fields.Count(), 1u);
    EXPECT_EQ(fields[0].Number, 3);
    EXPECT_EQ(fields[0].FieldName.size(), 21u);
}

TEST(CrfFile, ACountBeyondTheBytesIsCorrupt)
{
    std::string bytes = Crf({FieldRecord(198, 198, 1, 1, "A")});
    PutU16(bytes, 0, 2);
    TFieldItems fields("");
    EXPECT_TRUE(StartsCorrupt(FormError([&] { fields.ReadRecords(bytes, "F"); })));
    EXPECT_TRUE(StartsCorrupt(
        FormError([&] { fields.ReadRecords(bytes.substr(0, bytes.size() - 1), "F"); })));
    EXPECT_TRUE(StartsCorrupt(FormError([&] { fields.ReadRecords(std::string("\x01", 1), "F"); })));
    EXPECT_TRUE(
        StartsCorrupt(FormError([&] { fields.ReadRecords(std::string("\xFF\xFF", 2), "F"); })));
    // No bytes, or a count of 0, is a form without fields.
    fields.ReadRecords("", "F");
    EXPECT_EQ(fields.Count(), 0u);
    fields.ReadRecords(std::string(2, '\0'), "F");
    EXPECT_EQ(fields.Count(), 0u);
}

namespace {

std::string Rule(const std::string &message, int32_t kind, const std::vector<int32_t> &members)
{
    std::string head(55, '\0');
    PutString(head, 0, message);
    PutU16(head, 51, kind);
    PutU16(head, 53, static_cast<int32_t>(members.size()));
    for (const int32_t member : members) {
        std::string word(2, '\0');
        PutU16(word, 0, member);
        head += word;
    }
    return head;
}

} // namespace

TEST(LgcFile, RulesWithTheirMembers)
{
    std::string bytes(2, '\0');
    PutU16(bytes, 0, 2);
    bytes += Rule("  Entity  ", 0, {3, 4, 5});
    bytes += Rule("Limits", 1, {});
    TLogicItems rules("");
    rules.ReadRules(bytes);
    ASSERT_EQ(rules.Count(), 2u);
    EXPECT_EQ(rules[0].Message, "Entity");
    EXPECT_EQ(rules[0].RuleKind, rkAtLeastOne);
    EXPECT_EQ(rules[0].FieldNumbers, (std::vector<int16_t> {3, 4, 5}));
    EXPECT_EQ(rules[1].RuleKind, rkAllOrNone);
    EXPECT_TRUE(rules[1].FieldNumbers.empty());
}

TEST(LgcFile, ATruncatedFileIsCorrupt)
{
    std::string bytes(2, '\0');
    PutU16(bytes, 0, 1);
    bytes += Rule("Entity", 0, {3, 4, 5});
    TLogicItems rules("");
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        if (cut == 2) {
            continue; // a count without its rule is tested below
        }
        const std::string message = FormError([&] { rules.ReadRules(bytes.substr(0, cut)); });
        EXPECT_TRUE(StartsCorrupt(message)) << cut << ": " << message;
    }
    EXPECT_TRUE(StartsCorrupt(FormError([&] { rules.ReadRules(bytes.substr(0, 2)); })));
    std::string negative = bytes;
    PutU16(negative, 2 + 53, -1);
    EXPECT_TRUE(StartsCorrupt(FormError([&] { rules.ReadRules(negative); })));
}

TEST(FormFiles, MissingFieldAndRuleFilesGiveEmptyListsAMissingCrdFails)
{
    ScratchFolder folder;
    folder.WriteFile("ONLY.crd", "SIDE 1\r\nLINES/BOXES\r\n1,1,2,2,1\r\n");
    TFieldItems fields(folder.Path());
    fields.Load("ONLY");
    EXPECT_EQ(fields.Count(), 0u);
    TLogicItems rules(folder.Path());
    rules.Load("ONLY");
    EXPECT_EQ(rules.Count(), 0u);
    TBoxItems boxes(folder.Path());
    boxes.Load("ONLY");
    EXPECT_EQ(boxes.Count(), 1u);
    // The names of the files are found without regard to case.
    TBoxItems upper(folder.Path());
    upper.Load("only");
    EXPECT_EQ(upper.Count(), 1u);
    TBoxItems missing(folder.Path());
    EXPECT_THROW(missing.Load("NONE"), EFormFileError);
    // A field file that exists but is damaged is not taken for a missing one.
    folder.WriteFile("ONLY.crf", std::string("\x05\x00\x38", 3));
    EXPECT_THROW(fields.Load("ONLY"), EFormDataError);
}
