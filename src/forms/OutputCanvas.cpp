#include "forms/OutputCanvas.h"

#include "core/Text.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t Truncated(double value)
{
    // Binary inches (0.7 is 0.69999...) must not lose a whole dot to truncation.
    return static_cast<int32_t>(value < 0 ? std::ceil(value - 1e-4) : std::floor(value + 1e-4));
}

std::string Cut(const std::string &text, size_t length)
{
    return text.size() > length ? text.substr(0, length) : text;
}

} // namespace

TQorOutputCanvas::TLine OutputLine(const std::string &text, float y, int16_t alignment,
                                   const std::string &fontName, int16_t fontSize, uint8_t fontStyle)
{
    TQorOutputCanvas::TLine line;
    line.Text = Cut(text, 240);
    line.Y = y;
    line.Alignment = alignment;
    line.FontName = Cut(fontName, 80);
    line.FontSize = fontSize;
    line.FontStyle = fontStyle;
    return line;
}

std::string FormatPageNumber(const std::string &format, int32_t page)
{
    std::string text;
    bool numbered = false;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char next = format[i + 1];
            if (next == '%') {
                text += '%';
                ++i;
                continue;
            }
            if (!numbered && (next == 'd' || next == 'u' || next == 's')) {
                text += IntText(page);
                numbered = true;
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

Canvas &TQorOutputCanvas::GetCanvas()
{
    if (m_canvas == nullptr) {
        m_canvas = &AttachCanvas();
    }
    return *m_canvas;
}

int32_t TQorOutputCanvas::InchesToDeviceX(float x) const
{
    return Truncated(static_cast<double>(x) * DpiX);
}

int32_t TQorOutputCanvas::InchesToDeviceY(float y) const
{
    return Truncated(static_cast<double>(y) * DpiY);
}

float TQorOutputCanvas::DeviceToInchesX(int32_t n) const
{
    return DpiX == 0 ? 0.0F : static_cast<float>(n) / static_cast<float>(DpiX);
}

float TQorOutputCanvas::DeviceToInchesY(int32_t n) const
{
    return DpiY == 0 ? 0.0F : static_cast<float>(n) / static_cast<float>(DpiY);
}

bool TQorOutputCanvas::IsPrinter() const
{
    return false;
}

void TQorOutputCanvas::RaiseMarginsToOffsets()
{
    TopMargin = std::max(TopMargin, OffsetTop);
    BottomMargin = std::max(BottomMargin, OffsetBottom);
    LeftMargin = std::max(LeftMargin, OffsetLeft);
    RightMargin = std::max(RightMargin, OffsetRight);
}

void TQorOutputCanvas::UpdateMetrics()
{
    Canvas &canvas = GetCanvas();
    Metrics = canvas.TextMetrics();
    DpiY = DeviceDpiY();
    DpiX = DeviceDpiX();
    OffsetLeft = canvas.OffsetLeft();
    OffsetTop = canvas.OffsetTop();
    PhysWidth = canvas.PhysicalWidth();
    PhysHeight = canvas.PhysicalHeight();
    PageWidthInches = DeviceToInchesX(PhysWidth);
    PageHeightInches = DeviceToInchesY(PhysHeight);
    OffsetRight = PhysWidth - OffsetLeft - DevicePageWidth();
    OffsetBottom = PhysHeight - OffsetTop - DevicePageHeight();
    RaiseMarginsToOffsets();
}

void TQorOutputCanvas::BeginReport()
{
    DeviceBeginDoc();
    m_canvas = &AttachCanvas();
    AutoPageBreak = true;
    UpdateMetrics();
    PageNumberLine.Text.clear();
    SetMargins(DeviceToInchesY(OffsetTop), DeviceToInchesY(OffsetBottom),
               DeviceToInchesX(OffsetLeft), DeviceToInchesX(OffsetRight));
    HeaderLines = {};
    FooterLines = {};
    HeaderBox.Enabled = false;
    HeaderBox.Gray = 0;
    FooterBox.Enabled = false;
    FooterBox.Gray = 0;
    Indent = 0;
    CurrentY = 0;
}

void TQorOutputCanvas::EndReport()
{
    PrintHeaders();
    PrintFooters();
    PrintPageNumber();
    GetCanvas().SetBrush({false, clWhite});
    DeviceEndDoc();
}

void TQorOutputCanvas::AbortReport()
{
    DeviceAbort();
}

void TQorOutputCanvas::SetMargins(float top, float bottom, float left, float right)
{
    if (left + right >= PageWidthInches) {
        left = DeviceToInchesX(OffsetLeft);
        right = DeviceToInchesX(OffsetRight);
    }
    if (left <= 0) {
        left = DeviceToInchesX(OffsetLeft);
    }
    if (right <= 0) {
        right = DeviceToInchesX(OffsetRight);
    }
    if (top + bottom >= PageHeightInches) {
        top = DeviceToInchesY(OffsetTop);
        bottom = DeviceToInchesY(OffsetBottom);
    }
    if (top <= 0) {
        top = DeviceToInchesY(OffsetTop);
    }
    if (bottom <= 0) {
        bottom = DeviceToInchesY(OffsetBottom);
    }
    TopMargin = InchesToDeviceY(top);
    BottomMargin = InchesToDeviceY(bottom);
    LeftMargin = InchesToDeviceX(left);
    RightMargin = InchesToDeviceX(right);
    RaiseMarginsToOffsets();
}

void TQorOutputCanvas::SetFont(const std::string &name, int32_t size, uint8_t style)
{
    GetCanvas().SetFont(name, size, style);
    UpdateMetrics();
}

void TQorOutputCanvas::SetFontName(const std::string &name)
{
    TCanvasFont font = GetCanvas().Font();
    font.Name = name;
    GetCanvas().SetFont(font);
    UpdateMetrics();
}

void TQorOutputCanvas::SetFontSize(int32_t size)
{
    GetCanvas().SetFontSize(size);
    UpdateMetrics();
}

void TQorOutputCanvas::SetFontStyle(uint8_t style)
{
    GetCanvas().SetFontStyle(style);
    UpdateMetrics();
}

void TQorOutputCanvas::SetDefaultFont(const std::string &name, int32_t size, uint8_t style)
{
    DefaultFont = {Cut(name, 30), static_cast<int16_t>(size), style};
    UseDefaultFont();
}

void TQorOutputCanvas::UseDefaultFont()
{
    GetCanvas().SetFont(DefaultFont.Name, DefaultFont.Size, DefaultFont.Style);
    UpdateMetrics();
}

std::string TQorOutputCanvas::GetFontName()
{
    return GetCanvas().Font().Name;
}

int32_t TQorOutputCanvas::GetFontSize()
{
    return static_cast<int32_t>(std::lround(GetCanvas().Font().Size));
}

uint8_t TQorOutputCanvas::GetFontStyle()
{
    return GetCanvas().Font().Style;
}

void TQorOutputCanvas::PrintAt(const std::string &text, float x, float y)
{
    PrintAtDevice(text, x >= 0 ? InchesToDeviceX(x) : LeftMargin, y);
}

void TQorOutputCanvas::PrintAtDevice(const std::string &text, int32_t deviceX, float y)
{
    deviceX = std::max(deviceX, OffsetLeft);
    if (Indent > 0) {
        deviceX += InchesToDeviceX(Indent);
    }
    int32_t deviceY = 0;
    if (y > -0.01F) {
        deviceY = std::max(InchesToDeviceY(y), OffsetTop);
        if (deviceY > PhysHeight) {
            deviceY = PhysHeight - OffsetBottom;
        }
        CurrentY = y;
    } else if (y == -1.0F) {
        if (AutoPageBreak && CurrentY + LineHeightInches() > BodyBottom) {
            NewPage();
        }
        deviceY = InchesToDeviceY(CurrentY + LineHeightInches());
        CurrentY += LineHeightInches();
    } else if (y == -2.0F) {
        deviceY = InchesToDeviceY(CurrentY);
    }
    GetCanvas().TextOut(deviceX - OffsetLeft, deviceY - OffsetTop, text);
}

void TQorOutputCanvas::PrintUnindented(const std::string &text, int32_t deviceX, float y)
{
    const float indent = Indent;
    Indent = 0;
    PrintAtDevice(text, deviceX, y);
    Indent = indent;
}

void TQorOutputCanvas::PrintRight(const std::string &text, float y)
{
    PrintUnindented(text, PhysWidth - RightMargin - TextWidth(text), y);
}

void TQorOutputCanvas::PrintCenter(const std::string &text, float y)
{
    PrintUnindented(text, (OffsetLeft + PhysWidth - OffsetRight) / 2 - TextWidth(text) / 2, y);
}

void TQorOutputCanvas::PrintColumnRight(int32_t index, const std::string &text, float y)
{
    const TColumn &column = Columns.at(static_cast<size_t>(index));
    PrintUnindented(text, InchesToDeviceX(column.Left + column.Width) - TextWidth(text), y);
}

void TQorOutputCanvas::PrintColumnCenter(int32_t index, const std::string &text, float y)
{
    const TColumn &column = Columns.at(static_cast<size_t>(index));
    PrintUnindented(
        text,
        InchesToDeviceX(column.Width) / 2 + InchesToDeviceX(column.Left) - TextWidth(text) / 2, y);
}

void TQorOutputCanvas::PrintInColumn(int32_t index, const std::string &text, float y)
{
    PrintAt(text, Columns.at(static_cast<size_t>(index)).Left, y);
}

void TQorOutputCanvas::DrawLine(int32_t penWidth, float x1, float y1, float x2, float y2)
{
    SetPenWidth(penWidth);
    GetCanvas().Line(InchesToDeviceX(x1) - OffsetLeft, InchesToDeviceY(y1) - OffsetTop,
                     InchesToDeviceX(x2) - OffsetLeft, InchesToDeviceY(y2) - OffsetTop);
}

void TQorOutputCanvas::SetPenWidth(int32_t width)
{
    TCanvasPen pen = GetCanvas().Pen();
    pen.Width = width;
    GetCanvas().SetPen(pen);
}

int32_t TQorOutputCanvas::GetPenWidth()
{
    return GetCanvas().Pen().Width;
}

void TQorOutputCanvas::DrawFramedBox(int32_t penWidth, TCanvasBrush brush, float left, float top,
                                     float right, float bottom)
{
    SetPenWidth(penWidth);
    Canvas &canvas = GetCanvas();
    canvas.SetBrush(brush);
    canvas.Rectangle(InchesToDeviceX(left) - OffsetLeft, InchesToDeviceY(top) - OffsetTop,
                     InchesToDeviceX(right) - OffsetLeft, InchesToDeviceY(bottom) - OffsetTop);
}

void TQorOutputCanvas::DrawBox(int32_t penWidth, float left, float top, float right, float bottom)
{
    DrawFramedBox(penWidth, {false, clWhite}, left, top, right, bottom);
}

void TQorOutputCanvas::DrawShadedBox(int32_t penWidth, int16_t gray, float left, float top,
                                     float right, float bottom)
{
    const auto level = static_cast<uint8_t>(std::clamp<int16_t>(gray, 0, 255));
    DrawFramedBox(penWidth, {false, {level, level, level}}, left, top, right, bottom);
}

void TQorOutputCanvas::NewPage()
{
    PrintHeaders();
    PrintFooters();
    PrintPageNumber();
    GetCanvas().SetBrush({false, clWhite});
    CurrentY = BodyTop - LineHeightInches();
    DeviceNewPage();
}

int32_t TQorOutputCanvas::LinesPerPage()
{
    const int32_t line = LineHeightDevice();
    return line <= 0 ? 0 : (PhysHeight - OffsetTop - OffsetBottom) / line;
}

void TQorOutputCanvas::GetResolution(int32_t &dpiX, int32_t &dpiY)
{
    dpiX = DpiX;
    dpiY = DpiY;
}

void TQorOutputCanvas::GetPrintableSize(int32_t &width, int32_t &height)
{
    width = PhysWidth - OffsetLeft - OffsetRight;
    height = PhysHeight - OffsetTop - OffsetBottom;
}

void TQorOutputCanvas::GetUnprintableMargins(int32_t &top, int32_t &bottom, int32_t &left,
                                             int32_t &right)
{
    top = OffsetTop;
    bottom = OffsetBottom;
    left = OffsetLeft;
    right = OffsetRight;
}

int32_t TQorOutputCanvas::TextWidth(const std::string &text)
{
    return GetCanvas().TextWidth(text);
}

int16_t TQorOutputCanvas::LineHeight()
{
    return static_cast<int16_t>(LineHeightDevice());
}

float TQorOutputCanvas::LineHeightInches()
{
    return DeviceToInchesY(LineHeight());
}

int32_t TQorOutputCanvas::CharsPerLine()
{
    const int32_t width = TextWidth("B");
    return width <= 0 ? 0 : (PhysWidth - OffsetLeft - OffsetRight) / width;
}

void TQorOutputCanvas::SetOrientation(TReportOrientation orientation)
{
    UpdateMetrics();
    DeviceSetOrientation(orientation);
}

void TQorOutputCanvas::SetHeaderLine(int32_t n, const std::string &text, float y, int16_t alignment,
                                     const std::string &fontName, int16_t fontSize,
                                     uint8_t fontStyle)
{
    if (n >= 1 && n <= 5) {
        HeaderLines[static_cast<size_t>(n - 1)] =
            OutputLine(text, y, alignment, fontName, fontSize, fontStyle);
    }
}

void TQorOutputCanvas::SetFooterLine(int32_t n, const std::string &text, float y, int16_t alignment,
                                     const std::string &fontName, int16_t fontSize,
                                     uint8_t fontStyle)
{
    if (n >= 1 && n <= 5) {
        FooterLines[static_cast<size_t>(n - 1)] =
            OutputLine(text, y, alignment, fontName, fontSize, fontStyle);
    }
}

void TQorOutputCanvas::PrintAligned(const std::string &text, int16_t alignment, float y)
{
    if (alignment == 1) {
        PrintCenter(text, y);
    } else if (alignment == 2) {
        PrintRight(text, y);
    } else {
        PrintAt(text, GetLeftMargin(), y);
    }
}

void TQorOutputCanvas::PrintLines(const std::array<TLine, 5> &lines, const TBox &box)
{
    if (box.Enabled) {
        if (box.Gray != 0) {
            DrawShadedBox(box.PenWidth, box.Gray, box.Left, box.Top, box.Right, box.Bottom);
        } else {
            DrawBox(box.PenWidth, box.Left, box.Top, box.Right, box.Bottom);
        }
    }
    SaveFont();
    for (const TLine &line : lines) {
        if (!line.Text.empty()) {
            SetFont(line.FontName, line.FontSize, line.FontStyle);
            PrintAligned(line.Text, line.Alignment, line.Y);
        }
        RestoreFont();
    }
}

void TQorOutputCanvas::PrintHeaders()
{
    PrintLines(HeaderLines, HeaderBox);
}

void TQorOutputCanvas::PrintFooters()
{
    const bool autoPageBreak = AutoPageBreak;
    AutoPageBreak = false;
    PrintLines(FooterLines, FooterBox);
    AutoPageBreak = autoPageBreak;
}

void TQorOutputCanvas::SaveFont()
{
    const TCanvasFont &font = GetCanvas().Font();
    SavedFont = {Cut(font.Name, 30), static_cast<int16_t>(std::lround(font.Size)), font.Style};
}

void TQorOutputCanvas::RestoreFont()
{
    SetFont(SavedFont.Name, SavedFont.Size, SavedFont.Style);
}

void TQorOutputCanvas::SetBodyArea(float top, float bottom)
{
    BodyTop = top;
    BodyBottom = bottom;
    CurrentY = top - LineHeightInches();
}

void TQorOutputCanvas::SetPageNumberLine(const std::string &format, int16_t alignment, float y,
                                         const std::string &fontName, int16_t fontSize,
                                         uint8_t fontStyle)
{
    PageNumberLine = OutputLine(format, y, alignment, fontName, fontSize, fontStyle);
}

void TQorOutputCanvas::PrintPageNumber()
{
    // The empty format of a new report prints nothing visible.
    if (PageNumberLine.Text.empty()) {
        return;
    }
    const std::string text = FormatPageNumber(PageNumberLine.Text, PageNumber());
    SaveFont();
    SetFont(PageNumberLine.FontName, PageNumberLine.FontSize, PageNumberLine.FontStyle);
    const bool autoPageBreak = AutoPageBreak;
    AutoPageBreak = false;
    PrintAligned(text, PageNumberLine.Alignment, PageNumberLine.Y);
    AutoPageBreak = autoPageBreak;
    RestoreFont();
}

void TQorOutputCanvas::SetHeaderBox(bool enabled, int16_t penWidth, float left, float top,
                                    float right, float bottom, int16_t gray)
{
    HeaderBox = {enabled, penWidth, gray, left, top, right, bottom};
}

void TQorOutputCanvas::SetFooterBox(bool enabled, int16_t penWidth, float left, float top,
                                    float right, float bottom, int16_t gray)
{
    FooterBox = {enabled, penWidth, gray, left, top, right, bottom};
}

void TQorOutputCanvas::SetColumn(int32_t index, float left, float width)
{
    if (index >= 0 && index < static_cast<int32_t>(Columns.size())) {
        Columns[static_cast<size_t>(index)] = {left, width};
    }
}

void TQorOutputCanvas::NewLine()
{
    if (AutoPageBreak && CurrentY + LineHeightInches() > BodyBottom) {
        NewPage();
    }
    CurrentY += LineHeightInches();
}

int16_t TQorOutputCanvas::LinesRemaining()
{
    const float line = LineHeightInches();
    return line <= 0 ? 0 : static_cast<int16_t>(std::trunc((BodyBottom - CurrentY) / line));
}

int32_t TQorOutputCanvas::LinesPerBody()
{
    const int32_t line = LineHeightDevice();
    return line <= 0 ? 0 : InchesToDeviceY(BodyBottom - BodyTop) / line;
}

void TQorOutputCanvas::NewLines(int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        NewLine();
    }
}

float TQorOutputCanvas::GetTopMargin()
{
    return DeviceToInchesY(TopMargin);
}

float TQorOutputCanvas::GetBottomMargin()
{
    return DeviceToInchesY(BottomMargin);
}

float TQorOutputCanvas::GetLeftMargin()
{
    return DeviceToInchesX(LeftMargin);
}

float TQorOutputCanvas::GetRightMargin()
{
    return DeviceToInchesX(RightMargin);
}

void TQorOutputCanvas::WrapLines(std::vector<std::string> *lines, float width)
{
    if (lines == nullptr) {
        throw EOutputError("StringList not instanciated.");
    }
    const std::vector<std::string> source = std::move(*lines);
    lines->clear();
    const int32_t maxWidth =
        width != 0 ? InchesToDeviceX(width) : PhysWidth - LeftMargin - RightMargin;
    for (const std::string &line : source) {
        if (TextWidth(line) < maxWidth) {
            lines->push_back(line);
            continue;
        }
        std::string built;
        size_t at = 0;
        while (at < line.size()) {
            const size_t blank = line.find(' ', at);
            std::string word;
            if (blank == std::string::npos) {
                word = line.substr(at);
                at = line.size();
            } else {
                word = Trim(line.substr(at, blank + 1 - at));
                at = blank + 1;
                if (word.empty()) {
                    continue; // a run of blanks separates words like one blank
                }
                word += ' ';
            }
            if (built.empty() || TextWidth(word) + TextWidth(built) < maxWidth) {
                built += word;
            } else {
                lines->push_back(built);
                built = word;
            }
        }
        if (!built.empty()) {
            lines->push_back(built);
        }
    }
}

void TQorOutputCanvas::EnsureLines(int32_t linesNeeded, bool showContinued)
{
    if (LinesRemaining() >= linesNeeded) {
        return;
    }
    if (showContinued) {
        PrintAt("Continued to next page...", -1, -2);
        NewPage();
        PrintAt("Continued from previous page...", -1, -1);
    } else {
        NewPage();
    }
    NewLine();
}

void TQorOutputCanvas::DrawRule()
{
    NewLine();
    DrawLine(5, GetLeftMargin(), CurrentY, NominalPageWidth() - GetRightMargin(), CurrentY);
}
