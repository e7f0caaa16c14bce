#pragma once

// Every drawing the program makes (the quote worksheet, printed documents, form pages) goes
// through a Canvas. The Qt modules implement it over a printer, a PDF page or an image; tests
// record the calls. Text is engine text (Windows-1252).
//
// Coordinates are logical units. Without a mapping one logical unit is one device unit (a
// printer dot, a PDF page unit), measured from the top-left corner of the printable area; the
// window-and-viewport mapping of SetMapping changes that (form pages are drawn in thousandths
// of an inch). Sizes reported by the canvas (text width and height, metrics) are logical units.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Font style bits, the same bits the output canvas's header and footer records store.
enum TFontStyleBit : uint8_t {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

struct TCanvasFont
{
    std::string Name = "Times New Roman";
    // Points: a point is 1/72 of the canvas's logical inch (its resolution), so a mapping scales
    // the text with everything else.
    double Size = 10;
    // When above 0, the character (em) height in logical units, in place of Size.
    int32_t Height = 0;
    uint8_t Style = 0; // TFontStyleBit

    bool operator==(const TCanvasFont &) const = default;
};

struct TCanvasColor
{
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;

    bool operator==(const TCanvasColor &) const = default;
};
constexpr TCanvasColor clBlack {0, 0, 0};
constexpr TCanvasColor clWhite {255, 255, 255};

struct TCanvasPen
{
    // Logical units; 0, and any width thinner than a device dot, draws one dot wide.
    int32_t Width = 1;
    TCanvasColor Color = clBlack;

    bool operator==(const TCanvasPen &) const = default;
};

struct TCanvasBrush
{
    bool Clear = false; // shapes are outlined only
    TCanvasColor Color = clWhite;

    bool operator==(const TCanvasBrush &) const = default;
};

// Logical (x, y) lands on device (ViewportOrgX + (x - WindowOrgX) * ViewportExtX / WindowExtX,
// and the same for y): the anisotropic mapping of form pages.
struct TCanvasMapping
{
    int32_t WindowOrgX = 0;
    int32_t WindowOrgY = 0;
    int32_t WindowExtX = 1;
    int32_t WindowExtY = 1;
    int32_t ViewportOrgX = 0;
    int32_t ViewportOrgY = 0;
    int32_t ViewportExtX = 1;
    int32_t ViewportExtY = 1;

    bool operator==(const TCanvasMapping &) const = default;
};

// Metrics of the current font, logical units. A line of text needs Height + ExternalLeading.
struct TTextMetrics
{
    int32_t Height = 0; // Ascent + Descent
    int32_t Ascent = 0;
    int32_t Descent = 0;
    int32_t ExternalLeading = 0;
    int32_t AverageCharWidth = 0;
};

// A picture as the bytes of its file (BMP, PNG, JPEG, GIF); the canvas decodes it. Copies share
// the bytes, so a picture shown in several places is held once.
class TCanvasBitmap
{
public:
    TCanvasBitmap() = default;
    explicit TCanvasBitmap(std::vector<uint8_t> bytes);
    // The file's bytes; an empty bitmap when the file cannot be read.
    static TCanvasBitmap FromFile(const std::string &path);

    bool Empty() const { return !m_bytes || m_bytes->empty(); }
    const std::vector<uint8_t> &Bytes() const;
    // The same object for copies of one bitmap (canvases cache decoded pictures by it).
    const void *Identity() const { return m_bytes.get(); }

private:
    std::shared_ptr<const std::vector<uint8_t>> m_bytes;
};

// How a picture meets what is already on the page: replace it, or AND with it (a printed form
// picture over pre-printed lines).
enum class TCopyMode { Copy, SourceAnd };

class Canvas
{
public:
    virtual ~Canvas() = default;

    // The page, device units: the printable area, the resolution in dots per inch, the whole
    // sheet and where the printable area starts on it (printers cannot print to the edge).
    virtual int32_t PageWidth() const = 0;
    virtual int32_t PageHeight() const = 0;
    virtual int32_t DpiX() const = 0;
    virtual int32_t DpiY() const = 0;
    virtual int32_t PhysicalWidth() const { return PageWidth(); }
    virtual int32_t PhysicalHeight() const { return PageHeight(); }
    virtual int32_t OffsetLeft() const { return 0; }
    virtual int32_t OffsetTop() const { return 0; }
    // Ends the page and starts the next; the font, pen, brush and mapping stay.
    virtual void NewPage() = 0;
    // 1 for the first page.
    virtual int32_t PageNumber() const = 0;

    // Text. TextOut draws with the top-left corner of the text at (x, y), on a transparent
    // background. TextHeight is the height of a line of the font (Ascent + Descent) whatever
    // the text.
    void SetFont(const TCanvasFont &font);
    void SetFont(const std::string &name, double size, uint8_t style);
    void SetFontSize(double size);
    void SetFontStyle(uint8_t style);
    const TCanvasFont &Font() const { return m_font; }
    void SetTextColor(TCanvasColor color);
    TCanvasColor TextColor() const { return m_textColor; }
    virtual int32_t TextWidth(const std::string &text) = 0;
    virtual int32_t TextHeight(const std::string &text) = 0;
    virtual TTextMetrics TextMetrics() = 0;
    virtual void TextOut(int32_t x, int32_t y, const std::string &text) = 0;

    // Shapes: outlined with the pen and filled with the brush; corners are inclusive.
    void SetPen(const TCanvasPen &pen);
    const TCanvasPen &Pen() const { return m_pen; }
    void SetBrush(const TCanvasBrush &brush);
    const TCanvasBrush &Brush() const { return m_brush; }
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // Fills without an outline, whatever the brush.
    virtual void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          TCanvasColor color) = 0;
    // The picture stretched into the rectangle. An empty or unreadable picture draws nothing.
    virtual void StretchDraw(int32_t left, int32_t top, int32_t right, int32_t bottom,
                             const TCanvasBitmap &bitmap, TCopyMode mode = TCopyMode::Copy) = 0;

    // Mapping and clipping.
    void SetMapping(const TCanvasMapping &mapping);
    // One logical unit per device unit again.
    void ResetMapping();
    bool Mapped() const { return m_mapped; }
    const TCanvasMapping &Mapping() const { return m_mapping; }
    // Drawing outside the rectangle (logical units at the time of the call) is cut off.
    virtual void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void ResetClip() = 0;

protected:
    // Tell the implementation that a drawing state changed; the new state is in the getters.
    virtual void FontChanged() = 0;
    virtual void TextColorChanged() { }
    virtual void PenChanged() { }
    virtual void BrushChanged() { }
    virtual void MappingChanged() { }

private:
    TCanvasFont m_font;
    TCanvasColor m_textColor = clBlack;
    TCanvasPen m_pen;
    TCanvasBrush m_brush;
    TCanvasMapping m_mapping;
    bool m_mapped = false;
};

// Keeps a canvas's font for the lifetime of the object (the markup of a line changes it).
class TSavedCanvasFont
{
public:
    explicit TSavedCanvasFont(Canvas &canvas) : m_canvas(canvas), m_font(canvas.Font()) { }
    ~TSavedCanvasFont() { m_canvas.SetFont(m_font); }
    TSavedCanvasFont(const TSavedCanvasFont &) = delete;
    TSavedCanvasFont &operator=(const TSavedCanvasFont &) = delete;

private:
    Canvas &m_canvas;
    TCanvasFont m_font;
};
