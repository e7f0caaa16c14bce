#include "forms/XExpression.h"

#include "core/Text.h"
#include "forms/FormErrors.h"
#include "forms/FormNumbers.h"

namespace {

// The terms with the sign before each ('+' for the first).
std::vector<std::pair<char, std::string_view>> SplitTerms(std::string_view expression)
{
    std::vector<std::pair<char, std::string_view>> terms;
    char sign = '+';
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i < expression.size(); ++i) {
        const char c = expression[i];
        if (c == '"' && (i == 0 || expression[i - 1] != '\\')) {
            quoted = !quoted;
        } else if (!quoted && (c == '+' || c == '-')) {
            terms.emplace_back(sign, expression.substr(start, i - start));
            sign = c;
            start = i + 1;
        }
    }
    terms.emplace_back(sign, expression.substr(start));
    return terms;
}

TXTerm WidthTerm(std::string_view term)
{
    const std::string descriptorError =
        std::string(kFormDataCorrupt) + "  Error in offset font descriptor.";
    const std::string textError = std::string(kFormDataCorrupt) + "  Error in offset.";
    TXTerm result;
    result.IsWidth = true;
    const size_t open = term.find('"', term.find("LNWIDTH"));
    if (open == std::string_view::npos) {
        throw EFormDataError(descriptorError);
    }
    const size_t close = term.find('"', open + 1);
    if (close == std::string_view::npos) {
        throw EFormDataError(descriptorError);
    }
    const std::string descriptor = std::string(term.substr(open + 1, close - open - 1));
    if (descriptor.size() < 3) {
        throw EFormDataError(descriptorError);
    }
    const double points =
        FormFloatOf(descriptor.substr(0, descriptor.size() - 2), "font size") / 100.0;
    result.FontHeight = RoundHalfEven(points) * 1000 / 72;
    result.Bold = descriptor.find('B') != std::string::npos;
    size_t at = term.find('"', close + 1);
    if (at == std::string_view::npos) {
        throw EFormDataError(textError);
    }
    for (++at; at < term.size() && term[at] != '"'; ++at) {
        if (term[at] == '\\') {
            ++at;
            if (at >= term.size()) {
                break;
            }
        }
        result.Text += term[at];
    }
    if (at >= term.size()) {
        throw EFormDataError(textError);
    }
    return result;
}

} // namespace

std::vector<TXTerm> ParseXExpression(std::string_view expression)
{
    std::vector<TXTerm> terms;
    for (const auto &[sign, text] : SplitTerms(expression)) {
        TXTerm term;
        if (text.find("LNWIDTH") != std::string_view::npos) {
            term = WidthTerm(text);
        } else if (!Trim(text).empty()) {
            term.Value = HundredthsOf(text, "position");
        }
        term.Negative = sign == '-';
        terms.push_back(std::move(term));
    }
    return terms;
}

int32_t EvaluateXTerms(const std::vector<TXTerm> &terms, const TTextWidthFunction &width)
{
    int64_t value = 0;
    for (const TXTerm &term : terms) {
        const int64_t part =
            term.IsWidth ? (width ? width(term.Text, term.FontHeight, term.Bold) : 0) : term.Value;
        value += term.Negative ? -part : part;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

int32_t EvaluateXExpression(std::string_view expression, const TTextWidthFunction &width)
{
    return EvaluateXTerms(ParseXExpression(expression), width);
}
