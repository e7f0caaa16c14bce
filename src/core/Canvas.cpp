#include "core/Canvas.h"

#include "core/Paths.h"

TCanvasBitmap::TCanvasBitmap(std::vector<uint8_t> bytes)
    : m_bytes(std::make_shared<const std::vector<uint8_t>>(std::move(bytes)))
{ }

TCanvasBitmap TCanvasBitmap::FromFile(const std::string &path)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        return {};
    }
    return TCanvasBitmap(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

const std::vector<uint8_t> &TCanvasBitmap::Bytes() const
{
    static const std::vector<uint8_t> none;
    return m_bytes ? *m_bytes : none;
}

void Canvas::SetFont(const TCanvasFont &font)
{
    m_font = font;
    FontChanged();
}

void Canvas::SetFont(const std::string &name, double size, uint8_t style)
{
    TCanvasFont font;
    font.Name = name;
    font.Size = size;
    font.Style = style;
    SetFont(font);
}

void Canvas::SetFontSize(double size)
{
    m_font.Size = size;
    m_font.Height = 0;
    FontChanged();
}

void Canvas::SetFontStyle(uint8_t style)
{
    m_font.Style = style;
    FontChanged();
}

void Canvas::SetTextColor(TCanvasColor color)
{
    m_textColor = color;
    TextColorChanged();
}

void Canvas::SetPen(const TCanvasPen &pen)
{
    m_pen = pen;
    PenChanged();
}

void Canvas::SetBrush(const TCanvasBrush &brush)
{
    m_brush = brush;
    BrushChanged();
}

void Canvas::SetMapping(const TCanvasMapping &mapping)
{
    m_mapping = mapping;
    m_mapped = true;
    MappingChanged();
}

void Canvas::ResetMapping()
{
    m_mapping = {};
    m_mapped = false;
    MappingChanged();
}
