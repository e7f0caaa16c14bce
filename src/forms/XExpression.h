#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The horizontal position of a form text: terms joined by "+" and "-" (signs inside double
// quotes do not count). A term is a number of columns or LNWIDTH("descriptor", "text"), the
// width of the text in Arial at the descriptor's size. Values are thousandths of an inch.

struct TXTerm
{
    bool Negative = false;
    bool IsWidth = false;
    int32_t Value = 0; // a number term: columns in hundredths (= thousandths of an inch)
    int32_t FontHeight = 0; // a width term: whole points * 1000 div 72
    bool Bold = false; // a width term: the descriptor holds "B"
    std::string Text; // a width term: the text measured
};

// Splits and reads the expression; raises the form data error on a malformed term.
std::vector<TXTerm> ParseXExpression(std::string_view expression);

// Width of `text` in Arial with the font height (em, thousandths of an inch), in thousandths.
using TTextWidthFunction =
    std::function<int32_t(const std::string &text, int32_t fontHeight, bool bold)>;

// The value of the expression, measuring width terms with `width`.
int32_t EvaluateXExpression(std::string_view expression, const TTextWidthFunction &width);
int32_t EvaluateXTerms(const std::vector<TXTerm> &terms, const TTextWidthFunction &width);
