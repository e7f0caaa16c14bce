#include "ui/CustomerDialog.h"
#include "core/Text.h"
#include "storage/VereDivoCustDBO.h"
#include "storage/VereDivoQuoteDBInterface.h"
#include "ui/LoadQuotation.h"

#include "UiFixture.h"
#include "support/ModalScript.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

class CustomerDialog : public UiFixture
{
protected:
    // Stores a quote of a customer of that company (with `quotes` quotes); its number.
    int32_t StoreCustomer(const std::string &company, int quotes = 1)
    {
        int32_t number = -1;
        for (int i = 0; i < quotes; ++i) {
            auto quote = NewQuote("MA", EncodeDate(2026, 7, 15));
            quote->LoadClassBook();
            TVereDivoClass *line = quote->FindClass("5183", "");
            line->SetPayroll(50000 + 1000 * i);
            quote->AppendClass(*line);
            quote->Customer().SetCustomerNumber(number);
            quote->Customer().SetCompany(company);
            quote->Customer().SetFirstName("Ann");
            quote->Customer().SetCity("Salem");
            quote->QuoteInfo().SetDescription(company + " site " + IntText(i + 1));
            EXPECT_TRUE(info->QuoteDB().SaveQuote(*quote));
            number = quote->Customer().CustomerNumber();
        }
        return number;
    }
};

TEST_F(CustomerDialog, DoneChecksTheFieldsInOrder)
{
    auto quote = NewQuote("MA", EncodeDate(2026, 7, 15));
    TfrmCustInfo dialog(*quote, true, info.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Customer/Quote Information"));

    std::vector<std::pair<QLineEdit *, std::string>> steps = {
        {dialog.txtCompany, "You must provide a Company Name or click Cancel"},
        {dialog.txtFirst, "Please provide a First Name"},
        {dialog.txtLast, "Please provide a Last Name"},
        {dialog.txtStreet, "Please provide a Street"},
        {dialog.txtCity, "Please provide a City"},
        {dialog.txtState, "Please provide a State"},
        {dialog.txtZip, "Please provide a Zip Code"},
        {dialog.txtWork, "Please provide a Work Phone"},
    };
    dialog.txtState->clear(); // a new customer starts with the quote's state
    for (const auto &[field, message] : steps) {
        prompter.Clear();
        dialog.btnDone->click();
        EXPECT_THAT(prompter.Texts(), ElementsAre(message));
        EXPECT_TRUE(field->hasFocus()) << message;
        EXPECT_TRUE(dialog.isVisible());
        // The phone's literals are no phone number: only digits count.
        QTest::keyClicks(field, field == dialog.txtWork ? "6175550142" : "MA");
    }
    prompter.Clear();
    dialog.chkSame->setChecked(false);
    dialog.txtLOBDescription->clear();
    dialog.btnDone->click();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("You must either provide a Quote Description or "
                            "choose to copy the Customer Information"));
    EXPECT_TRUE(dialog.txtLOBDescription->hasFocus());
    prompter.Clear();
    QTest::keyClicks(dialog.txtLOBDescription, "Main office");
    dialog.btnDone->click();
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(quote->Customer().Company(), "MA");
    EXPECT_EQ(quote->Customer().WorkPhone(), "(617)555-0142");
    EXPECT_EQ(quote->QuoteInfo().Description(), "Main office");
}

