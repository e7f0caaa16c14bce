#include "agency/AgencyProfile.h"
#include "agency/AgencyProfileWindow.h"

#include "support/ModalScript.h"
#include "support/QtPrinting.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char *const kAllKeysEmpty = "[Agency Info]\n"
                                  "Name=\n"
                                  "Attn=\n"
                                  "Street=\n"
                                  "City=\n"
                                  "State=\n"
                                  "Zip=\n"
                                  "Phone=\n"
                                  "Fax=\n"
                                  "EMail=\n"
                                  "ProducerID=\n";

QStringList LabelTexts(const QWidget &window)
{
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        texts << label->text();
    }
    return texts;
}

} // namespace

TEST(AgencyProfile, MissingSectionGivesAnEmptyProfile)
{
    ScratchFolder dir;
    dir.WriteFile("veredivo.ini", "[General]\nDebugOptionsOn=1\n");
    TAgencyProfile profile(dir.File("veredivo.ini"));
    profile.Information().Name = "left over";
    profile.Load();
    EXPECT_EQ(profile.Information().Name, "");
    EXPECT_EQ(profile.Information().ProducerID, "");
    EXPECT_FALSE(profile.HasAgencyName());
    TAgencyProfile missing(dir.File("none.ini"));
    missing.Load();
    EXPECT_FALSE(missing.HasAgencyName());
}

TEST(AgencyProfile, SaveWritesAllTenKeysInOrderAndKeepsTheRest)
{
    ScratchFolder dir;
    TAgencyProfile profile(dir.File("veredivo.ini"));
    profile.Save();
    EXPECT_EQ(dir.ReadFile("veredivo.ini"), kAllKeysEmpty);

    dir.WriteFile("other.ini", "[General]\r\nDebugOptionsOn=0\r\n[Agency Info]\r\nzip=01234\r\n");
    TAgencyProfile other(dir.File("other.ini"));
    other.Load();
    EXPECT_EQ(other.Information().Zip, "01234");
    other.Information().Name = "Smith & Sons Insurance";
    other.Information().Phone = "(617)555-1212";
    other.Save();
    EXPECT_EQ(dir.ReadFile("other.ini"),
              "[General]\r\nDebugOptionsOn=0\r\n[Agency Info]\r\n"
              "zip=01234\r\nName=Smith & Sons Insurance\r\nAttn=\r\n"
              "Street=\r\nCity=\r\nState=\r\nPhone=(617)555-1212\r\n"
              "Fax=\r\nEMail=\r\nProducerID=\r\n");
    TAgencyProfile reread(dir.File("other.ini"));
    reread.Load();
    EXPECT_TRUE(reread.HasAgencyName());
    EXPECT_EQ(reread.Information().Name, "Smith & Sons Insurance");
}

TEST(AgencyProfile, NoProfileIsAWholeArgumentInAnyCase)
{
    EXPECT_TRUE(ProfileLockedBy({"NoProfile"}));
    EXPECT_TRUE(ProfileLockedBy({"-x", "NOPROFILE"}));
    EXPECT_FALSE(ProfileLockedBy({"NoProfiles"}));
    EXPECT_FALSE(ProfileLockedBy({"-NoProfile"}));
    EXPECT_FALSE(ProfileLockedBy({}));
}

