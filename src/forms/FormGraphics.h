#pragma once

#include "core/Canvas.h"
#include "forms/FormItems.h"
#include "forms/XExpression.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The drawable objects of a form page, in logical units of 1/1000 inch from the top-left corner
// of the printable area (a page is 8000 by 10800). Conversions from the file units: across,
// hundredths of a column are thousandths of an inch; down, hundredths of a line v become
// v * 10 div 6, and boxes, shading, separators, pictures and picture slots are drawn 27 lower.

class TFormDocument;

struct TLogicalRect
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TLogicalRect &) const = default;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool Contains(int32_t x, int32_t y) const
    {
        return x >= Left && x <= Right && y >= Top && y <= Bottom;
    }
};

// Hundredths of a line to logical units down: v * 10 div 6.
int32_t LinesToLogical(int32_t hundredths);
// The rectangle of a graphic item: the vertical values converted and moved 27 down.
TLogicalRect GraphicRect(const TFormRect &rect);

class TFormGraphic
{
public:
    virtual ~TFormGraphic() = default;
    TLogicalRect Rect;
    bool Printing = false; // set while drawn for the printer
    virtual void Draw(Canvas &canvas) = 0;
};

class TAcordFormGraphic : public TFormGraphic
{ };

class TAcordFormBox : public TAcordFormGraphic
{
public:
    int32_t LineWidth = 0; // thousandths of an inch
    virtual TCanvasColor OutlineColour() const { return clBlack; }
    void Draw(Canvas &canvas) override;
    // Builds the boxes of the form (item width * 10 div 3).
    static void LoadFromForm(TFormDocument &document);
};

class TAcordFormSeperator : public TAcordFormBox
{
public:
    TCanvasColor OutlineColour() const override { return {255, 0, 0}; }
    static void LoadFromForm(TFormDocument &document);
};

class TAcordFormShade : public TAcordFormGraphic
{
public:
    double Shade = 0;
    void Draw(Canvas &canvas) override;
    static void LoadFromForm(TFormDocument &document);
};

class TAcordFormText : public TAcordFormGraphic
{
public:
    int32_t Number = 0;
    double FontSize = 0;
    bool Bold = false;
    bool Italic = false;
    bool Reverse = false;
    std::string XExpression;
    int32_t Y = 0; // bottom of the text cell
    int32_t Width = 0;
    std::string Text;
    int32_t Alignment = 0;
    TAcordFormText *Predecessor = nullptr;
    std::string FontName;
    TStringFontStyles Styles;
    TCanvasColor Colour = clBlack;

    void Draw(Canvas &canvas) override;
    // Font height (em) in logical units: round(FontSize * 1000 / 72), half to even.
    int32_t FontHeight() const;
    // Where the text starts and ends on `canvas` (measured with its fonts).
    int32_t StartX(Canvas &canvas);
    int32_t EndX(Canvas &canvas);
    static void LoadFromForm(TFormDocument &document);

private:
    void UseFont(Canvas &canvas, uint8_t extraStyle) const;
    int32_t DrawnWidth(Canvas &canvas);
    int32_t XValue(Canvas &canvas) const;
    void Measure(Canvas &canvas);
    std::vector<TXTerm> m_terms; // the position, read once when the text is built
    // Start and end, measured once per drawing pass of the document (its generation), so a
    // chain of texts that follow each other is measured once.
    const uint64_t *m_generation = nullptr;
    uint64_t m_measured = 0;
    int32_t m_start = 0;
    int32_t m_end = 0;
    bool m_measuring = false;
    friend class TFormDocument;
};

class TAcordFormImage : public TAcordFormGraphic
{
public:
    TCanvasBitmap Bitmap;
    std::string FileName;
    // Loads FileName when the file exists.
    virtual void LoadPicture();
    void Draw(Canvas &canvas) override;
    static void LoadFromForm(TFormDocument &document);
};

class TAcordFormUserImage : public TAcordFormImage
{
public:
    int32_t SlotValue = 0;
    bool IsStampSlot = false;
    std::string SlotName;
    std::string SlotText;
    std::vector<TAcordFormUserImage *> Mirrors;
    // Loads FileName, then copies the picture into every mirror (or clears them when this slot
    // has no file name), and theirs in turn.
    void LoadPicture() override;
    void Draw(Canvas &canvas) override;
    static void LoadFromForm(TFormDocument &document);

private:
    void CopyToMirrors(std::vector<const TAcordFormUserImage *> &visited);
};
