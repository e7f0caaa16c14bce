// The form compiler: sources to files the program's readers read as written, decompiling back
// to a source that compiles to the same bytes, and clear errors for what cannot be written.

#include "Commands.h"
#include "FormDump.h"
#include "FormModel.h"
#include "FormSource.h"

#include "core/Paths.h"
#include "forms/FormItems.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct FormcRun
{
    int code = 0;
    std::string out;
    std::string err;
};

FormcRun Formc(const std::vector<std::string> &args)
{
    std::ostringstream out;
    std::ostringstream err;
    FormcRun run;
    run.code = RunFormc(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string Dump(const std::string &folder, const std::string &name)
{
    std::ostringstream out;
    DumpForm(folder, name, out);
    return out.str();
}

// The error message of compiling `source`, or "compiled".
std::string CompileError(const std::string &source)
{
    ScratchFolder folder;
    folder.WriteFile("f.form", source);
    const FormcRun run = Formc({"compile", folder.File("f.form"), folder.File("out")});
    return run.code == 0 ? "compiled" : run.err;
}

const char *const kSample = R"(# A small form with one of everything.
form SAMPLE
directive FONT "Arial"
directive PAPER "Letter"

side 1
shade 0..2 0..80 15
box 3..10.5 0..44.5 3
hline 12 0..80 2
vline 3..10.5 60 1
font 8.5 bold
text 2 1 "Workers \_comp\_ \"Q\" back\\slash Café"
text 2 LNWIDTH("1000NB","Name:")+2.5 "after" align=after regular
text 4 "1 + 2" "spread" align=justify width=30 size=7 italic reverse
image 40..45 60..79 "logo.bmp"
separator 46..46 0..80
slot 50..55 1..30 "Stamp" "Insert here" 7 stamp
field FormDate text 1..2 68..78 required max=10 input=date case=upper advance extra="x y" "Date the form is completed"
field Yes radio 3..4 1..2 link=No at=1.5,3.25
field No radio 3..4 3..4
field Pick_A circle 5..6 1..3 no=20

side 2
slot 1..2 1..2 "MAP:Stamp" "" 0
field MAP:FormDate text 1..2 68..78
ring Yes No
rule any "one of" Yes No
rule all "date and pick" FormDate #20
rule 7 "odd kind" Pick_A
)";

} // namespace

