#pragma once

// Printing of the plain text documents delivered with the program (closing texts, notices),
// with a few inline markup tags, matched without regard to case anywhere in a line:
// "\NEWPAGE", "\BOLD", "\ITALIC", "\UNDERLINE", "\SIZE(n)", "\CENTER", and "\INDENT" n "%"
// (segments of one line at n percent of the page width; -1 is the left margin).
//
// Positions are device units of the canvas; the vertical position y belongs to the caller and
// moves as lines print. A line is the height of "M" plus 8; a page ends half an inch and one line
// above its bottom edge, and a new page continues 5 lines from its top.

#include "core/Canvas.h"

#include <cstdint>
#include <string>

// Prints the file; a missing file shows "The document <file> does not exist" and gives false.
// Text ends at the first NUL byte.
bool PrintDocumentFile(Canvas &canvas, const std::string &fileName, int32_t leftMargin, int32_t &y);
// Prints text with word wrap between the left margin and the page width less the left margin;
// CR LF (or a lone CR or LF) ends a line. A word wider than the whole width stands on a line of
// its own.
void PrintText(Canvas &canvas, const std::string &text, int32_t leftMargin, int32_t &y);
// Draws one line with its markup (the font comes back afterwards), then advances one line.
// A "\SIZE(" or "\INDENT" number that is not a whole number raises EConvertError.
void PrintLine(Canvas &canvas, const std::string &text, int32_t leftMargin, int32_t &y);
// y moves n lines; past the bottom limit a new page starts and y is m lines from its top.
void AdvanceLines(Canvas &canvas, int32_t n, int32_t &y, int32_t m);
// Inches of a page taken as 8 inches wide.
int32_t InchesToPixels(Canvas &canvas, double inches);
void CenterText(Canvas &canvas, int32_t y, const std::string &text);
void BoldOn(Canvas &canvas);
void BoldOff(Canvas &canvas);
// The height of "M" in the current font plus 8.
int32_t DocumentLineHeight(Canvas &canvas);
