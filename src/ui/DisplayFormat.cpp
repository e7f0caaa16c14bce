#include "ui/DisplayFormat.h"

#include "core/Text.h"

#include <cmath>

namespace {

// The sections of a display format, split at ";" outside quotes.
std::vector<std::string> Sections(const std::string &format)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (const char c : format) {
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

bool IsPlaceholder(char c)
{
    return c == '0' || c == '#' || c == '.' || c == ',';
}

struct TSection
{
    std::string Prefix;
    std::string Suffix;
    int IntegerZeros = 0;
    int DecimalZeros = 0;
    int DecimalPlaces = 0;
    bool Grouping = false;
    bool HasDigits = false;
};

TSection ParseSection(const std::string &text)
{
    TSection section;
    bool afterPoint = false;
    bool digitsStarted = false;
    std::string trailing; // literals met after a placeholder, a suffix unless more follow
    char quote = 0;
    for (const char c : text) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                (digitsStarted ? trailing : section.Prefix) += c;
            }
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (!IsPlaceholder(c)) {
            (digitsStarted ? trailing : section.Prefix) += c;
            continue;
        }
        // Literals between placeholders are not part of a number the program shows.
        trailing.clear();
        digitsStarted = true;
        section.HasDigits = section.HasDigits || c == '0' || c == '#';
        if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            section.Grouping = section.Grouping || !afterPoint;
        } else if (afterPoint) {
            ++section.DecimalPlaces;
            section.DecimalZeros += c == '0' ? 1 : 0;
        } else {
            section.IntegerZeros += c == '0' ? 1 : 0;
        }
    }
    section.Suffix = trailing;
    return section;
}

std::string Grouped(const std::string &digits)
{
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string FormatSection(const TSection &section, double magnitude, bool minus)
{
    if (!section.HasDigits) {
        return section.Prefix + section.Suffix;
    }
    std::string number = FixedText(magnitude, section.DecimalPlaces);
    std::string integer = number;
    std::string fraction;
    if (const size_t point = number.find('.'); point != std::string::npos) {
        integer = number.substr(0, point);
        fraction = number.substr(point + 1);
    }
    while (static_cast<int>(fraction.size()) > section.DecimalZeros && !fraction.empty() &&
           fraction.back() == '0') {
        fraction.pop_back();
    }
    if (integer == "0" && section.IntegerZeros == 0) {
        integer.clear();
    }
    while (static_cast<int>(integer.size()) < section.IntegerZeros) {
        integer.insert(integer.begin(), '0');
    }
    if (section.Grouping) {
        integer = Grouped(integer);
    }
    std::string text = integer + (fraction.empty() ? "" : "." + fraction);
    return (minus ? "-" : "") + section.Prefix + text + section.Suffix;
}

} // namespace

std::string FormatFloat(const std::string &format, double value, int decimals)
{
    if (Trim(format).empty()) {
        return FixedText(value, decimals);
    }
    const std::vector<std::string> sections = Sections(format);
    const TSection positive = ParseSection(sections[0]);
    const double magnitude = std::fabs(value);
    // The zero section is for values that show as zero in the positive section.
    const bool zero = std::stod("0" + FixedText(magnitude, positive.DecimalPlaces)) == 0;
    if (zero && sections.size() >= 3 && !sections[2].empty()) {
        return FormatSection(ParseSection(sections[2]), 0, false);
    }
    if (value < 0 && !zero) {
        if (sections.size() >= 2 && !sections[1].empty()) {
            return FormatSection(ParseSection(sections[1]), magnitude, false);
        }
        return FormatSection(positive, magnitude, true);
    }
    return FormatSection(positive, magnitude, false);
}

TEditMask ConvertEditMask(const std::string &mask)
{
    TEditMask result;
    // The fields: the mask itself, whether literals are kept, the blank character.
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == '\\' && i + 1 < mask.size()) {
            fields.back() += mask.substr(i, 2);
            ++i;
        } else if (mask[i] == ';') {
            fields.emplace_back();
        } else {
            fields.back() += mask[i];
        }
    }
    if (fields[0].empty()) {
        return result;
    }
    if (fields.size() >= 2) {
        result.SaveLiterals = Trim(fields[1]) != "0";
    }
    if (fields.size() >= 3 && !fields[2].empty()) {
        result.Blank = QLatin1Char(fields[2][0]);
    }

    const std::string &source = fields[0];
    QString qt;
    const auto literal = [&](char c, bool escaped) {
        static const std::string special = "AaNnXx90Dd#HhBb><!{}[]\\";
        if (escaped || special.find(c) != std::string::npos) {
            qt += QLatin1Char('\\');
        }
        qt += QLatin1Char(c);
        result.Literal.push_back(true);
    };
    const auto slot = [&](char c) {
        qt += QLatin1Char(c);
        result.Literal.push_back(false);
    };
    for (size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        switch (c) {
        case '!':
            break; // trimming of blanks: the text is trimmed when it is read
        case '\\':
            if (i + 1 < source.size()) {
                literal(source[++i], true);
            }
            break;
        case '<':
            if (i + 1 < source.size() && source[i + 1] == '>') {
                qt += QLatin1Char('!');
                ++i;
            } else {
                qt += QLatin1Char('<');
            }
            break;
        case '>':
            qt += QLatin1Char('>');
            break;
        case '0':
            slot('9');
            break;
        case '9':
            slot('0');
            break;
        case '#':
            slot('#');
            break;
        case 'L':
            slot('A');
            break;
        case 'l':
            slot('a');
            break;
        case 'A':
            slot('N');
            break;
        case 'a':
            slot('n');
            break;
        case 'C':
            slot('X');
            break;
        case 'c':
            slot('x');
            break;
        case '_':
            literal(' ', false);
            break;
        default:
            literal(c, false);
            break;
        }
    }
    result.QtMask = qt + QLatin1Char(';') + result.Blank;
    return result;
}

QString MaskedText(const QString &displayText, const TEditMask &mask)
{
    if (mask.QtMask.isEmpty()) {
        return displayText;
    }
    QString text;
    bool typed = false;
    for (qsizetype i = 0; i < displayText.size(); ++i) {
        const bool isLiteral =
            static_cast<size_t>(i) < mask.Literal.size() && mask.Literal[static_cast<size_t>(i)];
        const QChar c = displayText[i];
        if (isLiteral) {
            if (mask.SaveLiterals) {
                text += c;
            }
        } else if (c == mask.Blank) {
            text += QLatin1Char(' ');
        } else {
            typed = true;
            text += c;
        }
    }
    return typed ? text.trimmed() : QString();
}