TEST(AgencyProfileWindow, ShowsEveryFieldTrimmedAndCloseSavesThem)
{
    ScratchFolder dir;
    dir.WriteFile("veredivo.ini",
                  "[Agency Info]\nName=  Smith Agency \nCity=Boston\n"
                  "Phone=(617)555-1212\nProducerID=04-1234567\n");
    TAgencyProfile profile(dir.File("veredivo.ini"));
    profile.Load();
    TfrmAgencyProfile window(profile, false);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Agency Profile"));
    for (const char *caption :
         {"Agency:", "Attn:", "Address:", "Phone:", "Fax:", "EMail:", "Fed Tax ID:"}) {
        EXPECT_TRUE(LabelTexts(window).contains(QString::fromLatin1(caption))) << caption;
    }
    EXPECT_EQ(window.btnClose->text(), QStringLiteral("&Close"));
    EXPECT_EQ(window.btnCancel->text(), QStringLiteral("C&ancel"));
    // Blanks show as spaces, the default blank of an input mask.
    EXPECT_EQ(window.txtPhone->inputMask(), QStringLiteral("\\(000\\)999-9999"));

    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *form = qobject_cast<TfrmAgencyProfile *>(modal);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->txtName->text(), QStringLiteral("Smith Agency"));
        EXPECT_EQ(form->txtPhone->displayText(), QStringLiteral("(617)555-1212"));
        EXPECT_EQ(form->txtFax->displayText(), QStringLiteral("(   )   -    "));
        EXPECT_TRUE(form->pnlFields->isEnabled());
        EXPECT_FALSE(form->lblNoProfile->isVisible());
        form->txtAttn->setText(QStringLiteral("  Pat Jones  "));
        form->txtFax->setText(QStringLiteral("6175550000"));
        form->txtEMail->setText(QString::fromUtf8("caf\u00e9@example.org"));
        form->btnClose->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_EQ(dir.ReadFile("veredivo.ini"),
              "[Agency Info]\nName=Smith Agency\nCity=Boston\nPhone=(617)555-1212\n"
              "ProducerID=04-1234567\nAttn=Pat Jones\nStreet=\nState=\nZip=\n"
              "Fax=(617)555-0000\nEMail=caf\xE9@example.org\n");
}

TEST(AgencyProfileWindow, CancelLeavesTheProfileAndItsFileAlone)
{
    ScratchFolder dir;
    dir.WriteFile("veredivo.ini", "[Agency Info]\nName=Smith Agency\n");
    TAgencyProfile profile(dir.File("veredivo.ini"));
    profile.Load();
    TfrmAgencyProfile window(profile, false);
    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *form = qobject_cast<TfrmAgencyProfile *>(modal);
        form->txtName->setText(QStringLiteral("Other"));
        form->btnCancel->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(profile.Information().Name, "Smith Agency");
    EXPECT_EQ(dir.ReadFile("veredivo.ini"), "[Agency Info]\nName=Smith Agency\n");
}

TEST(AgencyProfileWindow, NoProfileShowsTheFieldsLockedAndCloseKeepsTheValues)
{
    ScratchFolder dir;
    dir.WriteFile("veredivo.ini", "[Agency Info]\nName=Smith Agency\n");
    TAgencyProfile profile(dir.File("veredivo.ini"));
    profile.Load();
    TfrmAgencyProfile window(profile, true);
    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *form = qobject_cast<TfrmAgencyProfile *>(modal);
        EXPECT_FALSE(form->pnlFields->isEnabled());
        EXPECT_FALSE(form->txtName->isEnabled());
        EXPECT_TRUE(form->lblNoProfile->isVisible());
        EXPECT_EQ(form->lblNoProfile->text(),
                  QStringLiteral("**This information cannot be modified"));
        form->btnClose->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_EQ(profile.Information().Name, "Smith Agency");
    EXPECT_EQ(dir.ReadFile("veredivo.ini"),
              std::string("[Agency Info]\nName=Smith Agency\n") +
                  "Attn=\nStreet=\nCity=\nState=\nZip=\nPhone=\n"
                  "Fax=\nEMail=\nProducerID=\n");
}

TEST(AgencyProfileWindow, AFileThatCannotBeWrittenKeepsTheWindowOpen)
{
    ScratchFolder dir;
    std::filesystem::create_directories(dir.File("veredivo.ini"));
    TAgencyProfile profile(dir.File("veredivo.ini"));
    TfrmAgencyProfile window(profile, false);
    ScriptedPrompter prompter;
    ModalScript script;
    bool stillOpen = false;
    script.Then([&](QWidget *modal) {
        auto *form = qobject_cast<TfrmAgencyProfile *>(modal);
        form->txtName->setText(QStringLiteral("Smith Agency"));
        form->btnClose->click();
        stillOpen = form->isVisible();
        EXPECT_EQ(form->txtName->text(), QStringLiteral("Smith Agency"));
        form->btnCancel->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(prompter.Entries().size(), 1u);
    EXPECT_EQ(prompter.Entries()[0].kind, Prompter::Kind::Error);
    EXPECT_FALSE(profile.HasAgencyName());
}