TEST(Formc, CompiledFilesReadAsTheSourceDescribes)
{
    ScratchFolder folder;
    folder.WriteFile("sample.form", kSample);
    const FormcRun run = Formc({"compile", folder.File("sample.form"), folder.File("out")});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string out = folder.File("out/");

    TTextItems texts(out);
    texts.Load("SAMPLE");
    ASSERT_EQ(texts.Count(), 3u);
    EXPECT_EQ(texts[0].Text, "Workers comp \"Q\" back\\slash Caf\xe9");
    EXPECT_EQ(texts[0].Styles[8], kStyleUnderline);
    EXPECT_EQ(texts[0].Styles[12], 0);
    EXPECT_DOUBLE_EQ(texts[0].FontSize, 8.5);
    EXPECT_TRUE(texts[0].Bold);
    EXPECT_EQ(texts[0].FontName, "Arial");
    EXPECT_FALSE(texts[1].Bold);
    EXPECT_EQ(texts[1].Alignment, 3);
    EXPECT_EQ(texts[1].XExpression, "LNWIDTH(\"1000NB\",\"Name:\")+2.5");
    EXPECT_EQ(texts[2].XExpression, "1 + 2");
    EXPECT_EQ(texts[2].Alignment, 1);
    EXPECT_EQ(texts[2].Width, 3000);
    EXPECT_DOUBLE_EQ(texts[2].FontSize, 7);
    EXPECT_TRUE(texts[2].Italic && texts[2].Reverse && texts[2].Bold);

    TBoxItems boxes(out);
    boxes.Load("SAMPLE");
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_EQ(boxes[1].Rect, (TFormRect {0, 1200, 8000, 1200}));
    EXPECT_EQ(boxes[2].Rect, (TFormRect {6000, 300, 6000, 1050}));

    TUserImageItems slots(out);
    slots.Load("SAMPLE");
    ASSERT_EQ(slots.Count(), 2u);
    EXPECT_TRUE(slots[0].IsStampSlot);
    EXPECT_EQ(slots[1].SlotName, "MAP:Stamp");
    EXPECT_EQ(slots[1].Side, 2);

    TFieldItems fields(out);
    fields.Load("SAMPLE");
    EXPECT_EQ(fields.RecordLength(), 198);
    ASSERT_EQ(fields.Count(), 5u);
    const TFieldItem &date = fields[0];
    EXPECT_EQ(date.Number, 1);
    EXPECT_EQ(date.Rect, (TFormRect {6800, 100, 7800, 200}));
    EXPECT_EQ(date.Origin, (TFormPoint {6820, 100}));
    EXPECT_TRUE(date.Required);
    EXPECT_EQ(date.MaxLength, 10);
    EXPECT_EQ(date.InputClass, 5);
    EXPECT_EQ(date.CaseMode, 1);
    EXPECT_TRUE(date.AutoAdvance);
    EXPECT_EQ(date.ExtraName, "x y");
    EXPECT_EQ(date.Description, "Date the form is completed");
    EXPECT_EQ(fields[1].LinkNumber, 3); // the ring puts No after Yes
    EXPECT_EQ(fields[2].LinkNumber, 2);
    EXPECT_EQ(fields[1].Origin, (TFormPoint {150, 325}));
    EXPECT_EQ(fields[3].Number, 20);
    EXPECT_EQ(fields[3].Kind, fkCircleBox);
    EXPECT_EQ(fields[4].Number, 21);
    EXPECT_EQ(fields[4].Side, 2);

    TLogicItems rules(out);
    rules.Load("SAMPLE");
    ASSERT_EQ(rules.Count(), 3u);
    EXPECT_EQ(rules[0].FieldNumbers, (std::vector<int16_t> {2, 3}));
    EXPECT_EQ(rules[1].RuleKind, rkAllOrNone);
    EXPECT_EQ(rules[1].FieldNumbers, (std::vector<int16_t> {1, 20}));
    EXPECT_EQ(rules[2].RuleKind, 7);
}

TEST(Formc, DecompiledSourceCompilesToTheSameBytes)
{
    ScratchFolder folder;
    folder.WriteFile("sample.form", kSample);
    ASSERT_EQ(Formc({"compile", folder.File("sample.form"), folder.File("a")}).code, 0);
    const FormcRun decompiled = Formc({"decompile", folder.File("a"), "SAMPLE"});
    ASSERT_EQ(decompiled.code, 0) << decompiled.err;
    folder.WriteFile("again.form", decompiled.out);
    const FormcRun again = Formc({"compile", folder.File("again.form"), folder.File("b")});
    ASSERT_EQ(again.code, 0) << again.err << decompiled.out;
    for (const char *extension : {".crd", ".crf", ".lgc"}) {
        EXPECT_EQ(folder.ReadFile("a/SAMPLE" + std::string(extension)),
                  folder.ReadFile("b/SAMPLE" + std::string(extension)))
            << extension;
    }
    // The source of the source is the same source.
    EXPECT_EQ(Formc({"decompile", folder.File("b"), "SAMPLE"}).out, decompiled.out);
}

