#pragma once

#include "core/Canvas.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Raised by the report writer for misuse ("StringList not instanciated.") and by printers that
// cannot start, go on or finish a job.
class EOutputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum class TReportOrientation { Portrait, Landscape };

// The operations of a page-oriented report writer: positions are inches from the sheet's
// physical edges. The special vertical positions of PrintAt: -1 the next line, -2 the same line.
class TQorOutputBase
{
public:
    virtual ~TQorOutputBase() = default;

    virtual void BeginReport() = 0;
    virtual void EndReport() = 0;
    virtual void AbortReport() = 0;
    virtual void SetMargins(float top, float bottom, float left, float right) = 0;
    virtual void SetFont(const std::string &name, int32_t size, uint8_t style) = 0;
    virtual void SetFontName(const std::string &name) = 0;
    virtual void SetFontSize(int32_t size) = 0;
    virtual void SetFontStyle(uint8_t style) = 0;
    virtual void SetDefaultFont(const std::string &name, int32_t size, uint8_t style) = 0;
    virtual void UseDefaultFont() = 0;
    virtual void PrintAt(const std::string &text, float x, float y) = 0;
    virtual void PrintRight(const std::string &text, float y) = 0;
    virtual void PrintCenter(const std::string &text, float y) = 0;
    virtual void PrintColumnRight(int32_t index, const std::string &text, float y) = 0;
    virtual void PrintColumnCenter(int32_t index, const std::string &text, float y) = 0;
    virtual void DrawLine(int32_t penWidth, float x1, float y1, float x2, float y2) = 0;
    virtual void SetPenWidth(int32_t width) = 0;
    virtual int32_t GetPenWidth() = 0;
    virtual void SetIndent(float inches) = 0;
    virtual void NewPage() = 0;
    virtual int32_t LinesPerPage() = 0;
    virtual void GetResolution(int32_t &dpiX, int32_t &dpiY) = 0;
    virtual void GetPrintableSize(int32_t &width, int32_t &height) = 0;
    virtual void GetUnprintableMargins(int32_t &top, int32_t &bottom, int32_t &left,
                                       int32_t &right) = 0;
    virtual int32_t TextWidth(const std::string &text) = 0;
    virtual int16_t LineHeight() = 0;
    virtual float LineHeightInches() = 0;
    virtual int32_t PageNumber() = 0;
    virtual int32_t CharsPerLine() = 0;
    virtual void SetOrientation(TReportOrientation orientation) = 0;
    virtual void SetHeaderLine(int32_t n, const std::string &text, float y, int16_t alignment,
                               const std::string &fontName, int16_t fontSize,
                               uint8_t fontStyle) = 0;
    virtual void SetFooterLine(int32_t n, const std::string &text, float y, int16_t alignment,
                               const std::string &fontName, int16_t fontSize,
                               uint8_t fontStyle) = 0;
    virtual void PrintHeaders() = 0;
    virtual void PrintFooters() = 0;
    virtual void SaveFont() = 0;
    virtual void RestoreFont() = 0;
    virtual void SetBodyArea(float top, float bottom) = 0;
    virtual void SetAutoPageBreak(bool on) = 0;
    virtual void SetPageNumberLine(const std::string &format, int16_t alignment, float y,
                                   const std::string &fontName, int16_t fontSize,
                                   uint8_t fontStyle) = 0;
    virtual void PrintPageNumber() = 0;
    virtual void PrintInColumn(int32_t index, const std::string &text, float y) = 0;
    virtual void DrawBox(int32_t penWidth, float left, float top, float right, float bottom) = 0;
    virtual void DrawShadedBox(int32_t penWidth, int16_t gray, float left, float top, float right,
                               float bottom) = 0;
    virtual void SetHeaderBox(bool enabled, int16_t penWidth, float left, float top, float right,
                              float bottom, int16_t gray) = 0;
    virtual void SetFooterBox(bool enabled, int16_t penWidth, float left, float top, float right,
                              float bottom, int16_t gray) = 0;
    virtual void SetColumn(int32_t index, float left, float width) = 0;
    virtual void SetCurrentY(float y) = 0;
    virtual float GetCurrentY() = 0;
    virtual void NewLine() = 0;
    virtual int16_t LinesRemaining() = 0;
    virtual int32_t LinesPerBody() = 0;
    virtual void GoToBodyTop() = 0;
    virtual void NewLines(int32_t count) = 0;
    virtual std::string GetFontName() = 0;
    virtual int32_t GetFontSize() = 0;
    virtual uint8_t GetFontStyle() = 0;
    virtual std::string GetDefaultFontName() = 0;
    virtual int32_t GetDefaultFontSize() = 0;
    virtual uint8_t GetDefaultFontStyle() = 0;
    virtual float GetTopMargin() = 0;
    virtual float GetBottomMargin() = 0;
    virtual float GetLeftMargin() = 0;
    virtual float GetRightMargin() = 0;
    virtual float NominalPageWidth() = 0;
    virtual float NominalPageHeight() = 0;
    // Missing `lines` raises EOutputError "StringList not instanciated.".
    virtual void WrapLines(std::vector<std::string> *lines, float width) = 0;
    virtual void EnsureLines(int32_t linesNeeded, bool showContinued) = 0;
    virtual void DrawRule() = 0;
    virtual void SetTitle(const std::string &title) = 0;
};

