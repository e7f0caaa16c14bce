#include "printing/QtCanvas.h"

#include "core/Encoding.h"
#include "core/Text.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPaintEngine>

#include <cmath>
#include <stdexcept>

namespace {

QString ToQt(const std::string &text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

QColor ToQt(TCanvasColor color)
{
    return {color.R, color.G, color.B};
}

// Corners are inclusive: a rectangle from 10 to 20 covers ten units.
QRectF Box(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return {static_cast<qreal>(left), static_cast<qreal>(top), static_cast<qreal>(right - left),
            static_cast<qreal>(bottom - top)};
}

int32_t Whole(qreal value)
{
    return static_cast<int32_t>(std::lround(value));
}

std::string FontKey(const TCanvasFont &font)
{
    return font.Name + '\x01' + FloatText(font.Size) + '\x01' + IntText(font.Height) + '\x01' +
        IntText(font.Style);
}

} // namespace

QString ResolvedFontFamily(const std::string &family)
{
    static std::map<std::string, QString> resolved;
    const auto found = resolved.find(family);
    if (found != resolved.end()) {
        return found->second;
    }
    static const std::pair<const char *, const char *> standIns[] = {
        {"Times New Roman", "Liberation Serif"},
        {"Times", "Liberation Serif"},
        {"Arial", "Liberation Sans"},
        {"Helvetica", "Liberation Sans"},
        {"Courier New", "Liberation Mono"},
        {"Courier", "Liberation Mono"},
    };
    QString name = ToQt(family);
    if (!QFontDatabase::hasFamily(name)) {
        for (const auto &[wanted, standIn] : standIns) {
            if (SameText(family, wanted) &&
                QFontDatabase::hasFamily(QString::fromLatin1(standIn))) {
                name = QString::fromLatin1(standIn);
                break;
            }
        }
    }
    resolved.emplace(family, name);
    return name;
}

QtCanvas::QtCanvas(QPaintDevice &device) : m_device(device)
{
    FontChanged();
}

QtCanvas::~QtCanvas()
{
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

bool QtCanvas::Begin()
{
    if (!m_painter.begin(&m_device)) {
        return false;
    }
    ApplyState();
    return true;
}

bool QtCanvas::End()
{
    return !m_painter.isActive() || m_painter.end();
}

QPainter &QtCanvas::Drawing()
{
    if (!m_painter.isActive()) {
        throw std::runtime_error("Nothing can be drawn before the page has been started.");
    }
    return m_painter;
}

void QtCanvas::ApplyState()
{
    if (!m_painter.isActive()) {
        return;
    }
    m_painter.setFont(m_current->font);
    PenChanged();
    BrushChanged();
    MappingChanged();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

int32_t QtCanvas::PageWidth() const
{
    return m_device.width();
}

int32_t QtCanvas::PageHeight() const
{
    return m_device.height();
}

int32_t QtCanvas::DpiX() const
{
    return m_device.logicalDpiX();
}

int32_t QtCanvas::DpiY() const
{
    return m_device.logicalDpiY();
}

int32_t QtCanvas::PhysicalWidth() const
{
    const auto *paged = dynamic_cast<const QPagedPaintDevice *>(&m_device);
    return paged ? paged->pageLayout().fullRectPixels(DpiX()).width() : PageWidth();
}

int32_t QtCanvas::PhysicalHeight() const
{
    const auto *paged = dynamic_cast<const QPagedPaintDevice *>(&m_device);
    return paged ? paged->pageLayout().fullRectPixels(DpiY()).height() : PageHeight();
}

int32_t QtCanvas::OffsetLeft() const
{
    const auto *paged = dynamic_cast<const QPagedPaintDevice *>(&m_device);
    return paged ? paged->pageLayout().paintRectPixels(DpiX()).left() : 0;
}

int32_t QtCanvas::OffsetTop() const
{
    const auto *paged = dynamic_cast<const QPagedPaintDevice *>(&m_device);
    return paged ? paged->pageLayout().paintRectPixels(DpiY()).top() : 0;
}

void QtCanvas::NewPage()
{
    if (auto *paged = dynamic_cast<QPagedPaintDevice *>(&m_device)) {
        if (!paged->newPage()) {
            throw std::runtime_error("The printer could not start a new page.");
        }
    }
    ++m_page;
}

void QtCanvas::FontChanged()
{
    const TCanvasFont &font = Font();
    const std::string key = FontKey(font);
    auto found = m_fonts.find(key);
    if (found == m_fonts.end()) {
        Measured measured;
        measured.font = QFont(ResolvedFontFamily(font.Name));
        if (font.Height > 0) {
            measured.font.setPixelSize(font.Height);
        } else {
            measured.font.setPointSizeF(font.Size > 0 ? font.Size : 1);
        }
        measured.font.setBold((font.Style & fsBold) != 0);
        measured.font.setItalic((font.Style & fsItalic) != 0);
        measured.font.setUnderline((font.Style & fsUnderline) != 0);
        measured.font.setStrikeOut((font.Style & fsStrikeOut) != 0);
        measured.font.setKerning(false);
        // Unhinted advances scale with the size, as on paper.
        measured.font.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF metrics(measured.font, &m_device);
        measured.metrics.Ascent = Whole(metrics.ascent());
        measured.metrics.Descent = Whole(metrics.descent());
        measured.metrics.Height = Whole(metrics.ascent() + metrics.descent());
        measured.metrics.ExternalLeading = Whole(metrics.leading());
        measured.metrics.AverageCharWidth = Whole(metrics.averageCharWidth());
        found = m_fonts.emplace(key, std::move(measured)).first;
    }
    m_current = &found->second;
    if (m_painter.isActive()) {
        m_painter.setFont(m_current->font);
    }
}

int32_t QtCanvas::TextWidth(const std::string &text)
{
    return Whole(QFontMetricsF(m_current->font, &m_device).horizontalAdvance(ToQt(text)));
}

int32_t QtCanvas::TextHeight(const std::string &)
{
    return m_current->metrics.Height;
}

TTextMetrics QtCanvas::TextMetrics()
{
    return m_current->metrics;
}

void QtCanvas::TextOut(int32_t x, int32_t y, const std::string &text)
{
    QPainter &painter = Drawing();
    const QPen shapes = painter.pen();
    painter.setPen(ToQt(TextColor()));
    const qreal ascent = QFontMetricsF(m_current->font, &m_device).ascent();
    painter.drawText(QPointF(x, y + ascent), ToQt(text));
    painter.setPen(shapes);
}

void QtCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    Drawing().drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void QtCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Drawing().drawRect(Box(left, top, right, bottom));
}

void QtCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Drawing().drawEllipse(Box(left, top, right, bottom));
}

void QtCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                        TCanvasColor color)
{
    Drawing().fillRect(Box(left, top, right, bottom), ToQt(color));
}

