#include "forms/FormGraphics.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "forms/FormDocument.h"
#include "forms/FormErrors.h"
#include "forms/FormNumbers.h"

#include <cmath>

int32_t LinesToLogical(int32_t hundredths)
{
    return static_cast<int32_t>(static_cast<int64_t>(hundredths) * 10 / 6);
}

TLogicalRect GraphicRect(const TFormRect &rect)
{
    return {rect.Left, LinesToLogical(rect.Top) + 27, rect.Right, LinesToLogical(rect.Bottom) + 27};
}

// --- Boxes, separators, shading -------------------------------------------------------------

void TAcordFormBox::Draw(Canvas &canvas)
{
    const int32_t w = LineWidth;
    const TLogicalRect &r = Rect;
    canvas.FillRect(r.Left, r.Top, r.Left + w, r.Bottom + w, clBlack);
    canvas.FillRect(r.Left, r.Top, r.Right + w, r.Top + w, clBlack);
    canvas.FillRect(r.Right, r.Top, r.Right + w, r.Bottom + w, clBlack);
    canvas.FillRect(r.Left, r.Bottom, r.Right + w, r.Bottom + w, clBlack);
    canvas.SetPen({1, OutlineColour()});
    canvas.SetBrush({true, clWhite});
    canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

namespace {

template<class Object, class Items, class Fill>
void BuildGraphics(TFormDocument &document, Items &items, Fill fill)
{
    items.Load(document.FormName());
    for (size_t i = 0; i < items.Count(); ++i) {
        auto object = std::make_unique<Object>();
        fill(*object, items[i]);
        Object *raw = object.get();
        TFormPage &page = document.PageOf(items[i].Side);
        page.Objects.push_back(std::move(object));
        if constexpr (std::is_same_v<Object, TAcordFormSeperator>) {
            page.Separators.push_back(raw);
        }
    }
}

} // namespace

void TAcordFormBox::LoadFromForm(TFormDocument &document)
{
    TBoxItems items(document.FormsPath());
    BuildGraphics<TAcordFormBox>(document, items, [](TAcordFormBox &box, const TBoxItem &item) {
        box.Rect = GraphicRect(item.Rect);
        box.LineWidth = item.LineWidth * 10 / 3;
    });
}

void TAcordFormSeperator::LoadFromForm(TFormDocument &document)
{
    TSeperatorItems items(document.FormsPath());
    BuildGraphics<TAcordFormSeperator>(document, items,
                                       [](TAcordFormSeperator &separator, const TBoxItem &item) {
                                           separator.Rect = GraphicRect(item.Rect);
                                       });
}

void TAcordFormShade::Draw(Canvas &canvas)
{
    const auto g = static_cast<uint8_t>(std::clamp(RoundHalfEven((1 - Shade) * 255), 0, 255));
    canvas.FillRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, {g, g, g});
}

void TAcordFormShade::LoadFromForm(TFormDocument &document)
{
    TShadeItems items(document.FormsPath());
    BuildGraphics<TAcordFormShade>(document, items,
                                   [](TAcordFormShade &shade, const TShadeItem &item) {
                                       shade.Rect = GraphicRect(item.Rect);
                                       shade.Shade = item.Shade;
                                   });
}

// --- Texts ----------------------------------------------------------------------------------

int32_t TAcordFormText::FontHeight() const
{
    return RoundHalfEven(FontSize * 1000 / 72);
}

void TAcordFormText::UseFont(Canvas &canvas, uint8_t extraStyle) const
{
    TCanvasFont font;
    font.Name = FontName;
    font.Height = std::max(1, FontHeight());
    font.Style = static_cast<uint8_t>((Bold ? fsBold : 0) | (Italic ? fsItalic : 0) | extraStyle);
    canvas.SetFont(font);
}

namespace {

// Runs of characters [begin, end) of a text that share one style entry.
template<class F>
void ForEachRun(const std::string &text, const TStringFontStyles &styles, size_t begin, size_t end,
                F run)
{
    size_t start = begin;
    const auto style = [&](size_t i) { return i < styles.size() ? styles[i] : uint8_t {0}; };
    for (size_t i = begin + 1; i <= end; ++i) {
        if (i == end || style(i) != style(start)) {
            run(text.substr(start, i - start), style(start));
            start = i;
        }
    }
}

} // namespace

int32_t TAcordFormText::XValue(Canvas &canvas) const
{
    return EvaluateXTerms(m_terms, [&](const std::string &text, int32_t height, bool bold) {
        const TSavedCanvasFont saved(canvas);
        TCanvasFont font;
        font.Name = "Arial";
        font.Height = std::max(1, height);
        font.Style = bold ? fsBold : 0;
        canvas.SetFont(font);
        return canvas.TextWidth(text);
    });
}

