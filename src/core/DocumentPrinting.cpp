#include "core/DocumentPrinting.h"

#include "core/Paths.h"
#include "core/Prompter.h"
#include "core/Rounding.h"
#include "core/Text.h"

#include <algorithm>
#include <vector>

namespace {

// Blanks only: line ends inside the text are kept.
std::string TrimBlanks(const std::string &text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

size_t FindTag(const std::string &line, std::string_view tag, size_t from = 0)
{
    const std::string upper = UpperCase(line);
    return upper.find(tag, from);
}

// Removes the first occurrence of the tag; true when there was one.
bool TakeTag(std::string &line, std::string_view tag)
{
    const size_t at = FindTag(line, tag);
    if (at == std::string::npos) {
        return false;
    }
    line.erase(at, tag.size());
    return true;
}

int32_t BottomLimit(Canvas &canvas)
{
    return canvas.PageHeight() - canvas.DpiY() / 2 - DocumentLineHeight(canvas);
}

// The pieces of a text between its line ends (CR LF, CR or LF).
std::vector<std::string> HardLines(const std::string &text)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

// Draws the line's segments: "\INDENT" n "%" text, "\INDENT" m "%" text...; text before the
// first tag is not drawn.
void DrawIndented(Canvas &canvas, const std::string &line, int32_t leftMargin, int32_t y)
{
    const std::string_view tag = "\\INDENT";
    size_t at = FindTag(line, tag);
    while (at != std::string::npos) {
        const size_t numberAt = at + tag.size();
        const size_t percent = line.find('%', numberAt);
        const int32_t number = StrToInt(Trim(line.substr(numberAt, percent - numberAt)));
        const size_t textAt = percent == std::string::npos ? line.size() : percent + 1;
        const size_t next = FindTag(line, tag, textAt);
        const int32_t x =
            number == -1 ? leftMargin : RoundAmount(canvas.PageWidth() * 0.01 * number);
        canvas.TextOut(x, y, line.substr(textAt, next - textAt));
        at = next;
    }
}

void DrawMarkedUp(Canvas &canvas, std::string line, int32_t leftMargin, int32_t &y)
{
    if (FindTag(line, "\\NEWPAGE") != std::string::npos) {
        canvas.NewPage();
        y = 0;
        return;
    }
    const TSavedCanvasFont saved(canvas);
    const bool bold = TakeTag(line, "\\BOLD");
    const bool italic = TakeTag(line, "\\ITALIC");
    const bool underline = TakeTag(line, "\\UNDERLINE");
    if (bold || italic || underline) {
        canvas.SetFontStyle(static_cast<uint8_t>((bold ? fsBold : 0) | (italic ? fsItalic : 0) |
                                                 (underline ? fsUnderline : 0)));
    }
    const size_t size = FindTag(line, "\\SIZE(");
    if (size != std::string::npos) {
        const size_t numberAt = size + 6;
        const size_t close = line.find(')', numberAt);
        const std::string number = Trim(line.substr(numberAt, close - numberAt));
        canvas.SetFontSize(StrToInt(number));
        TakeTag(line, "\\SIZE(" + number + ")");
    }
    if (TakeTag(line, "\\CENTER")) {
        CenterText(canvas, y, line);
    } else if (FindTag(line, "\\INDENT") != std::string::npos) {
        DrawIndented(canvas, line, leftMargin, y);
    } else {
        canvas.TextOut(leftMargin, y, line);
    }
}

void PrintHardLines(Canvas &canvas, const std::string &text, int32_t leftMargin, int32_t &y)
{
    for (const std::string &line : HardLines(text)) {
        PrintLine(canvas, line, leftMargin, y);
    }
}

} // namespace

int32_t DocumentLineHeight(Canvas &canvas)
{
    return canvas.TextHeight("M") + 8;
}

void AdvanceLines(Canvas &canvas, int32_t n, int32_t &y, int32_t m)
{
    y += n * DocumentLineHeight(canvas);
    if (y > BottomLimit(canvas)) {
        canvas.NewPage();
        y = m * DocumentLineHeight(canvas);
    }
}

int32_t InchesToPixels(Canvas &canvas, double inches)
{
    return RoundAmount(canvas.PageWidth() / 8.0 * inches);
}

void CenterText(Canvas &canvas, int32_t y, const std::string &text)
{
    canvas.TextOut((canvas.PageWidth() - canvas.TextWidth(text)) / 2, y, text);
}

void BoldOn(Canvas &canvas)
{
    canvas.SetFontStyle(fsBold);
}

void BoldOff(Canvas &canvas)
{
    canvas.SetFontStyle(0);
}

void PrintLine(Canvas &canvas, const std::string &text, int32_t leftMargin, int32_t &y)
{
    DrawMarkedUp(canvas, text, leftMargin, y);
    AdvanceLines(canvas, 1, y, 5);
}

void PrintText(Canvas &canvas, const std::string &text, int32_t leftMargin, int32_t &y)
{
    const int32_t width = canvas.PageWidth() - 2 * leftMargin;
    if (canvas.TextWidth(text) <= width) {
        PrintHardLines(canvas, text, leftMargin, y);
        return;
    }
    // A line is measured from its last line end: text before a hard break has been laid out.
    const auto finish = [&](const std::string &line) {
        if (canvas.PageHeight() - canvas.TextHeight(line) < y) {
            canvas.NewPage();
            y = 5 * DocumentLineHeight(canvas);
        }
        PrintHardLines(canvas, line, leftMargin, y);
    };
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        const size_t blank = text.find(' ', at);
        std::string word;
        if (blank == std::string::npos) {
            word = text.substr(at);
            at = text.size();
        } else {
            word = TrimBlanks(text.substr(at, blank - at)) + ' ';
            at = blank + 1;
        }
        // The line holds finished hard lines and the one being filled; a word may hold line
        // ends of its own.
        const size_t lastEnd = line.find_last_of("\r\n");
        const std::string filling = lastEnd == std::string::npos ? line : line.substr(lastEnd + 1);
        const std::string head = word.substr(0, word.find_first_of("\r\n"));
        if (!TrimBlanks(filling).empty() && canvas.TextWidth(filling + head) > width) {
            finish(line);
            line = word;
        } else {
            line += word;
        }
    }
    if (!TrimBlanks(line).empty()) {
        finish(line);
    }
}

bool PrintDocumentFile(Canvas &canvas, const std::string &fileName, int32_t leftMargin, int32_t &y)
{
    const std::string path = ResolveFileName(fileName);
    if (!FileExists(path)) {
        ShowInformation("The document " + fileName + " does not exist");
        return false;
    }
    std::string text;
    ReadFileBytes(path, text);
    text.resize(std::min(text.size(), text.find('\0')));
    PrintText(canvas, text, leftMargin, y);
    return true;
}
