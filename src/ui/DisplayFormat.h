#pragma once

// The two small languages the input tables write their formats in: display formats of number
// fields ("$,0;$-,0", sections for positive, negative and zero values) and edit masks of masked
// fields ("!\(999\)000-0000;1;_"). The widgets speak Qt's own mask language.

#include <QString>

#include <string>
#include <vector>

// The number written by a display format: in its section ("positive;negative;zero", a
// negative section shows the magnitude), "0" a digit always shown, "#" a digit shown when
// needed, "." the decimal point, "," anywhere before it groups thousands, quoted text and any
// other character as written before or after the digits. An empty format gives the plain
// number with `decimals` places.
std::string FormatFloat(const std::string &format, double value, int decimals = 0);

// A masked field's mask in Qt's language, and what its text keeps.
struct TEditMask
{
    QString QtMask; // for QLineEdit::setInputMask; empty: no mask
    bool SaveLiterals = true; // the text keeps the mask's literal characters
    QChar Blank = QLatin1Char('_'); // shown in positions not typed yet
    std::vector<bool> Literal; // per position of the shown text
};

// "0" a required digit, "9" an optional digit, "#" an optional digit or sign, "L"/"l" letters,
// "A"/"a" letters or digits, "C"/"c" any character, ">" "<" "<>" case, "\" the next character
// literally, a leading "!" (trims blanks; Qt has none); then ";0" or ";1" (keep literals) and
// the blank character.
TEditMask ConvertEditMask(const std::string &mask);

// The text a masked field holds: the digits and letters typed with the literals kept or not;
// empty when nothing was typed at all.
QString MaskedText(const QString &displayText, const TEditMask &mask);
