// veredivo-rate --pool-docx: the pool application of a rated request as a Word document.

#include "core/Paths.h"
#include "export/DocxDocument.h"
#include "export/LibreOffice.h"

#include "support/Commands.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

const char *const Request = R"({
  "state": "MA", "broker": %BROKER%, "effective": "07/01/2026",
  "customer": { "company": "Ashby Bakery", "first": "Lee", "last": "Ashby",
                "street": "4 Mill Rd", "city": "Lowell", "state": "MA", "zip": "01852",
                "work": "(978) 555-0199" },
  "classes": [ { "code": "5183", "payroll": 100000, "employees": 4 },
               { "code": "8810", "payroll": 40000, "employees": 2 } ]
})";

TCommandResult RunPoolDocx(const ScratchFolder &folder, int broker, const std::string &out)
{
    std::string request = Request;
    request.replace(request.find("%BROKER%"), 8, std::to_string(broker));
    folder.WriteFile("quote.json", request);
    return RunCommand(ShellQuoted(VEREDIVO_RATE_COMMAND) + " --program-dir " +
                      ShellQuoted(BuiltProgramFolder()) + " --pool-docx " + ShellQuoted(out) + " " +
                      ShellQuoted(folder.File("quote.json")) + " 2>&1");
}

} // namespace

TEST(PoolDocxCommand, WritesTheFilledOffice2007Application)
{
    ScratchFolder folder;
    folder.WriteFile("settings/QORWC.ini", "[General]\nUse2003MAAppNot2007=0\n");
    ScopedEnv settings("VEREDIVO_SETTINGS_DIR", folder.File("settings/"));
    const TCommandResult result = RunPoolDocx(folder, 5, folder.File("pool.docx"));
    ASSERT_EQ(result.Status, 0) << result.Out;
    EXPECT_NE(result.Out.find("Pool application written to " + folder.File("pool.docx")),
              std::string::npos)
        << result.Out;

    const TDocxDocument document(folder.File("pool.docx"));
    EXPECT_EQ(document.Field(1).Result, "07/01/2026");
    EXPECT_EQ(document.Field(3).Result, "Ashby Bakery");
    EXPECT_EQ(document.Field(7).Result, "Lee Ashby");
    EXPECT_EQ(document.Field(12).Result, "978- 555-0199");
    // The clerical class is not among the rated rows: 5183 is the only row.
    EXPECT_EQ(document.Field(41).Result, "5183");
    EXPECT_EQ(document.Field(42).Result, "4");
    EXPECT_EQ(document.Field(43).Result, "100000");
    EXPECT_EQ(document.Field(49).Result, "\u2002\u2002\u2002\u2002\u2002");
    EXPECT_FALSE(document.Field(114).Result.empty()); // total estimated annual premium

    // Never over an earlier document.
    const TCommandResult again = RunPoolDocx(folder, 5, folder.File("pool.docx"));
    EXPECT_EQ(again.Status, 1);
    EXPECT_NE(again.Out.find("exists already"), std::string::npos) << again.Out;
}

TEST(PoolDocxCommand, APlanWithoutAWordPoolApplicationIsTold)
{
    ScratchFolder folder;
    const TCommandResult result = RunPoolDocx(folder, 1, folder.File("pool.docx"));
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Out.find("broker 1's MA plan has no Word pool application"), std::string::npos)
        << result.Out;
    EXPECT_FALSE(FileExists(folder.File("pool.docx")));
}

TEST(PoolDocxCommand, TheOffice2003ChoiceWithoutLibreOfficeSaysWhatItNeeds)
{
    ScratchFolder folder;
    ScopedEnv settings("VEREDIVO_SETTINGS_DIR", folder.File("settings/"));
    ScopedEnv noOffice("VEREDIVO_SOFFICE", std::string("/nonexistent/soffice"));
    const TCommandResult result = RunPoolDocx(folder, 5, folder.File("pool.docx"));
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Out.find("MAApp03.DOC) needs LibreOffice"), std::string::npos) << result.Out;
    EXPECT_FALSE(FileExists(folder.File("pool.docx")));
}
