// Script files read and written back, translations and name=value files.

#include "MacroHarness.h"

#include "core/Errors.h"
#include "core/Text.h"
#include "macro/MacroXml.h"
#include "macro/Translation.h"

#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Every command type of the plain engine with settings other than the defaults.
std::vector<ScriptLine> EveryCommand()
{
    const std::vector<std::pair<std::string, std::string>> common = {
        {"ID", "7"},
        {"Key", "3"},
        {"Enabled", "FALSE"},
        {"OKToContinue", "TRUE"},
        {"ExternalDataIteration", "2"},
        {"ExternalDataDescription", "Employer's phone number"},
        {"ExternalDataOptions", "A|B"},
        {"ExternalDataTopic", "Contact"},
        {"ExternalDataPassword", "1"},
        {"ExternalDataAlways", "1"},
    };
    std::vector<ScriptLine> lines = {
        {205, {{"A", "X"}, {"B", "%Y%"}, {"Expression", "4"}}},
        {206, {}},
        {207, {{"A", "I"}, {"B", "3"}, {"Expression", "2"}}},
        {208, {}},
        {209,
         {{"VarName", "V"},
          {"VarValue", " "},
          {"Trim", "Yes"},
          {"URLEncode", "Yes"},
          {"Numeric", "Yes"},
          {"MakeDateParts", "Yes"},
          {"MakePhoneParts", "Yes"}}},
        {210, {{"VarName", "N"}, {"VarValue", "-1"}}},
        {213, {{"FileName", "Sites\\part.xml"}}},
        {214, {{"Identifier", "WORK_COMP_GET_CLASS"}}},
        {215, {{"Caption", "Bad & <worse>"}}},
        {216, {{"Caption", "Hello"}}},
        {217, {}},
        {218, {}},
        {220, {}},
        {221, {{"PassDataInVars", "No"}, {"PassDataOutVars", "No"}, {"ScriptName", "s.iim"}}},
        {222, {}},
        {223, {}},
        {224, {{"VarName", "V"}, {"IMacrosVarName", "!VAR1"}}},
        {225, {}},
        {226, {{"FileName", "values.txt"}, {"FieldName", "F"}, {"VarName", "V"}}},
        {227, {{"VarIn", "IN"}, {"VarOut", "OUT"}, {"FileName", "t.xml"}, {"Topic", "T"}}},
        {228,
         {{"VarIn", "IN"},
          {"VarOut", "OUT"},
          {"Delimiter", ";"},
          {"FormCaption", "Pick one"},
          {"ReturnAsIndex", "Yes"}}},
        {229, {{"Caption", "A comment"}}},
        {230, {}},
        {231, {{"Seconds", "1.5"}}},
    };
    for (ScriptLine &line : lines) {
        line.elements.insert(line.elements.begin(), common.begin(), common.end());
        line.elements.insert(line.elements.begin() + 2,
                             std::make_pair(std::string("CommandType"), IntText(line.objectType)));
        line.elements.emplace_back("ExternalDataID", "ID_" + IntText(line.objectType));
    }
    return lines;
}

std::string Saved(TMacro &macro, const ScratchFolder &folder, const std::string &name)
{
    macro.SaveCommands(folder.File(name));
    return folder.ReadFile(name);
}

} // namespace

