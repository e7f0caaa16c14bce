// The quote e-mail and "Save as PDF" on a copy of the delivered tables: a stand-in mail program
// first on the PATH, and without one the message file read back with Python's email package.

#include "printing/QuoteMail.h"
#include "../rating/QuoteHarness.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "support/Commands.h"
#include "support/DesktopRecorder.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class QuoteMailTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CopyDeliveredData(program.File("Data"));
        quote = std::make_unique<QuoteHarness>("MA", 1, EncodeDate(2026, 7, 1), program.Path());
        TAgencyAddress &agency = quote->Application().AgencyAddress;
        agency.Name = "Harbor Insurance Agency";
        agency.Phone = "(978)555-0100";
        quote->Quote().Customer().SetCompany("ASHBY BAKERY");
        quote->Quote().Customer().SetFirstName("Ann");
        quote->Add("5183", 90000, 4);
        ASSERT_TRUE(quote->Rate());
    }

    // A program of that name on a PATH of its own, recording its arguments (NUL-separated).
    void StandIn(const std::string &name, int exitCode)
    {
        tools.WriteFile(name,
                        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" +
                            tools.File(name + ".args") + "'\nexit " + std::to_string(exitCode) +
                            "\n");
        std::filesystem::permissions(tools.File(name), std::filesystem::perms::owner_all);
    }

    std::vector<std::string> Arguments(const std::string &name) const
    {
        const std::string all = tools.ReadFile(name + ".args");
        std::vector<std::string> arguments;
        for (size_t at = 0; at < all.size();) {
            const size_t end = all.find('\0', at);
            arguments.push_back(all.substr(at, end - at));
            at = end + 1;
        }
        return arguments;
    }

    ScratchFolder program;
    ScratchFolder tools;
    ScratchFolder temp;
    ScopedEnv tmpdir {"TMPDIR", temp.Path()};
    std::unique_ptr<QuoteHarness> quote;
    DesktopRecorder desktop;
};

} // namespace

TEST_F(QuoteMailTest, TheMailProgramReceivesSubjectBodyAndTheWorksheet)
{
    StandIn("xdg-email", 0);
    {
        ScopedEnv path("PATH", tools.Path());
        EmailQuote(quote->Quote());
    }
    const std::vector<std::string> arguments = Arguments("xdg-email");
    ASSERT_EQ(arguments.size(), 7u);
    EXPECT_EQ(arguments[0], "--utf8");
    EXPECT_EQ(arguments[1], "--subject");
    EXPECT_EQ(arguments[2], "Estimated Workers Compensation Quotation");
    EXPECT_EQ(arguments[3], "--body");
    const std::string total = MoneyText(quote->Quote().Results.TotalPremium) + ".00";
    EXPECT_EQ(arguments[4],
              "To: Ann\r\nYour quote for Workers Compensation Insurance is attached to this "
              "email.  The total estimated premium is " +
                  total +
                  ".  Please contact me at (978)555-0100 if you have any questions.  Thank "
                  "you.NOTE: The attached quote requires the FREE Adobe Acrobat Reader to "
                  "view.\r\nIf you don't already have it, go to https://get.adobe.com/reader/\r\n");
    EXPECT_EQ(arguments[5], "--attach");
    EXPECT_EQ(arguments[6], program.File("wcquote.pdf"));
    EXPECT_NE(PdfText(arguments[6])
                  .find("Your Total Estimated Cost is: " + total.substr(0, total.size() - 3)),
              std::string::npos);
    EXPECT_EQ(temp.ReadFile("wcemail.txt"), arguments[4]);
    EXPECT_TRUE(quote->Prompter().Texts().empty());
    EXPECT_FALSE(std::filesystem::exists(program.File("wcquote.eml")));
}