int32_t TAcordFormText::DrawnWidth(Canvas &canvas)
{
    int32_t width = 0;
    ForEachRun(Text, Styles, 0, Text.size(), [&](const std::string &run, uint8_t style) {
        UseFont(canvas, style);
        width += canvas.TextWidth(run);
    });
    return width;
}

void TAcordFormText::Measure(Canvas &canvas)
{
    if (m_generation != nullptr && m_measured == *m_generation) {
        return;
    }
    if (m_measuring) {
        return; // a text cannot follow itself; keep what is known
    }
    m_measuring = true;
    const TSavedCanvasFont saved(canvas);
    const int32_t x = XValue(canvas);
    switch (Alignment) {
    case 1:
        m_start = x;
        m_end = x + Width;
        break;
    case 2:
        m_start = x + (Width - DrawnWidth(canvas)) / 2;
        m_end = x + Width;
        break;
    case 3:
        m_start = x + (Predecessor != nullptr ? Predecessor->EndX(canvas) : 0);
        m_end = m_start + DrawnWidth(canvas);
        break;
    default:
        m_start = x;
        m_end = x + DrawnWidth(canvas);
        break;
    }
    m_measuring = false;
    if (m_generation != nullptr) {
        m_measured = *m_generation;
    }
}

int32_t TAcordFormText::StartX(Canvas &canvas)
{
    Measure(canvas);
    return m_start;
}

int32_t TAcordFormText::EndX(Canvas &canvas)
{
    Measure(canvas);
    return m_end;
}

void TAcordFormText::Draw(Canvas &canvas)
{
    const int32_t start = StartX(canvas);
    const int32_t top = Y - FontHeight();
    canvas.SetTextColor(Reverse ? clWhite : Colour);
    if (Alignment != 1) {
        int32_t x = start;
        ForEachRun(Text, Styles, 0, Text.size(), [&](const std::string &run, uint8_t style) {
            UseFont(canvas, style);
            canvas.TextOut(x, top, run);
            x += canvas.TextWidth(run);
        });
        return;
    }
    // Justified: the words spread over Width, the gaps shared out in whole units.
    struct Word
    {
        size_t Begin;
        size_t End;
        int32_t Width = 0;
    };
    std::vector<Word> words;
    for (size_t i = 0; i < Text.size();) {
        const bool blank = Text[i] == ' ';
        size_t j = i;
        while (j < Text.size() && (Text[j] == ' ') == blank) {
            ++j;
        }
        if (!blank) {
            words.push_back({i, j});
        }
        i = j;
    }
    int32_t total = 0;
    for (Word &word : words) {
        ForEachRun(Text, Styles, word.Begin, word.End, [&](const std::string &run, uint8_t style) {
            UseFont(canvas, style);
            word.Width += canvas.TextWidth(run);
        });
        total += word.Width;
    }
    const double gap = words.size() > 1
        ? static_cast<double>(Width - total) / static_cast<double>(words.size() - 1)
        : 0.0;
    int32_t x = start;
    int32_t earlier = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const Word &word = words[i];
        const int32_t step = RoundHalfEven(static_cast<double>(i + 1) * gap - earlier);
        earlier += step;
        const bool underlinedGap = word.End < Text.size() && word.End < Styles.size() &&
            (Styles[word.End] & fsUnderline) != 0 && i + 1 < words.size();
        if (underlinedGap) {
            // Underlined blanks under the word and the gap after it.
            UseFont(canvas, fsUnderline);
            const int32_t blank = std::max(1, canvas.TextWidth(" "));
            const int32_t span = word.Width + step;
            canvas.SetClipRect(x, top, x + span, top + FontHeight() * 2);
            canvas.TextOut(x, top, std::string(static_cast<size_t>(span / blank + 2), ' '));
            canvas.ResetClip();
        }
        int32_t wx = x;
        ForEachRun(Text, Styles, word.Begin, word.End, [&](const std::string &run, uint8_t style) {
            UseFont(canvas, style);
            canvas.TextOut(wx, top, run);
            wx += canvas.TextWidth(run);
        });
        x += word.Width + step;
    }
}