TEST(MacroFiles, EveryCommandTypeSurvivesALoadAndSaveRoundTrip)
{
    MacroHarness h;
    const std::vector<ScriptLine> lines = EveryCommand();
    h.Write(lines);
    ASSERT_TRUE(h.macro.LoadCommands("test.xml", false));
    ASSERT_EQ(h.macro.Commands().size(), lines.size());
    const std::string first = Saved(h.macro, h.folder, "first.xml");

    // Every element of the written script is read back with its value.
    pugi::xml_document saved;
    std::string error;
    ASSERT_TRUE(LoadXmlFile(h.folder.File("first.xml"), saved, error)) << error;
    size_t index = 0;
    for (const pugi::xml_node &command : saved.document_element().child("Commands").children()) {
        ASSERT_LT(index, lines.size());
        for (const auto &[name, value] : lines[index].elements) {
            EXPECT_EQ(XmlText(command.child(name.c_str())), value)
                << "command " << lines[index].objectType << " element " << name;
        }
        EXPECT_EQ(XmlText(command.child("ObjectType")), IntText(lines[index].objectType));
        ++index;
    }
    EXPECT_EQ(index, lines.size());

    // And the saved form reads back into the same commands.
    MacroHarness again;
    again.folder.WriteFile("test.xml", first);
    ASSERT_TRUE(again.macro.LoadCommands("test.xml", false));
    EXPECT_EQ(Saved(again.macro, again.folder, "second.xml"), first);

    const auto *setVar = dynamic_cast<const TMacroSetVarCommand *>(h.macro.Commands()[4].get());
    ASSERT_NE(setVar, nullptr);
    EXPECT_EQ(setVar->VarValue, " ") << "a single blank is a value of its own";
    EXPECT_TRUE(setVar->MakePhoneParts);
    const TMacroCommand &any = *h.macro.Commands()[0];
    EXPECT_EQ(any.ID, 7);
    EXPECT_FALSE(any.Enabled);
    EXPECT_TRUE(any.OKToContinue);
    EXPECT_EQ(any.ExternalData.ID, "ID_205");
    EXPECT_TRUE(any.ExternalData.Password);
    EXPECT_TRUE(any.ExternalData.Always);
}

TEST(MacroFiles, MissingElementsTakeTheirDefaults)
{
    MacroHarness h;
    h.folder.WriteFile("test.xml",
                       "<macro><commands>"
                       "<command><ObjectType>209</ObjectType></command>"
                       "<command><ObjectType>221</ObjectType>"
                       "<ExternalDataID><![CDATA[  WC_PHONE ]]></ExternalDataID>"
                       "<ExternalDataTopic>0</ExternalDataTopic></command>"
                       "</commands></macro>");
    ASSERT_TRUE(h.macro.LoadCommands("test.xml", false));
    ASSERT_EQ(h.macro.Commands().size(), 2U);
    const TMacroCommand &setVar = *h.macro.Commands()[0];
    EXPECT_EQ(setVar.CommandType, mtSetVar);
    EXPECT_TRUE(setVar.Enabled);
    EXPECT_FALSE(setVar.OKToContinue);
    EXPECT_EQ(setVar.ExternalData.ID, "");
    const auto *play = dynamic_cast<const TMacroIMacrosPlayCommand *>(h.macro.Commands()[1].get());
    ASSERT_NE(play, nullptr);
    EXPECT_TRUE(play->PassDataInVars);
    EXPECT_TRUE(play->PassDataOutVars);
    EXPECT_EQ(play->ExternalData.ID, "WC_PHONE");
    EXPECT_EQ(play->ExternalData.Topic, "");
}

TEST(MacroFiles, MissingDataAndSecretNamesComeFromTheExternalData)
{
    MacroHarness h;
    h.Write({{225, {{"ExternalDataID", "WC_PHONE"}}},
             {225, {{"ExternalDataID", "WCRIB_PASSWORD"}, {"ExternalDataPassword", "1"}}},
             {225, {{"ExternalDataID", "SECRET_CODE"}, {"ExternalDataPassword", "1"}}}});
    ASSERT_TRUE(h.macro.LoadCommands("test.xml", false));
    h.dataIn = {"WC_PHONE=6175551234", "WCRIB_PASSWORD=pw", "SECRET_CODE= "};
    EXPECT_TRUE(h.macro.MissingData());
    h.dataIn[2] = "SECRET_CODE=42";
    EXPECT_FALSE(h.macro.MissingData());
    EXPECT_TRUE(h.macro.IsSecretName("secret_code"));
    EXPECT_TRUE(h.macro.IsSecretName("ANY_PASSWORD_FIELD"));
    EXPECT_FALSE(h.macro.IsSecretName("WC_PHONE"));
}

