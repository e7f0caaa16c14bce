#include "RateRequest.h"

#include "core/Encoding.h"
#include "core/Errors.h"
#include "core/Text.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

using json = nlohmann::ordered_json;

namespace {

[[noreturn]] void Fail(const std::string &where, const std::string &why)
{
    throw ERateRequestError(where + ": " + why);
}

std::string TextMember(const json &object, const char *key, const std::string &where, bool required)
{
    const auto found = object.find(key);
    if (found == object.end()) {
        if (required) {
            Fail(where, std::string("\"") + key + "\" is missing");
        }
        return {};
    }
    if (!found->is_string()) {
        Fail(where + "." + key, "expected a text in double quotes");
    }
    return found->get<std::string>();
}

// A number: a JSON number, or a text holding one ("12,500").
double NumberValue(const json &value, const std::string &at)
{
    double number = 0;
    if (value.is_number()) {
        number = value.get<double>();
    } else if (value.is_string()) {
        const std::string text = ReplaceAll(Trim(value.get<std::string>()), ",", "");
        if (!TryStrToFloat(text, number)) {
            Fail(at, "\"" + value.get<std::string>() + "\" is not a number");
        }
    } else {
        Fail(at, "expected a number");
    }
    return number;
}

// A whole number of dollars or employees.
int32_t WholeValue(const json &item, const std::string &at)
{
    const double value = NumberValue(item, at);
    if (!std::isfinite(value) || value < 0 ||
        value > static_cast<double>(std::numeric_limits<int32_t>::max())) {
        Fail(at, "must be a whole number from 0 to 2147483647");
    }
    if (value != std::floor(value)) {
        Fail(at, "must be a whole number");
    }
    return static_cast<int32_t>(value);
}

int32_t WholeMember(const json &object, const char *key, const std::string &where)
{
    const auto found = object.find(key);
    return found == object.end() ? 0 : WholeValue(*found, where + "." + key);
}

void CheckKeys(const json &object, const std::string &where,
               std::initializer_list<const char *> known)
{
    for (const auto &item : object.items()) {
        bool ok = false;
        for (const char *key : known) {
            ok = ok || item.key() == key;
        }
        if (!ok) {
            Fail(where, "unknown member \"" + item.key() + "\"");
        }
    }
}

} // namespace

