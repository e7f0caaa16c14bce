#include "support/RecordingCanvas.h"

#include <cmath>

TRecordingCanvas::TRecordingCanvas(int32_t width, int32_t height, int32_t dpi)
    : m_width(width), m_height(height), m_dpi(dpi)
{ }

void TRecordingCanvas::SetOffsets(int32_t left, int32_t top)
{
    m_offsetLeft = left;
    m_offsetTop = top;
}

double TRecordingCanvas::EmHeight() const
{
    return Font().Height > 0 ? Font().Height : Font().Size * m_dpi / 72.0;
}

int32_t TRecordingCanvas::TextWidth(const std::string &text)
{
    const double perChar = EmHeight() * ((Font().Style & fsBold) != 0 ? 0.55 : 0.5);
    return static_cast<int32_t>(std::lround(perChar * static_cast<double>(text.size())));
}

int32_t TRecordingCanvas::TextHeight(const std::string &)
{
    return TextMetrics().Height;
}

TTextMetrics TRecordingCanvas::TextMetrics()
{
    TTextMetrics metrics;
    metrics.Height = static_cast<int32_t>(std::lround(EmHeight() * 1.15));
    metrics.Ascent = static_cast<int32_t>(std::lround(EmHeight() * 0.9));
    metrics.Descent = metrics.Height - metrics.Ascent;
    metrics.ExternalLeading = static_cast<int32_t>(std::lround(EmHeight() * 0.1));
    metrics.AverageCharWidth = static_cast<int32_t>(std::lround(EmHeight() * 0.5));
    return metrics;
}

TCanvasCall &TRecordingCanvas::Record(TCanvasCall::Kind what, int32_t x, int32_t y, int32_t x2,
                                      int32_t y2)
{
    TCanvasCall call;
    call.What = what;
    call.Page = m_page;
    call.X = x;
    call.Y = y;
    call.X2 = x2;
    call.Y2 = y2;
    call.Font = Font();
    call.Color = TextColor();
    call.Pen = Pen();
    call.Brush = Brush();
    call.Mapped = Mapped();
    call.Mapping = Mapping();
    Calls.push_back(call);
    return Calls.back();
}

void TRecordingCanvas::NewPage()
{
    Record(TCanvasCall::Kind::NewPage, 0, 0, 0, 0);
    ++m_page;
}

void TRecordingCanvas::TextOut(int32_t x, int32_t y, const std::string &text)
{
    Record(TCanvasCall::Kind::Text, x, y, x + TextWidth(text), y + TextHeight(text)).Text = text;
}

void TRecordingCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    Record(TCanvasCall::Kind::Line, x1, y1, x2, y2);
}

void TRecordingCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Record(TCanvasCall::Kind::Rectangle, left, top, right, bottom);
}

void TRecordingCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Record(TCanvasCall::Kind::Ellipse, left, top, right, bottom);
}

void TRecordingCanvas::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                TCanvasColor color)
{
    Record(TCanvasCall::Kind::FillRect, left, top, right, bottom).Color = color;
}

void TRecordingCanvas::StretchDraw(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   const TCanvasBitmap &bitmap, TCopyMode mode)
{
    TCanvasCall &call = Record(TCanvasCall::Kind::Bitmap, left, top, right, bottom);
    call.Mode = mode;
    call.BitmapSize = bitmap.Bytes().size();
}

void TRecordingCanvas::SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Record(TCanvasCall::Kind::Clip, left, top, right, bottom);
}

void TRecordingCanvas::ResetClip()
{
    Record(TCanvasCall::Kind::ResetClip, 0, 0, 0, 0);
}

std::vector<const TCanvasCall *> TRecordingCanvas::Texts() const
{
    std::vector<const TCanvasCall *> texts;
    for (const TCanvasCall &call : Calls) {
        if (call.What == TCanvasCall::Kind::Text) {
            texts.push_back(&call);
        }
    }
    return texts;
}

const TCanvasCall *TRecordingCanvas::FindText(const std::string &part) const
{
    for (const TCanvasCall &call : Calls) {
        if (call.What == TCanvasCall::Kind::Text && call.Text.find(part) != std::string::npos) {
            return &call;
        }
    }
    return nullptr;
}

std::string TRecordingCanvas::AllText() const
{
    std::string all;
    for (const TCanvasCall *call : Texts()) {
        all += call->Text + "\n";
    }
    return all;
}
