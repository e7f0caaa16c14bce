#pragma once

#include "core/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

// One drawing call as a recording canvas saw it, with the drawing state of the moment.
struct TCanvasCall
{
    enum class Kind { Text, Line, Rectangle, Ellipse, FillRect, Bitmap, NewPage, Clip, ResetClip };

    Kind What = Kind::Text;
    int32_t Page = 1; // the page it was drawn on
    int32_t X = 0;
    int32_t Y = 0;
    int32_t X2 = 0;
    int32_t Y2 = 0;
    std::string Text;
    TCanvasFont Font;
    TCanvasColor Color; // the text colour, or the fill of FillRect
    TCanvasPen Pen;
    TCanvasBrush Brush;
    TCopyMode Mode = TCopyMode::Copy;
    size_t BitmapSize = 0;
    bool Mapped = false;
    TCanvasMapping Mapping;
};

// A canvas that keeps every call, for tests. Its metrics are simple and fixed, so layouts can
// be checked to the unit: the em height is the font's Height, or Size × DpiY / 72; a line is
// 1.15 em high (ascent 0.9 em); each character is 0.5 em wide (0.55 em in bold).
class TRecordingCanvas : public Canvas
{
public:
    explicit TRecordingCanvas(int32_t width = 800, int32_t height = 1400, int32_t dpi = 96);

    int32_t PageWidth() const override { return m_width; }
    int32_t PageHeight() const override { return m_height; }
    int32_t DpiX() const override { return m_dpi; }
    int32_t DpiY() const override { return m_dpi; }
    int32_t PhysicalWidth() const override { return m_width + 2 * m_offsetLeft; }
    int32_t PhysicalHeight() const override { return m_height + 2 * m_offsetTop; }
    int32_t OffsetLeft() const override { return m_offsetLeft; }
    int32_t OffsetTop() const override { return m_offsetTop; }
    void NewPage() override;
    int32_t PageNumber() const override { return m_page; }

    int32_t TextWidth(const std::string &text) override;
    int32_t TextHeight(const std::string &text) override;
    TTextMetrics TextMetrics() override;
    void TextOut(int32_t x, int32_t y, const std::string &text) override;

    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                  TCanvasColor color) override;
    void StretchDraw(int32_t left, int32_t top, int32_t right, int32_t bottom,
                     const TCanvasBitmap &bitmap, TCopyMode mode) override;
    void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void ResetClip() override;

    // Unprintable strips of a pretend printer: the sheet is larger by twice each offset.
    void SetOffsets(int32_t left, int32_t top);

    // The text calls, and the first whose text contains `part` (nullptr when none).
    std::vector<const TCanvasCall *> Texts() const;
    const TCanvasCall *FindText(const std::string &part) const;
    // Every text call's text in drawing order, one per line.
    std::string AllText() const;
    int32_t PageCount() const { return m_page; }

    std::vector<TCanvasCall> Calls;

protected:
    void FontChanged() override { }

private:
    TCanvasCall &Record(TCanvasCall::Kind what, int32_t x, int32_t y, int32_t x2, int32_t y2);
    double EmHeight() const;

    int32_t m_width;
    int32_t m_height;
    int32_t m_dpi;
    int32_t m_offsetLeft = 0;
    int32_t m_offsetTop = 0;
    int32_t m_page = 1;
};