// The report operations over a few device primitives, which a device (the printer) supplies.
// Drawing goes to the device's Canvas in device units from the printable corner; clients may
// draw on it directly.
class TQorOutputCanvas : public TQorOutputBase
{
public:
    struct TLine
    {
        std::string Text; // empty: no line
        float Y = 0;
        int16_t Alignment = 0; // 0 at the left margin, 1 centred, 2 right-aligned
        std::string FontName;
        int16_t FontSize = 0;
        uint8_t FontStyle = 0;
    };
    struct TBox
    {
        bool Enabled = false;
        int16_t PenWidth = 0;
        int16_t Gray = 0;
        float Left = 0;
        float Top = 0;
        float Right = 0;
        float Bottom = 0;
    };
    struct TColumn
    {
        float Left = 0;
        float Width = 0;
    };
    struct TFontRecord
    {
        std::string Name;
        int16_t Size = 0;
        uint8_t Style = 0;
    };

    void BeginReport() override;
    void EndReport() override;
    void AbortReport() override;
    void SetMargins(float top, float bottom, float left, float right) override;
    void SetFont(const std::string &name, int32_t size, uint8_t style) override;
    void SetFontName(const std::string &name) override;
    void SetFontSize(int32_t size) override;
    void SetFontStyle(uint8_t style) override;
    void SetDefaultFont(const std::string &name, int32_t size, uint8_t style) override;
    void UseDefaultFont() override;
    void PrintAt(const std::string &text, float x, float y) override;
    void PrintRight(const std::string &text, float y) override;
    void PrintCenter(const std::string &text, float y) override;
    void PrintColumnRight(int32_t index, const std::string &text, float y) override;
    void PrintColumnCenter(int32_t index, const std::string &text, float y) override;
    void DrawLine(int32_t penWidth, float x1, float y1, float x2, float y2) override;
    void SetPenWidth(int32_t width) override;
    int32_t GetPenWidth() override;
    void SetIndent(float inches) override { Indent = inches; }
    void NewPage() override;
    int32_t LinesPerPage() override;
    void GetResolution(int32_t &dpiX, int32_t &dpiY) override;
    void GetPrintableSize(int32_t &width, int32_t &height) override;
    void GetUnprintableMargins(int32_t &top, int32_t &bottom, int32_t &left,
                               int32_t &right) override;
    int32_t TextWidth(const std::string &text) override;
    int16_t LineHeight() override;
    float LineHeightInches() override;
    int32_t PageNumber() override { return DevicePageNumber(); }
    int32_t CharsPerLine() override;
    void SetOrientation(TReportOrientation orientation) override;
    void SetHeaderLine(int32_t n, const std::string &text, float y, int16_t alignment,
                       const std::string &fontName, int16_t fontSize, uint8_t fontStyle) override;
    void SetFooterLine(int32_t n, const std::string &text, float y, int16_t alignment,
                       const std::string &fontName, int16_t fontSize, uint8_t fontStyle) override;
    void PrintHeaders() override;
    void PrintFooters() override;
    void SaveFont() override;
    void RestoreFont() override;
    void SetBodyArea(float top, float bottom) override;
    void SetAutoPageBreak(bool on) override { AutoPageBreak = on; }
    void SetPageNumberLine(const std::string &format, int16_t alignment, float y,
                           const std::string &fontName, int16_t fontSize,
                           uint8_t fontStyle) override;
    void PrintPageNumber() override;
    void PrintInColumn(int32_t index, const std::string &text, float y) override;
    void DrawBox(int32_t penWidth, float left, float top, float right, float bottom) override;
    void DrawShadedBox(int32_t penWidth, int16_t gray, float left, float top, float right,
                       float bottom) override;
    void SetHeaderBox(bool enabled, int16_t penWidth, float left, float top, float right,
                      float bottom, int16_t gray) override;
    void SetFooterBox(bool enabled, int16_t penWidth, float left, float top, float right,
                      float bottom, int16_t gray) override;
    void SetColumn(int32_t index, float left, float width) override;
    void SetCurrentY(float y) override { CurrentY = y; }
    float GetCurrentY() override { return CurrentY; }
    void NewLine() override;
    int16_t LinesRemaining() override;
    int32_t LinesPerBody() override;
    void GoToBodyTop() override { CurrentY = BodyTop; }
    void NewLines(int32_t count) override;
    std::string GetFontName() override;
    int32_t GetFontSize() override;
    uint8_t GetFontStyle() override;
    std::string GetDefaultFontName() override { return DefaultFont.Name; }
    int32_t GetDefaultFontSize() override { return DefaultFont.Size; }
    uint8_t GetDefaultFontStyle() override { return DefaultFont.Style; }
    float GetTopMargin() override;
    float GetBottomMargin() override;
    float GetLeftMargin() override;
    float GetRightMargin() override;
    float NominalPageWidth() override { return 8.5F; }
    float NominalPageHeight() override { return 11.0F; }
    void WrapLines(std::vector<std::string> *lines, float width) override;
    void EnsureLines(int32_t linesNeeded, bool showContinued) override;
    void DrawRule() override;
    void SetTitle(const std::string &title) override { DeviceSetTitle(title); }

