#include "core/Dates.h"
#include "storage/records/Quote.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(CustomerRecord, ClearedRecordIsUnsaved)
{
    TCustInfo customer;
    EXPECT_EQ(customer.CustomerNumber(), -1);
    EXPECT_EQ(customer.Key, -1);
    customer.SetCustomerNumber(17);
    customer.SetCompany("Acme");
    customer.SetNotes("call first");
    EXPECT_EQ(customer.Key, 17);
    customer.Clear();
    EXPECT_EQ(customer.CustomerNumber(), -1);
    EXPECT_EQ(customer.Key, -1);
    EXPECT_EQ(customer.Company(), "");
    EXPECT_EQ(customer.Notes(), "");
}

TEST(CustomerRecord, StateAndZipRules)
{
    TCustInfo customer;
    customer.SetState("Massachusetts");
    EXPECT_EQ(customer.State(), "Ma");
    customer.SetState("");
    EXPECT_EQ(customer.State(), "");
    customer.SetState("N");
    EXPECT_EQ(customer.State(), "N");

    customer.SetZip("  02134-  ");
    EXPECT_EQ(customer.Zip(), "02134");
    customer.SetZip("02134-1234");
    EXPECT_EQ(customer.Zip(), "02134-1234");
    customer.SetZip("02134--");
    EXPECT_EQ(customer.Zip(), "02134-") << "only one trailing dash goes";
}

TEST(CustomerRecord, BlankNameCompanyAndAddressTests)
{
    TCustInfo customer;
    customer.SetFirstName("  ");
    EXPECT_TRUE(customer.IsNameBlank());
    EXPECT_TRUE(customer.HasNoCompany());
    customer.SetLastName("Lee");
    EXPECT_FALSE(customer.IsNameBlank());

    EXPECT_TRUE(customer.IsAddressIncomplete());
    customer.SetStreet("1 Main St");
    customer.SetCity("Boston");
    customer.SetState("MA");
    EXPECT_TRUE(customer.IsAddressIncomplete());
    customer.SetZip("02110");
    EXPECT_FALSE(customer.IsAddressIncomplete());
}

namespace {

std::vector<std::string> CustomerFields(const TCustInfo &c)
{
    return {std::to_string(c.CustomerNumber()),
            std::to_string(c.Key),
            c.Company(),
            c.FirstName(),
            c.LastName(),
            c.Street(),
            c.City(),
            c.State(),
            c.Zip(),
            c.HomePhone(),
            c.WorkPhone(),
            c.Fax(),
            c.CustomerCode(),
            c.Notes()};
}

} // namespace

TEST(CustomerRecord, AssignCopiesEveryFieldAndCopiesQuoteHeaders)
{
    TQorRatingClient source;
    source.SetCustomerNumber(42);
    const std::vector<void (TCustInfo::*)(std::string_view)> setters {
        &TCustInfo::SetCompany, &TCustInfo::SetFirstName,    &TCustInfo::SetLastName,
        &TCustInfo::SetStreet,  &TCustInfo::SetCity,         &TCustInfo::SetState,
        &TCustInfo::SetZip,     &TCustInfo::SetHomePhone,    &TCustInfo::SetWorkPhone,
        &TCustInfo::SetFax,     &TCustInfo::SetCustomerCode, &TCustInfo::SetNotes};
    for (size_t i = 0; i < setters.size(); ++i) {
        (source.*setters[i])("v" + std::to_string(i));
    }
    auto header = std::make_unique<TCustLOBInfo>();
    header->SetQuoteID(7);
    header->SetLocationCity("Quincy");
    source.Quotes().Add(std::move(header));

    TQorRatingClient copy;
    copy.Assign(source);
    EXPECT_EQ(CustomerFields(copy), CustomerFields(source));
    ASSERT_EQ(copy.Quotes().Count(), 1);
    const auto &copied = dynamic_cast<const TCustLOBInfo &>(*copy.Quotes().Items(0));
    EXPECT_EQ(copied.QuoteID(), 7);
    EXPECT_EQ(copied.LocationCity(), "Quincy");
    EXPECT_NE(&copied, source.Quotes().Items(0)) << "a copy, not the source's header";

    copy.Clear();
    EXPECT_EQ(copy.Quotes().Count(), 0);
    EXPECT_EQ(source.Quotes().Count(), 1);
}