const QImage &QtCanvas::Decoded(const TCanvasBitmap &bitmap)
{
    auto found = m_images.find(bitmap.Identity());
    if (found == m_images.end()) {
        const std::vector<uint8_t> &bytes = bitmap.Bytes();
        QImage image = QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
        // The entry keeps the bytes alive, so their address cannot come back for another picture.
        found = m_images.emplace(bitmap.Identity(), std::make_pair(bitmap, std::move(image))).first;
    }
    return found->second.second;
}

void QtCanvas::StretchDraw(int32_t left, int32_t top, int32_t right, int32_t bottom,
                           const TCanvasBitmap &bitmap, TCopyMode mode)
{
    QPainter &painter = Drawing();
    if (bitmap.Empty()) {
        return;
    }
    const QImage &image = Decoded(bitmap);
    if (image.isNull()) {
        return;
    }
    const QPaintEngine *engine = painter.paintEngine();
    if (mode == TCopyMode::SourceAnd && engine != nullptr) {
        // Multiplying is the same as AND for black lines on white; vector devices can only blend.
        if (engine->hasFeature(QPaintEngine::RasterOpModes)) {
            painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        } else if (engine->hasFeature(QPaintEngine::BlendModes)) {
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        }
    }
    painter.drawImage(Box(left, top, right, bottom), image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void QtCanvas::SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Drawing().setClipRect(Box(left, top, right, bottom));
}

void QtCanvas::ResetClip()
{
    Drawing().setClipping(false);
}

void QtCanvas::PenChanged()
{
    if (!m_painter.isActive()) {
        return;
    }
    double width = Pen().Width;
    if (Mapped() && Mapping().WindowExtX != 0) {
        const double scale = std::abs(static_cast<double>(Mapping().ViewportExtX) /
                                      static_cast<double>(Mapping().WindowExtX));
        if (width * scale < 1) {
            width = 0; // one device dot, whatever the mapping
        }
    } else if (width < 1) {
        width = 0;
    }
    QPen pen(ToQt(Pen().Color));
    pen.setWidthF(width);
    pen.setCosmetic(width == 0);
    m_painter.setPen(pen);
}

void QtCanvas::BrushChanged()
{
    if (m_painter.isActive()) {
        m_painter.setBrush(Brush().Clear ? QBrush(Qt::NoBrush) : QBrush(ToQt(Brush().Color)));
    }
}

void QtCanvas::MappingChanged()
{
    if (!m_painter.isActive()) {
        return;
    }
    if (!Mapped()) {
        m_painter.setViewTransformEnabled(false);
    } else {
        const TCanvasMapping &map = Mapping();
        m_painter.setWindow(map.WindowOrgX, map.WindowOrgY, map.WindowExtX, map.WindowExtY);
        m_painter.setViewport(map.ViewportOrgX, map.ViewportOrgY, map.ViewportExtX,
                              map.ViewportExtY);
        m_painter.setViewTransformEnabled(true);
    }
    PenChanged();
}