    // The device primitives.
    virtual Canvas &AttachCanvas() = 0;
    virtual void DeviceBeginDoc() = 0;
    virtual void DeviceEndDoc() = 0;
    virtual void DeviceSetOrientation(TReportOrientation orientation) = 0;
    virtual void DeviceNewPage() = 0;
    virtual int32_t DevicePageNumber() = 0;
    virtual void DeviceAbort() = 0;
    virtual int32_t DevicePageHeight() = 0;
    virtual int32_t DevicePageWidth() = 0;
    virtual void DeviceSetTitle(const std::string &title) = 0;
    virtual int32_t DeviceDpiY() = 0;
    virtual int32_t DeviceDpiX() = 0;
    virtual bool DeviceAborted() = 0;
    // True only for the system printer's own class, not for anything derived from it.
    virtual bool IsPrinter() const;
    virtual void UpdateMetrics();
    virtual int32_t DeviceVertRes() = 0;
    virtual int32_t DeviceHorzRes() = 0;

    // Conversions; a value within a ten-thousandth of a dot below a whole dot counts as that
    // dot, so 0.7 inch at 100 dots per inch is 70 dots, not 69.
    int32_t InchesToDeviceX(float x) const;
    int32_t InchesToDeviceY(float y) const;
    float DeviceToInchesX(int32_t n) const;
    float DeviceToInchesY(int32_t n) const;
    int32_t LineHeightDevice() const { return Metrics.Height + Metrics.ExternalLeading; }

    // The device's drawing surface.
    Canvas &GetCanvas();

    // The report state, open to clients and tests as the system keeps it.
    float BodyTop = 0;
    float BodyBottom = 0;
    float CurrentY = 0;
    bool AutoPageBreak = false;
    float Indent = 0;
    TFontRecord SavedFont;
    TFontRecord DefaultFont;
    std::array<TLine, 5> HeaderLines;
    std::array<TLine, 5> FooterLines;
    std::array<TColumn, 21> Columns;
    TLine PageNumberLine;
    TBox HeaderBox;
    TBox FooterBox;
    int32_t TopMargin = 0;
    int32_t BottomMargin = 0;
    int32_t LeftMargin = 0;
    int32_t RightMargin = 0;
    int32_t DpiY = 0;
    int32_t DpiX = 0;
    int32_t PhysWidth = 0;
    int32_t PhysHeight = 0;
    float PageWidthInches = 0;
    float PageHeightInches = 0;
    int32_t OffsetLeft = 0;
    int32_t OffsetTop = 0;
    int32_t OffsetRight = 0;
    int32_t OffsetBottom = 0;
    TTextMetrics Metrics;

private:
    // PrintAt with the horizontal position already in device units.
    void PrintAtDevice(const std::string &text, int32_t deviceX, float y);
    // Prints with Indent set to 0 for the call.
    void PrintUnindented(const std::string &text, int32_t deviceX, float y);
    void PrintLines(const std::array<TLine, 5> &lines, const TBox &box);
    void PrintAligned(const std::string &text, int16_t alignment, float y);
    void DrawFramedBox(int32_t penWidth, TCanvasBrush brush, float left, float top, float right,
                       float bottom);
    void RaiseMarginsToOffsets();

    Canvas *m_canvas = nullptr;
};

// Fills a header, footer or page-number record; texts are cut to 240 and names to 80 characters.
TQorOutputCanvas::TLine OutputLine(const std::string &text, float y, int16_t alignment,
                                   const std::string &fontName, int16_t fontSize,
                                   uint8_t fontStyle);

// The page-number format with the number in place of its "%d" ("Page %d"); "%%" is a percent
// sign. Anything else stays as written, so a format cannot reach past its one argument.
std::string FormatPageNumber(const std::string &format, int32_t page);