TEST_F(QuoteMailTest, WithoutAMailProgramAStandardMessageFileCarriesThePdf)
{
    StandIn("xdg-email", 3); // present but failing: the same as absent
    for (const bool present : {false, true}) {
        std::filesystem::remove(program.File("wcquote.eml"));
        quote->Prompter().Clear();
        desktop.Opened.clear();
        quote->Application().AgencyAddress.EMail = present ? "" : "quotes@harbor.example";
        {
            ScopedEnv path("PATH", present ? tools.Path() : temp.Path());
            EmailQuote(quote->Quote());
        }
        const std::string eml = program.File("wcquote.eml");
        ASSERT_EQ(desktop.Opened, std::vector<std::string> {eml});
        ASSERT_EQ(quote->Prompter().Texts().size(), 1u);
        EXPECT_NE(quote->Prompter().Texts()[0].find(eml), std::string::npos);

        const TCommandResult parsed = RunCommand(
            "python3 -c '\n"
            "import email, email.policy, sys\n"
            "m = email.message_from_binary_file(open(sys.argv[1], \"rb\"), "
            "policy=email.policy.default)\n"
            "print(m[\"Subject\"]); print(m[\"From\"]); print(m[\"X-Unsent\"]); "
            "print(bool(m[\"Date\"]))\n"
            "print(m.get_content_type(), len(m.defects))\n"
            "body = m.get_body((\"plain\",)); print(body.get_content().splitlines()[0])\n"
            "pdf = [p for p in m.iter_attachments()][0]\n"
            "print(pdf.get_content_type(), pdf.get_filename(), "
            "pdf[\"Content-Transfer-Encoding\"])\n"
            "print(pdf.get_content() == open(sys.argv[2], \"rb\").read())\n"
            "' " +
            ShellQuoted(eml) + " " + ShellQuoted(program.File("wcquote.pdf")));
        ASSERT_EQ(parsed.Status, 0) << parsed.Out;
        // The agency's own address, else the user's on this computer.
        const std::string expected = "Estimated Workers Compensation Quotation\n"
                                     "Harbor Insurance Agency <" +
            std::string(present ? "" : "quotes@harbor.example>\n");
        EXPECT_EQ(parsed.Out.substr(0, expected.size()), expected) << parsed.Out;
        EXPECT_NE(parsed.Out.find(">\n1\nTrue\nmultipart/mixed 0\nTo: Ann\n"
                                  "application/pdf wcquote.pdf base64\nTrue\n"),
                  std::string::npos)
            << parsed.Out;
        // Lines end with CR LF, as on the wire.
        EXPECT_NE(program.ReadFile("wcquote.eml")
                      .find("Subject: Estimated Workers "
                            "Compensation Quotation\r\n"),
                  std::string::npos);
    }
}

TEST_F(QuoteMailTest, APdfThatCannotBeWrittenStopsTheMailAndSaveAsPdfSaysWhy)
{
    std::filesystem::create_directories(program.File("wcquote.pdf")); // a folder in the way
    StandIn("xdg-email", 0);
    {
        ScopedEnv path("PATH", tools.Path());
        EmailQuote(quote->Quote());
    }
    EXPECT_FALSE(std::filesystem::exists(tools.File("xdg-email.args")));
    ASSERT_EQ(quote->Prompter().Texts().size(), 1u);
    EXPECT_EQ(quote->Prompter().Texts()[0].find("The PDF file " + program.File("wcquote.pdf") +
                                                " could not be written: "),
              0u);

    quote->Prompter().Clear();
    EXPECT_FALSE(SaveQuotePdf(quote->Quote(), program.File("missing/quote.pdf")));
    ASSERT_EQ(quote->Prompter().Texts().size(), 1u); // no question after a failure
    EXPECT_TRUE(desktop.Opened.empty());

    quote->Prompter().Clear();
    quote->Prompter().QueueAnswer(Prompter::Answer::No);
    EXPECT_TRUE(SaveQuotePdf(quote->Quote(), program.File("chosen.pdf")));
    EXPECT_EQ(quote->Prompter().Texts(),
              std::vector<std::string> {"Show the PDF that was just created?"});
    EXPECT_TRUE(desktop.Opened.empty());
    quote->Prompter().QueueAnswer(Prompter::Answer::Yes);
    EXPECT_TRUE(SaveQuotePdf(quote->Quote(), program.File("chosen.pdf")));
    EXPECT_EQ(desktop.Opened, std::vector<std::string> {program.File("chosen.pdf")});
    EXPECT_NE(PdfInfo(program.File("chosen.pdf")).find("Pages:           1"), std::string::npos);
}