TEST(QuoteHeader, ClearAndTermRule)
{
    TCustLOBInfo header;
    EXPECT_EQ(header.QuoteID(), 0);
    EXPECT_EQ(header.TermMonths(), 12);
    EXPECT_DOUBLE_EQ(header.QuoteDate(), Today());
    for (int32_t months : {6, 12, 18, 24, 30, 36}) {
        header.SetTermMonths(months);
        EXPECT_EQ(header.TermMonths(), months);
    }
    for (int32_t months : {7, 48, 0, -6, 42}) {
        header.SetTermMonths(months);
        EXPECT_EQ(header.TermMonths(), 12) << months;
    }
    header.SetQuoteID(12);
    EXPECT_EQ(header.Key, 12);
    header.SetDescription("  ");
    EXPECT_TRUE(header.IsDescriptionBlank());
    header.SetDescription("Main shop");
    EXPECT_FALSE(header.IsDescriptionBlank());
    header.SetLocationStreet("2 Elm");
    header.Clear();
    EXPECT_EQ(header.QuoteID(), 0);
    EXPECT_EQ(header.LocationStreet(), "");
    EXPECT_TRUE(header.IsDescriptionBlank());
}

TEST(QuoteHeader, AssignKeepsIdentifiersUnlessTheSourceHasThem)
{
    TCustLOBInfo source;
    source.SetQuoteID(5);
    source.SetCustomerNumber(3);
    source.SetEffectiveDate(EncodeDate(2026, 3, 1));
    source.SetExpirationDate(EncodeDate(2027, 3, 1));
    source.SetTermMonths(6);
    source.SetState("NJ");
    source.SetPolicyNumber("WC-1");
    source.SetCompany("Insurer");
    source.SetDescription("Main shop");
    source.SetLineOfBusiness(1);
    source.SetLocationStreet("2 Elm");
    source.SetLocationZip("07102");
    const auto fields = [](const TCustLOBInfo &h) {
        return std::vector<std::string> {std::to_string(h.QuoteID()),
                                         std::to_string(h.Key),
                                         std::to_string(h.CustomerNumber()),
                                         DateToStr(h.EffectiveDate()),
                                         DateToStr(h.ExpirationDate()),
                                         std::to_string(h.TermMonths()),
                                         h.State(),
                                         h.PolicyNumber(),
                                         h.Company(),
                                         h.Description(),
                                         std::to_string(h.LineOfBusiness()),
                                         h.LocationStreet(),
                                         h.LocationZip()};
    };

    TCustLOBInfo target;
    target.SetIdentifier1("KEEP-1");
    target.SetIdentifier2("KEEP-2");
    target.Assign(source);
    EXPECT_EQ(fields(target), fields(source));
    EXPECT_EQ(target.Identifier1(), "KEEP-1") << "the source's are blank";
    source.SetIdentifier1("NEW-1");
    target.Assign(source);
    EXPECT_EQ(target.Identifier1(), "NEW-1");
    EXPECT_EQ(target.Identifier2(), "KEEP-2");

    // A plain header carries no location: the target keeps its own.
    TQuoteInfo plain;
    plain.SetQuoteID(9);
    target.Assign(plain);
    EXPECT_EQ(target.QuoteID(), 9);
    EXPECT_EQ(target.LocationStreet(), "2 Elm");
}

namespace {

class TRecordingRateInfo : public TRateInfo
{ };

class TTestQuote : public TQuote
{
public:
    using TQuote::TQuote;
    int created = 0;

protected:
    std::unique_ptr<TRateInfo> CreateRateInfo() override
    {
        ++created;
        return std::make_unique<TRecordingRateInfo>();
    }
};

} // namespace

TEST(QuoteBase, StateLineOfBusinessIdentifiersAndRateInfo)
{
    TTestQuote quote(1, "MA");
    EXPECT_EQ(quote.QuoteInfo().LineOfBusiness(), 1);
    EXPECT_EQ(quote.QuoteInfo().State(), "MA");
    EXPECT_EQ(quote.Customer().State(), "MA");
    EXPECT_EQ(quote.Customer().CustomerNumber(), -1);
    EXPECT_EQ(quote.QuoteInfo().Identifier1().size(), 36u);
    EXPECT_NE(quote.QuoteInfo().Identifier1(), quote.QuoteInfo().Identifier2());

    EXPECT_NE(dynamic_cast<TRecordingRateInfo *>(&quote.RateInfo()), nullptr)
        << "the descendant's factory makes the rate information";
    quote.RateInfo();
    EXPECT_EQ(quote.created, 1);

    TQuote plain(1, "NJ");
    EXPECT_NE(dynamic_cast<TBasicWCRateInfo *>(&plain.RateInfo()), nullptr);
}