TEST_F(CustomerDialog, SameAsCustomerCopiesWhileChecked)
{
    auto quote = NewQuote("MA", EncodeDate(2026, 7, 15));
    quote->Customer().SetCompany("Acme");
    quote->Customer().SetStreet("1 Main St");
    quote->Customer().SetCity("Boston");
    quote->Customer().SetZip("02134");
    TCustLOBInfo &header = quote->QuoteInfo();
    header.SetDescription("Acme");
    header.SetLocationStreet("1 Main St");
    header.SetLocationCity("Boston");
    header.SetLocationState("MA");
    header.SetLocationZip("02134");
    TfrmCustInfo dialog(*quote, false, info.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(dialog.chkSame->isChecked());
    EXPECT_EQ(dialog.txtEffective->text(), QStringLiteral("07/15/2026"));
    EXPECT_EQ(dialog.txtExpiration->text(), QStringLiteral("07/15/2027"));

    dialog.txtCompany->end(false);
    QTest::keyClicks(dialog.txtCompany, " Roofing");
    dialog.txtCity->end(false);
    QTest::keyClicks(dialog.txtCity, "ia");
    EXPECT_EQ(dialog.txtLOBDescription->text(), QStringLiteral("Acme Roofing"));
    EXPECT_EQ(dialog.txtLOBCity->text(), QStringLiteral("Bostonia"));
    // Typing in the quote's own fields makes them its own.
    dialog.txtLOBStreet->end(false);
    QTest::keyClicks(dialog.txtLOBStreet, "0");
    EXPECT_FALSE(dialog.chkSame->isChecked());
    dialog.txtZip->end(false);
    QTest::keyClicks(dialog.txtZip, "9");
    EXPECT_EQ(dialog.txtLOBZip->text(), QStringLiteral("02134"));
    // Checking copies the four again; unchecking sends the agent to the description.
    dialog.chkSame->click();
    EXPECT_EQ(dialog.txtLOBStreet->text(), QStringLiteral("1 Main St"));
    EXPECT_EQ(dialog.txtLOBZip->text(), QStringLiteral("021349"));
    dialog.chkSame->click();
    EXPECT_TRUE(dialog.txtLOBDescription->hasFocus());

    // Cancel leaves the customer as it was.
    dialog.btnCancel->click();
    EXPECT_EQ(quote->Customer().Company(), "Acme");
    EXPECT_EQ(quote->Customer().City(), "Boston");
}

TEST_F(CustomerDialog, AWorksheetOnlyPlanAsksForTheCustomerAlone)
{
    // Broker 6's New Jersey plan prints only the worksheet.
    auto quote = NewQuote("NJ", EncodeDate(2026, 7, 15), 6);
    TfrmCustInfo dialog(*quote, false, info.get());
    dialog.show();
    EXPECT_FALSE(dialog.QuoteGroupShown());
    EXPECT_FALSE(dialog.grpQuote->isVisible());
    EXPECT_FALSE(dialog.chkSame->isVisible());
    EXPECT_FALSE(dialog.btnSelectCustomer->isVisible());
    EXPECT_EQ(dialog.btnDone->y(), 216);
    EXPECT_EQ(dialog.btnCancel->y(), 216);
    EXPECT_EQ(dialog.height(), 277);
    QTest::keyClicks(dialog.txtCompany, "Diner");
    dialog.btnDone->click();
    EXPECT_THAT(prompter.Texts(), IsEmpty());
    EXPECT_EQ(quote->Customer().Company(), "Diner");
}

TEST_F(CustomerDialog, MnemonicsActOnlyWithAlt)
{
    auto quote = NewQuote("MA", EncodeDate(2026, 7, 15));
    TfrmCustInfo dialog(*quote, false, info.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.btnSelectCustomer->setFocus();
    QTest::keyClick(dialog.btnSelectCustomer, Qt::Key_D);
    QTest::keyClick(dialog.btnSelectCustomer, Qt::Key_C);
    EXPECT_TRUE(dialog.isVisible());
    // Alt and a letter reach its field: "&Company:".
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(dialog.txtCompany->hasFocus());
    // Enter moves on like Tab, and presses a button under the focus.
    QTest::keyClick(dialog.txtCompany, Qt::Key_Return);
    EXPECT_TRUE(dialog.txtFirst->hasFocus());
    EXPECT_TRUE(dialog.isVisible());
    dialog.btnCancel->setFocus();
    QTest::keyClick(dialog.btnCancel, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(CustomerDialog, ACurrentCustomerIsChosenFromTheStoredOnes)
{
    const int32_t acme = StoreCustomer("Acme Roofing");
    StoreCustomer("Bay Bakery");
    auto quote = NewQuote("MA", EncodeDate(2026, 7, 15));
    TfrmCustInfo dialog(*quote, false, info.get());
    dialog.show();
    ModalScript script;
    script.Then([](QWidget *modal) {
        auto *window = qobject_cast<TfrmLoadQuotation *>(modal);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Select Customer"));
        EXPECT_EQ(window->lblInstruction->text(),
                  QStringLiteral("Choose the Customer this new quote is for:"));
        EXPECT_FALSE(window->btnDelete->isEnabled());
        window->btnOK->click();
        EXPECT_TRUE(window->isVisible());
        window->tvCustomers->setCurrentItem(window->tvCustomers->topLevelItem(0));
        window->btnOK->click();
    });
    dialog.btnSelectCustomer->click();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("You must choose a customer to assign this quote to or hit Cancel"));
    EXPECT_EQ(dialog.txtCompany->text(), QStringLiteral("Acme Roofing"));
    EXPECT_EQ(dialog.txtCity->text(), QStringLiteral("Salem"));
    EXPECT_FALSE(dialog.chkSame->isChecked());
    EXPECT_EQ(quote->Customer().CustomerNumber(), acme);
    // Cancel undoes the choice too.
    dialog.btnCancel->click();
    EXPECT_EQ(quote->Customer().CustomerNumber(), -1);
}

TEST_F(CustomerDialog, LoadQuotationListsCustomersAndTheirQuotesWhenOpened)
{
    const int32_t two = StoreCustomer("bay bakery", 2);
    const int32_t one = StoreCustomer("Acme Roofing");
    StoreCustomer("Cape Landscaping");
    TVereDivoCustDBO &store = info->QuoteDB().CustDBO();
    TfrmLoadQuotation window(store, TfrmLoadQuotation::TMode::OpenQuote);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Load Quotation"));
    ASSERT_EQ(window.tvCustomers->topLevelItemCount(), 3);
    EXPECT_EQ(window.tvCustomers->topLevelItem(0)->text(0), QStringLiteral("Acme Roofing"));
    EXPECT_EQ(window.tvCustomers->topLevelItem(1)->text(0), QStringLiteral("bay bakery"));
    // Quotes are read when a customer opens.
    QTreeWidgetItem *bakery = window.tvCustomers->topLevelItem(1);
    EXPECT_EQ(bakery->childCount(), 0);
    EXPECT_FALSE(window.btnOK->isEnabled());

    // OK on a customer with several quotes shows them and selects the first.
    window.tvCustomers->setCurrentItem(bakery);
    window.btnOK->click();
    EXPECT_EQ(window.result(), 0);
    ASSERT_EQ(bakery->childCount(), 2);
    EXPECT_TRUE(bakery->isExpanded());
    EXPECT_EQ(window.tvCustomers->currentItem(), bakery->child(0));
    EXPECT_TRUE(bakery->child(0)->text(0).startsWith(QStringLiteral("bay bakery site 1 [")));
    // Deleting a quote asks first.
    prompter.QueueAnswer(Prompter::Answer::Yes);
    window.btnDelete->click();
    EXPECT_THAT(prompter.Texts(), ElementsAre("Are you sure you wish to delete this quote?"));
    EXPECT_EQ(bakery->childCount(), 1);
    EXPECT_EQ(store.ListQuotes(two).size(), 1u);

    // By keys: down to the customer, open it, take its quote with Enter.
    {
        TfrmLoadQuotation keys(store, TfrmLoadQuotation::TMode::OpenQuote);
        keys.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&keys));
        QTest::keyClick(keys.tvCustomers, Qt::Key_Home);
        QTest::keyClick(keys.tvCustomers, Qt::Key_Down);
        QTest::keyClick(keys.tvCustomers, Qt::Key_Right);
        QTest::keyClick(keys.tvCustomers, Qt::Key_Down);
        QTest::keyClick(keys.tvCustomers, Qt::Key_Return);
        EXPECT_EQ(keys.result(), QDialog::Accepted);
        EXPECT_EQ(keys.SelectedCustomer(), two);
        EXPECT_EQ(keys.SelectedQuoteID(), store.ListQuotes(two).front()->QuoteID());
    }

    // OK on a customer with one quote opens it.
    window.tvCustomers->setCurrentItem(window.tvCustomers->topLevelItem(0));
    window.btnOK->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(window.SelectedCustomer(), one);
    EXPECT_EQ(window.SelectedQuoteID(), store.ListQuotes(one).front()->QuoteID());

    // A customer goes with all its quotes, after a question.
    prompter.Clear();
    TfrmLoadQuotation again(store, TfrmLoadQuotation::TMode::OpenQuote);
    again.btnDelete->click();
    again.tvCustomers->setCurrentItem(again.tvCustomers->topLevelItem(1));
    prompter.QueueAnswer(Prompter::Answer::No);
    again.btnDelete->click();
    prompter.QueueAnswer(Prompter::Answer::Yes);
    again.btnDelete->click();
    EXPECT_THAT(prompter.Texts(),
                ElementsAre("You have not selected a client to delete",
                            "Deleting this client will remove all related quotes.  Do you wish "
                            "to continue?",
                            "Deleting this client will remove all related quotes.  Do you wish "
                            "to continue?"));
    EXPECT_EQ(again.tvCustomers->topLevelItemCount(), 2);
    EXPECT_EQ(store.ListCustomers().size(), 2u);
    EXPECT_TRUE(store.ListQuotes(two).empty());
}

} // namespace