TEST(Formc, EveryDeliveredFormRoundTripsByteForByte)
{
    const std::string sources = SourceFolder() + "data/forms/";
    const std::vector<std::string> names = FilesWithExtension(sources, ".form");
    ASSERT_GE(names.size(), 5u);
    for (const std::string &file : names) {
        SCOPED_TRACE(file);
        ScratchFolder folder;
        const TFormModel model = ParseFormSource(sources + file);
        WriteFormFiles(model, folder.File("a"));
        const FormcRun decompiled = Formc({"decompile", folder.File("a"), model.Name});
        ASSERT_EQ(decompiled.code, 0) << decompiled.err;
        folder.WriteFile("again.form", decompiled.out);
        ASSERT_EQ(Formc({"compile", folder.File("again.form"), folder.File("b")}).code, 0);
        for (const char *extension : {".crd", ".crf", ".lgc"}) {
            const std::string a = folder.ReadFile("a/" + model.Name + extension);
            EXPECT_FALSE(a.empty());
            EXPECT_EQ(a, folder.ReadFile("b/" + model.Name + extension)) << extension;
        }
        // The build delivers the same files.
        for (const char *extension : {".crd", ".crf", ".lgc"}) {
            std::string delivered;
            ASSERT_TRUE(
                ReadFormFile(BuiltProgramFolder() + "ACORD/" + model.Name + extension, delivered));
            EXPECT_EQ(delivered, folder.ReadFile("a/" + model.Name + extension)) << extension;
        }
    }
}

TEST(Formc, AFormNotWrittenByTheCompilerDecompilesToTheSameItems)
{
    ScratchFolder folder;
    // Numbers with other digits, missing sections, a directive with another separator.
    folder.WriteFile("odd/ODD.crd",
                     "!QOR:FONT= Courier \n"
                     "SIDE 1\n"
                     "LINES/BOXES\n"
                     " 3.50 ,0,10.125,44.50, 3\n"
                     "FORM TEXT\n"
                     "\"1000NB\",12.50,+2.5,\"r\",30.0,\"Hello\"\n"
                     "SIDE 2\n"
                     "SHADING\n"
                     "1,1,2,2,50\n");
    const FormcRun decompiled = Formc({"decompile", folder.File("odd"), "ODD"});
    ASSERT_EQ(decompiled.code, 0) << decompiled.err;
    folder.WriteFile("odd.form", decompiled.out);
    ASSERT_EQ(Formc({"compile", folder.File("odd.form"), folder.File("new")}).code, 0);
    EXPECT_EQ(Dump(folder.File("odd"), "ODD"), Dump(folder.File("new"), "ODD"));
    EXPECT_NE(Dump(folder.File("new"), "ODD").find("text 1 1 size=10 bold=1"), std::string::npos);
}

TEST(Formc, DumpShowsEveryItemAsTheReadersHoldIt)
{
    ScratchFolder folder;
    folder.WriteFile("sample.form", kSample);
    ASSERT_EQ(Formc({"compile", folder.File("sample.form"), folder.File("out")}).code, 0);
    const FormcRun dump = Formc({"dump", folder.File("out"), "SAMPLE"});
    ASSERT_EQ(dump.code, 0);
    for (const char *line : {
             "separator 1 1 left=0 top=4600 right=8000 bottom=4600\n",
             "image 1 1 left=6000 top=4000 right=7900 bottom=4500 file=\"logo.bmp\"\n",
             "slot 2 2 left=100 top=100 right=200 bottom=200 name=\"MAP:Stamp\" text=\"\" value=0 "
             "stamp=0\n",
             "shade 1 1 left=0 top=0 right=8000 bottom=200 shade=0.15\n",
             "box 1 1 left=0 top=300 right=4450 bottom=1050 width=3\n",
             "text 1 3 size=7 bold=1 italic=1 reverse=1 x=\"1 + 2\" line=400 align=1 width=3000 "
             "previous=2 font=\"Arial\" colour=0 text=\"spread\" underline=000000\n",
             "field 2 21 name=\"MAP:FormDate\" form=\"SAMPLE\" left=6800 top=100 right=7800 "
             "bottom=200 x=6820 y=100 kind=0 link=0 required=0 max=0 advance=0 case=0 input=0 "
             "extra=\"\" description=\"\"\n",
             "rule 0 0 kind=1 members=1,20 message=\"date and pick\"\n",
         }) {
        EXPECT_NE(dump.out.find(line), std::string::npos) << line << dump.out;
    }
    // Lists in the viewer's order: separators first, rules last.
    EXPECT_EQ(dump.out.rfind("separator", 0), 0u);
    EXPECT_EQ(dump.out.substr(dump.out.rfind('\n', dump.out.size() - 2) + 1, 4), "rule");
}