TRateRequest ParseRateRequest(const std::string &text, const char *source)
{
    json root;
    try {
        root = json::parse(text);
    } catch (const json::exception &error) { // a syntax error, or a number beyond a double
        throw ERateRequestError("the " + std::string(source) +
                                " is not valid JSON: " + error.what());
    }
    if (!root.is_object()) {
        Fail("quote", "expected an object { ... }");
    }
    CheckKeys(root, "quote",
              {"state", "broker", "effective", "classes", "inputs", "customer", "quote", "agency"});

    TRateRequest request;
    request.State = Trim(TextMember(root, "state", "quote", true));
    // A quote keeps two characters of its state: "MAX" must not be rated as "MA".
    if (request.State.size() != 2) {
        Fail("quote.state", "\"" + request.State + "\" is not a state's two-letter abbreviation");
    }
    if (root.contains("broker")) {
        request.Broker = WholeMember(root, "broker", "quote");
    }
    const std::string effective = Trim(TextMember(root, "effective", "quote", false));
    if (!effective.empty() && !TryStrToDate(effective, request.Effective)) {
        Fail("quote.effective", "\"" + effective + "\" is not a date (mm/dd/yyyy)");
    }

    if (const auto classes = root.find("classes"); classes != root.end()) {
        if (!classes->is_array()) {
            Fail("quote.classes", "expected a list [ ... ]");
        }
        size_t n = 0;
        for (const json &item : *classes) {
            const std::string where = "quote.classes[" + std::to_string(n++) + "]";
            if (!item.is_object()) {
                Fail(where, "expected an object { ... }");
            }
            CheckKeys(item, where,
                      {"code", "subcode", "payroll", "employees", "deviation", "entries"});
            TRateRequest::ClassLine line;
            line.Code = Utf8ToWindows1252(Trim(TextMember(item, "code", where, true)));
            line.SubCode = Utf8ToWindows1252(Trim(TextMember(item, "subcode", where, false)));
            line.Payroll = WholeMember(item, "payroll", where);
            line.Employees = WholeMember(item, "employees", where);
            line.HasPayroll = item.contains("payroll");
            line.HasEmployees = item.contains("employees");
            if (const auto deviation = item.find("deviation"); deviation != item.end()) {
                line.HasDeviation = true;
                line.Deviation = NumberValue(*deviation, where + ".deviation");
                line.DeviationText = deviation->is_string() ? Trim(deviation->get<std::string>())
                                                            : deviation->dump();
                if (!std::isfinite(line.Deviation)) {
                    Fail(where + ".deviation", "must be a number");
                }
            }
            if (const auto entries = item.find("entries"); entries != item.end()) {
                if (!entries->is_array()) {
                    Fail(where + ".entries", "expected a list of payrolls [ ... ]");
                }
                line.HasEntries = true;
                size_t e = 0;
                for (const json &entry : *entries) {
                    line.Entries.push_back(
                        WholeValue(entry, where + ".entries[" + std::to_string(e++) + "]"));
                }
            }
            request.Classes.push_back(line);
        }
    }

    if (const auto inputs = root.find("inputs"); inputs != root.end()) {
        if (!inputs->is_object()) {
            Fail("quote.inputs", "expected an object { \"txtExpMod\": \"0.95\", ... }");
        }
        for (const auto &item : inputs->items()) {
            TRateRequest::Input input;
            input.Name = Utf8ToWindows1252(item.key());
            const json &value = item.value();
            if (value.is_boolean()) {
                input.IsFlag = true;
                input.Checked = value.get<bool>();
            } else if (value.is_string()) {
                input.Text = value.get<std::string>();
            } else if (value.is_number()) {
                input.Text = value.dump();
            } else {
                Fail("quote.inputs." + item.key(), "expected a text, a number, true or false");
            }
            request.Inputs.push_back(input);
        }
    }
    if (const auto customer = root.find("customer"); customer != root.end()) {
        const std::string where = "quote.customer";
        if (!customer->is_object()) {
            Fail(where, "expected an object { \"company\": \"...\", ... }");
        }
        CheckKeys(*customer, where,
                  {"number", "company", "first", "last", "street", "city", "state", "zip", "phone",
                   "work", "fax", "notes"});
        TRateRequest::CustomerFields &c = request.Customer;
        if (customer->contains("number")) {
            c.Number = WholeMember(*customer, "number", where);
            if (c.Number <= 0) {
                Fail(where + ".number", "must be a stored customer's number (1 or more)");
            }
        }
        const auto text = [&](const char *key) {
            return Utf8ToWindows1252(Trim(TextMember(*customer, key, where, false)));
        };
        c.Company = text("company");
        c.First = text("first");
        c.Last = text("last");
        c.Street = text("street");
        c.City = text("city");
        c.State = text("state");
        c.Zip = text("zip");
        c.Phone = text("phone");
        c.Work = text("work");
        c.Fax = text("fax");
        c.Notes = text("notes");
    }
    if (const auto quote = root.find("quote"); quote != root.end()) {
        const std::string where = "quote.quote";
        if (!quote->is_object()) {
            Fail(where, "expected an object { \"description\": \"...\", ... }");
        }
        CheckKeys(*quote, where,
                  {"description", "street", "city", "state", "zip", "policy", "company"});
        TRateRequest::QuoteFields &q = request.Quote;
        const auto text = [&](const char *key) {
            return Utf8ToWindows1252(Trim(TextMember(*quote, key, where, false)));
        };
        q.Description = text("description");
        q.Street = text("street");
        q.City = text("city");
        q.State = text("state");
        q.Zip = text("zip");
        q.Policy = text("policy");
        q.Company = text("company");
    }
    if (const auto agency = root.find("agency"); agency != root.end()) {
        const std::string where = "quote.agency";
        if (!agency->is_object()) {
            Fail(where, "expected an object { \"name\": \"...\", ... }");
        }
        CheckKeys(*agency, where,
                  {"name", "attn", "street", "city", "state", "zip", "phone", "fax", "email",
                   "producer"});
        TAgencyAddress &a = request.Agency;
        const auto text = [&](const char *key) {
            return Utf8ToWindows1252(Trim(TextMember(*agency, key, where, false)));
        };
        request.AgencyGiven = true;
        a.Name = text("name");
        a.Attention = text("attn");
        a.Street = text("street");
        a.City = text("city");
        a.State = text("state");
        a.Zip = text("zip");
        a.Phone = text("phone");
        a.Fax = text("fax");
        a.EMail = text("email");
        a.ProducerId = text("producer");
    }
    return request;
}