void TAcordFormText::LoadFromForm(TFormDocument &document)
{
    TTextItems items(document.FormsPath());
    items.Load(document.FormName());
    std::vector<TAcordFormText *> built;
    for (size_t i = 0; i < items.Count(); ++i) {
        const TTextItem &item = items[i];
        auto text = std::make_unique<TAcordFormText>();
        text->Number = item.Number;
        text->FontSize = item.FontSize;
        text->Bold = item.Bold;
        text->Italic = item.Italic;
        text->Reverse = item.Reverse;
        text->XExpression = item.XExpression;
        text->m_terms = ParseXExpression(item.XExpression);
        text->Y = LinesToLogical(item.Line);
        text->Width = item.Width;
        text->Text = item.Text;
        text->Alignment = item.Alignment;
        text->FontName = item.FontName;
        text->Styles = item.Styles;
        text->Colour = {static_cast<uint8_t>(item.Colour & 0xFF),
                        static_cast<uint8_t>((item.Colour >> 8) & 0xFF),
                        static_cast<uint8_t>((item.Colour >> 16) & 0xFF)};
        text->Rect = {0, text->Y - text->FontHeight(), 8000, text->Y};
        text->m_generation = &document.Generation();
        // The predecessor is the text built from item number PreviousNumber.
        for (TAcordFormText *other : built) {
            if (other->Number == item.PreviousNumber) {
                text->Predecessor = other;
            }
        }
        if (text->Alignment == 3 && text->Predecessor == nullptr) {
            RaiseFormDataCorrupt();
        }
        built.push_back(text.get());
        document.PageOf(item.Side).Objects.push_back(std::move(text));
    }
}

// --- Pictures -------------------------------------------------------------------------------

void TAcordFormImage::LoadPicture()
{
    const std::string path = ResolveFileName(FileName);
    Bitmap =
        !FileName.empty() && FileExists(path) ? TCanvasBitmap::FromFile(path) : TCanvasBitmap();
}

void TAcordFormImage::Draw(Canvas &canvas)
{
    if (Bitmap.Empty()) {
        return;
    }
    canvas.StretchDraw(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, Bitmap,
                       Printing ? TCopyMode::SourceAnd : TCopyMode::Copy);
}

void TAcordFormImage::LoadFromForm(TFormDocument &document)
{
    TImageItems items(document.FormsPath());
    const std::string folder = ExtractFilePath(document.FormsPath());
    BuildGraphics<TAcordFormImage>(document, items,
                                   [&](TAcordFormImage &image, const TImageItem &item) {
                                       image.Rect = GraphicRect(item.Rect);
                                       image.FileName = folder + NativePath(item.FileName);
                                       image.LoadPicture();
                                   });
}

void TAcordFormUserImage::LoadPicture()
{
    TAcordFormImage::LoadPicture();
    std::vector<const TAcordFormUserImage *> visited {this};
    CopyToMirrors(visited);
}

void TAcordFormUserImage::CopyToMirrors(std::vector<const TAcordFormUserImage *> &visited)
{
    for (TAcordFormUserImage *mirror : Mirrors) {
        if (std::find(visited.begin(), visited.end(), mirror) != visited.end()) {
            continue;
        }
        visited.push_back(mirror);
        if (!FileName.empty()) {
            mirror->FileName = FileName;
            mirror->Bitmap = Bitmap;
        } else {
            mirror->FileName.clear();
            mirror->Bitmap = TCanvasBitmap();
        }
        mirror->CopyToMirrors(visited);
    }
}

void TAcordFormUserImage::Draw(Canvas &canvas)
{
    if (!Bitmap.Empty() || Printing || !IsStampSlot) {
        TAcordFormImage::Draw(canvas);
        return;
    }
    const TCanvasColor blue {0, 0, 255};
    canvas.FillRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, {153, 204, 255});
    const TSavedCanvasFont saved(canvas);
    TCanvasFont font;
    font.Name = "Arial";
    font.Height = 153;
    font.Style = fsUnderline;
    canvas.SetFont(font);
    canvas.SetTextColor(blue);
    const std::string text = "Click to Insert eStamp Image (if desired)";
    canvas.TextOut(Rect.Left + (Rect.Width() - canvas.TextWidth(text)) / 2, Rect.Top + 2, text);
    canvas.SetPen({1, blue});
    canvas.SetBrush({true, clWhite});
    canvas.Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
}

void TAcordFormUserImage::LoadFromForm(TFormDocument &document)
{
    TUserImageItems items(document.FormsPath());
    std::vector<TAcordFormUserImage *> slots;
    BuildGraphics<TAcordFormUserImage>(document, items,
                                       [&](TAcordFormUserImage &slot, const TUserImageItem &item) {
                                           slot.Rect = GraphicRect(item.Rect);
                                           slot.SlotName = item.SlotName;
                                           slot.SlotText = item.SlotText;
                                           slot.SlotValue = item.SlotValue;
                                           slot.IsStampSlot = item.IsStampSlot;
                                           slots.push_back(&slot);
                                       });
    for (TAcordFormUserImage *mirror : slots) {
        if (mirror->SlotName.find("MAP:") == std::string::npos) {
            continue;
        }
        const std::string source =
            Trim(mirror->SlotName.size() > 4 ? mirror->SlotName.substr(4) : "");
        for (TAcordFormUserImage *slot : slots) {
            if (slot != mirror && Trim(slot->SlotName) == source) {
                slot->Mirrors.push_back(mirror);
            }
        }
    }
}