TEST(Formc, SourceErrorsNameTheFileAndLine)
{
    const std::string head = "form F\nside 1\n";
    const std::pair<std::string, std::string> cases[] = {
        {head + "bogus 1 2\n", "f.form:3: unknown statement \"bogus\""},
        {head + "box 3 0..1 1\n", "f.form:3: \"3\" is not a span"},
        {head + "box 3..4 0..x 1\n", "f.form:3: \"x\" is not a valid columns"},
        {head + "text 1 1 \"open\n", "f.form:3: a quoted text has no closing quote"},
        {head + "field A radio 1..2 1..2 link=B\n", "no field is named \"B\""},
        {head + "field A text 1..2 1..2\nfield A text 1..2 3..4\nrule any \"m\" A\n",
         "more than one field is named \"A\""},
        {head + "text 1 1 \"\xe2\x82\xac \xe2\x98\x83\"\n",
         "holds characters Windows-1252 cannot hold"},
        {"side 1\nbox 1..2 1..2 1\n", "names no form"},
        {"form F\nbox 1..2 1..2 1\n", "a \"side\" statement must come first"},
        {head + "text 1 1 \"a\" align=middle\n", "alignment \"middle\""},
        {head + "include \"missing.part\"\n", "Cannot read"},
    };
    for (const auto &[source, expected] : cases) {
        const std::string error = CompileError(source);
        EXPECT_NE(error.find(expected), std::string::npos) << source << "\n -> " << error;
    }
}

TEST(Formc, ItemsTheFilesCannotHoldAreRefused)
{
    const std::string head = "form F\nside 1\n";
    const std::pair<std::string, std::string> cases[] = {
        {head + "slot 1..2 1..2 \"a,b\" \"t\" 0\n", "cannot be written as given"},
        {head + "field F text 1..2 1..2 \"" + std::string(101, 'd') + "\"\n",
         "field 1 cannot be written as given"},
        {head + "field ABCDEFGHIJKLMNOPQRSTUV text 1..2 1..2\n", "field 1 cannot be written"},
        {"form F\nfields 56\nside 1\nfield F text 1..2 1..2 required\n",
         "field 1 cannot be written"},
        {"form F\nfields 57\nside 1\nfield F text 1..2 1..2\n", "none of 56, 158, 166 and 198"},
        {head + "text 1 1 \"two\\x0Dlines\"\n", "cannot be written as given"},
        {head + "text 1 1,2 \"x\"\n", "text 1 cannot be written as given"},
        {head + "image 1..2 1..2 \" padded \"\n", "picture 1 cannot be written as given"},
    };
    for (const auto &[source, expected] : cases) {
        const std::string error = CompileError(source);
        EXPECT_NE(error.find(expected), std::string::npos) << source << "\n -> " << error;
    }
    // Nothing is left behind by a refused compile.
    ScratchFolder folder;
    folder.WriteFile("f.form", head + "slot 1..2 1..2 \"a,b\" \"t\" 0\n");
    Formc({"compile", folder.File("f.form"), folder.File("out")});
    EXPECT_FALSE(FileExists(folder.File("out/F.crd")));
}

TEST(Formc, CommandLine)
{
    EXPECT_EQ(Formc({}).code, 2);
    EXPECT_EQ(Formc({"compile", "x"}).code, 2);
    EXPECT_NE(Formc({"frobnicate", "a", "b"}).err.find("usage: formc"), std::string::npos);
    ScratchFolder folder;
    const FormcRun missing = Formc({"decompile", folder.Path(), "NONE"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("NONE.crd"), std::string::npos);
    folder.WriteFile("BAD.crd", "SIDE 1\r\nLINES/BOXES\r\n1,2\r\n");
    const FormcRun corrupt = Formc({"dump", folder.Path(), "BAD"});
    EXPECT_EQ(corrupt.code, 1);
    EXPECT_NE(corrupt.err.find("The form data is corrupt."), std::string::npos);
}