TEST(MacroTranslate, EveryKindOfTranslation)
{
    pugi::xml_document file;
    ASSERT_TRUE(file.load_string(R"(<Translations>
      <Translation id="LEGAL"><Type>Simple</Type>
        <Option id="Corporation"><Value>CORP</Value></Option>
        <Option id="LLC"><Value>LLC</Value></Option></Translation>
      <Translation id="RANGE"><Type>NumericRange</Type>
        <Option><From>0</From><To>9.99</To><Value>LOW</Value></Option>
        <Option><From>10</From><To>100</To><Value>HIGH</Value></Option></Translation>
      <Translation id="SUB"><Type>Substitute</Type>
        <Option id="-"><Value></Value></Option>
        <Option id=" "><Value>_</Value></Option></Translation>
      <Translation id="PRETTYDOLLARSNOPAD"><Type>Coded</Type></Translation>
      <Translation id="PCT_CHECKANDAPPEND"><Type>Coded</Type>
        <Option id="1"><Value>%</Value></Option></Translation>
      <Translation id="WHOLENUMBERTOPERCENT"><Type>Coded</Type></Translation>
      <Translation id="ADDTHOUSANDSCOMMA"><Type>Coded</Type></Translation>
      <Translation id="PLUSMINUSNUMBERTOPERCENTAGEOFONE"><Type>Coded</Type></Translation>
      <Translation id="NOCODE"><Type>Coded</Type></Translation>
    </Translations>)"));
    EXPECT_EQ(TranslateValue(file, "LEGAL", "Corporation"), "CORP");
    EXPECT_EQ(TranslateValue(file, "LEGAL", "Trust"), "Trust");
    EXPECT_EQ(TranslateValue(file, "RANGE", "9.5"), "LOW");
    EXPECT_EQ(TranslateValue(file, "RANGE", ""), "LOW");
    EXPECT_EQ(TranslateValue(file, "RANGE", "50"), "HIGH");
    EXPECT_EQ(TranslateValue(file, "RANGE", "500"), "500");
    EXPECT_THROW(TranslateValue(file, "RANGE", "many"), EConvertError);
    EXPECT_EQ(TranslateValue(file, "SUB", "04-123 4567"), "04123_4567");
    EXPECT_EQ(TranslateValue(file, "PRETTYDOLLARSNOPAD", "1234567.5"), "$1,234,568");
    EXPECT_EQ(TranslateValue(file, "PRETTYDOLLARSNOPAD", ""), "$0");
    EXPECT_EQ(TranslateValue(file, "PCT_CHECKANDAPPEND", "5"), "5%");
    EXPECT_EQ(TranslateValue(file, "PCT_CHECKANDAPPEND", "5%"), "5%");
    EXPECT_EQ(TranslateValue(file, "WHOLENUMBERTOPERCENT", "7"), "0.07");
    EXPECT_EQ(TranslateValue(file, "ADDTHOUSANDSCOMMA", "1234567"), "1,234,567");
    EXPECT_EQ(TranslateValue(file, "ADDTHOUSANDSCOMMA", "1234.4"), "1,234.00");
    EXPECT_EQ(TranslateValue(file, "PLUSMINUSNUMBERTOPERCENTAGEOFONE", "-5"), "0.95");
    EXPECT_EQ(TranslateValue(file, "NOCODE", "x"), "x");
    try {
        TranslateValue(file, "NONE", "x");
        ADD_FAILURE() << "a missing topic must raise";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "The specificed Translation was not found: NONE");
    }
}

