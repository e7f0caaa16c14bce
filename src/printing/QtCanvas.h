#pragma once

#include "core/Canvas.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

class QPaintDevice;

// The font family drawn for a family a page asks for: the family itself when the system has
// it, else its metric-compatible stand-in (Liberation Serif for Times New Roman, Liberation Sans
// for Arial, Liberation Mono for Courier New), so lines measure the same on every machine.
QString ResolvedFontFamily(const std::string &family);

// A Canvas over a Qt paint device: a printer (printer or PDF mode), a PDF writer, an image or a
// widget. It measures at once; drawing needs Begin (on a printer that starts the job).
class QtCanvas : public Canvas
{
public:
    explicit QtCanvas(QPaintDevice &device);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas &) = delete;
    QtCanvas &operator=(const QtCanvas &) = delete;

    // Starts painting; false when the device refuses (a printer that cannot start a job).
    bool Begin();
    // Ends painting (the printer job, the PDF file); false when the device reports a failure.
    bool End();
    bool Active() const { return m_painter.isActive(); }
    QPainter &Painter() { return m_painter; }

    int32_t PageWidth() const override;
    int32_t PageHeight() const override;
    int32_t DpiX() const override;
    int32_t DpiY() const override;
    int32_t PhysicalWidth() const override;
    int32_t PhysicalHeight() const override;
    int32_t OffsetLeft() const override;
    int32_t OffsetTop() const override;
    // Raises an error when the device cannot start a new page.
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

protected:
    void FontChanged() override;
    void PenChanged() override;
    void BrushChanged() override;
    void MappingChanged() override;

private:
    struct Measured
    {
        QFont font;
        TTextMetrics metrics;
    };
    // Raises an error when drawing is attempted before Begin.
    QPainter &Drawing();
    void ApplyState();
    const QImage &Decoded(const TCanvasBitmap &bitmap);

    QPaintDevice &m_device;
    QPainter m_painter;
    int32_t m_page = 1;
    // Fonts as Qt builds them, by the canvas font they stand for.
    std::map<std::string, Measured> m_fonts;
    const Measured *m_current = nullptr;
    std::unordered_map<const void *, std::pair<TCanvasBitmap, QImage>> m_images;
};