TEST(MacroTranslate, TheCommandFindsItsFileBesideTheScriptAndStopsOnAMissingTopic)
{
    ScriptedPrompter prompter;
    MacroHarness h;
    h.folder.WriteFile("Translations/Legal.xml",
                       "<Translations><Translation id=\"LEGAL\"><Type>Simple</Type>"
                       "<Option id=\"Corporation\"><Value>CORP</Value></Option>"
                       "</Translation></Translations>");
    h.dataIn = {"BIZ=Corporation"};
    h.Write(
        {{227,
          {{"VarIn", "BIZ"}, {"VarOut", "LEGAL"}, {"FileName", "Legal.xml"}, {"Topic", "LEGAL"}}},
         {227, {{"VarIn", "BIZ"}, {"FileName", "Absent.xml"}, {"Topic", "LEGAL"}}},
         {227, {{"VarIn", "BIZ"}, {"VarOut", "X"}, {"FileName", "Legal.xml"}, {"Topic", "OTHER"}}},
         Trace("never")});
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "LEGAL"), "CORP");
    EXPECT_EQ(NameValue(h.variables, "BIZ"), "Corporation") << "no file: the input unchanged";
    EXPECT_EQ(h.macro.State(), TMacro::msError);
    EXPECT_EQ(NameValue(h.variables, "TRACE"), "");
    EXPECT_TRUE(h.Logged("MACRO EXCEPTION: The specificed Translation was not found: OTHER"));
    EXPECT_EQ(prompter.Texts(), std::vector<std::string> {kMacroGeneralError});
}

TEST(MacroFilesCommands, NameValueFilesAreReadFromTheScriptsNameValuesFolder)
{
    MacroHarness h;
    h.folder.WriteFile("NameValues/agency.txt", "PRODUCER=Lee\r\nLICENSE=MA-123\r\n");
    h.dataIn = {"FILE=agency.txt"};
    h.Write({{226, {{"FileName", "%FILE%"}, {"FieldName", "license"}, {"VarName", "LIC"}}},
             {226, {{"FileName", "none.txt"}, {"FieldName", "X"}, {"VarName", "NONE"}}}});
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "LIC"), "MA-123");
    EXPECT_TRUE(HasName(h.variables, "NONE"));
    EXPECT_EQ(NameValue(h.variables, "NONE"), "");
}

namespace {

class FakeDialogs : public TMacroDialogs
{
public:
    int PickFromList(const std::string &caption, const std::string &prompt,
                     const std::vector<std::string> &items) override
    {
        captions.push_back(caption + "/" + prompt);
        offered = items;
        return pick;
    }
    void ShowVariables(TMacro &) override { ++shown; }
    bool AskValue(const std::string &, const std::string &, bool, std::string &) override
    {
        return false;
    }
    int pick = 1;
    int shown = 0;
    std::vector<std::string> captions;
    std::vector<std::string> offered;
};

} // namespace

TEST(MacroFilesCommands, PickingFromADelimitedStringStoresTheItemOrItsIndex)
{
    MacroHarness h;
    FakeDialogs dialogs;
    h.macro.Dialogs = &dialogs;
    h.dataIn = {"STATES=MA;NJ;NY", "WORDS=one two"};
    h.Write({{228, {{"VarIn", "STATES"}, {"VarOut", "PICKED"}, {"Delimiter", ";"}}},
             {228,
              {{"VarIn", "STATES"},
               {"VarOut", "INDEX"},
               {"Delimiter", ";"},
               {"ReturnAsIndex", "Yes"},
               {"FormCaption", "State"}}},
             {228, {{"VarIn", "WORDS"}}},
             {217, {}}});
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "PICKED"), "NJ");
    EXPECT_EQ(NameValue(h.variables, "INDEX"), "1");
    EXPECT_EQ(NameValue(h.variables, "WORDS"), "two");
    EXPECT_EQ(dialogs.offered, (std::vector<std::string> {"one", "two"}));
    EXPECT_EQ(dialogs.captions[0], "Select.../Select from the Available Items");
    EXPECT_EQ(dialogs.captions[1], "State/Select from the Available Items");
    EXPECT_EQ(dialogs.shown, 1);

    dialogs.pick = -1;
    h.Run();
    EXPECT_EQ(NameValue(h.variables, "PICKED"), "") << "cancelled";
}
