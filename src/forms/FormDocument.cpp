#include "forms/FormDocument.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "forms/FormNumbers.h"

#include <algorithm>
#include <cmath>

const char *const kRequiredFieldMessage =
    "Printing can't be performed because you need to complete the following field:";
const char *const kRequiredGroupMessage =
    "Printing can't be performed because one or more of the items related to the following field "
    "needs to be completed:";

TFormDocument::TFormDocument() = default;

TFormDocument::~TFormDocument() = default;

void TFormDocument::SetFormsPath(const std::string &path)
{
    m_formsPath = IncludeTrailingSlash(NativePath(path.empty() ? std::string(".") : path));
}

TFormPage *TFormDocument::Page(int32_t number) const
{
    if (number < 1 || number > PageCount()) {
        return nullptr;
    }
    return Pages[static_cast<size_t>(number - 1)].get();
}

TFormPage &TFormDocument::PageOf(int32_t side)
{
    while (PageCount() < side) {
        Pages.push_back(std::make_unique<TFormPage>());
    }
    return *Pages[static_cast<size_t>(std::max(side, 1) - 1)];
}

void TFormDocument::Clear()
{
    Rules.clear();
    Pages.clear();
}

bool TFormDocument::Load(const std::string &name)
{
    if (name == m_formName && !name.empty()) {
        return false;
    }
    const std::string squeezed = UpperCase(ReplaceAll(ReplaceAll(name, " ", ""), "-", ""));
    if (squeezed.find("RMV1") != std::string::npos) {
        Options.CircleFieldFontName = "Arial";
        Options.CircleFieldFontHeight = 110;
        Options.UseCircleFieldFont = true;
        Options.EnforceRequirements = true;
        Options.ReadOnlysReceiveFocus = false;
        Options.ReadOnlysGetFormBackground = true;
    }
    Clear();
    m_formName = name;
    m_namesMode = false;
    if (!name.empty()) {
        try {
            Build(name);
        } catch (...) {
            m_formName.clear();
            throw;
        }
    }
    return true;
}

void TFormDocument::Build(const std::string &name)
{
    if (Options.LoadSeperators) {
        TAcordFormSeperator::LoadFromForm(*this);
    }
    TAcordFormImage::LoadFromForm(*this);
    TAcordFormUserImage::LoadFromForm(*this);
    TAcordFormShade::LoadFromForm(*this);
    TAcordFormBox::LoadFromForm(*this);
    TAcordFormText::LoadFromForm(*this);

    TFieldItems items(FormsPath());
    items.Load(name);
    for (size_t i = 0; i < items.Count(); ++i) {
        const TFieldItem &item = items[i];
        auto field = std::make_unique<TFormField>();
        field->Rect = {item.Rect.Left, LinesToLogical(item.Rect.Top), item.Rect.Right,
                       LinesToLogical(item.Rect.Bottom)};
        field->Origin = {item.Origin.X, LinesToLogical(item.Origin.Y)};
        field->Number = item.Number;
        field->LinkNumber = item.LinkNumber;
        field->Kind = item.Kind;
        SetFieldName(*field, item.FieldName);
        field->Required = item.Required;
        field->Description = item.Description;
        field->Side = item.Side;
        field->MaxLength = item.MaxLength;
        field->AutoAdvance = item.AutoAdvance;
        field->CaseMode = item.CaseMode;
        field->InputClass = item.InputClass;
        field->ExtraName = item.ExtraName;
        field->ReadOnly = Options.ReadOnly;
        field->Bold = Options.BoldFields;
        field->Filled = Options.FilledCheckboxes;
        TFormPage &page = PageOf(item.Side);
        page.Fields.push_back(field.get());
        page.Objects.push_back(std::move(field));
    }
    LinkFields();
    AttachRules(name);
}

void TFormDocument::LinkFields()
{
    const std::vector<TFormField *> fields = AllFields();
    for (TFormField *field : fields) {
        field->Link = field->LinkNumber != 0 ? FindFieldByNumber(field->LinkNumber) : nullptr;
    }
    for (TFormField *field : fields) {
        if (field->IsMirror()) {
            continue;
        }
        const std::string mirrorName = "MAP:" + UpperCase(field->FieldName);
        for (TFormField *other : fields) {
            if (UpperCase(other->FieldName) == mirrorName) {
                field->Mirrors.push_back(other);
                other->ReadOnly = true;
            }
        }
    }
}

void TFormDocument::AttachRules(const std::string &name)
{
    TLogicItems items(FormsPath());
    items.Load(name);
    for (size_t i = 0; i < items.Count(); ++i) {
        auto rule = std::make_unique<TFormViewerLogic>();
        rule->RuleKind = items[i].RuleKind;
        rule->Message = items[i].Message;
        for (const int16_t number : items[i].FieldNumbers) {
            if (TFormField *field = FindFieldByNumber(number)) {
                rule->Members.push_back(field);
            }
        }
        Rules.push_back(std::move(rule));
    }
}

std::vector<TFormField *> TFormDocument::AllFields() const
{
    std::vector<TFormField *> fields;
    for (const auto &page : Pages) {
        fields.insert(fields.end(), page->Fields.begin(), page->Fields.end());
    }
    return fields;
}

TFormField *TFormDocument::FindField(const std::string &name) const
{
    for (const auto &page : Pages) {
        for (TFormField *field : page->Fields) {
            if (SameText(field->FieldName, name)) {
                return field;
            }
        }
    }
    return nullptr;
}

TFormField *TFormDocument::FindFieldByNumber(int32_t number) const
{
    for (const auto &page : Pages) {
        for (TFormField *field : page->Fields) {
            if (field->Number == number) {
                return field;
            }
        }
    }
    return nullptr;
}

bool TFormDocument::FieldReadOnly(const TFormField &field) const
{
    return field.IsReadOnly() || Options.ReadOnly;
}

bool TFormDocument::MayReceiveFocus(const TFormField &field) const
{
    return !FieldReadOnly(field) || Options.ReadOnlysReceiveFocus;
}

bool TFormDocument::NeedsValue(const TFormField &field) const
{
    if (field.Required) {
        return true;
    }
    for (const auto &rule : Rules) {
        if (rule->RuleKind == rkAtLeastOne &&
            std::find(rule->Members.begin(), rule->Members.end(), &field) != rule->Members.end()) {
            return true;
        }
    }
    return false;
}

// --- Movement -----------------------------------------------------------------------------------

namespace {

// The fields of a page; none outside the document.
const std::vector<TFormField *> &FieldsOfPage(const TFormDocument &document, int32_t page)
{
    static const std::vector<TFormField *> none;
    const TFormPage *found = document.Page(page);
    return found != nullptr ? found->Fields : none;
}

int32_t PageIndexOf(const TFormDocument &document, const TFormField *field)
{
    for (int32_t p = 1; p <= document.PageCount(); ++p) {
        const auto &fields = FieldsOfPage(document, p);
        if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
            return p;
        }
    }
    return 0;
}

} // namespace

TFormField *TFormDocument::NextField(const TFormField *from, int32_t currentPage) const
{
    int32_t page = currentPage;
    size_t index = 0;
    if (from != nullptr && (page = PageIndexOf(*this, from)) != 0) {
        const auto &fields = FieldsOfPage(*this, page);
        index =
            static_cast<size_t>(std::find(fields.begin(), fields.end(), from) - fields.begin()) + 1;
    }
    for (; page >= 1 && page <= PageCount(); ++page, index = 0) {
        const auto &fields = FieldsOfPage(*this, page);
        for (size_t i = index; i < fields.size(); ++i) {
            if (MayReceiveFocus(*fields[i])) {
                return fields[i];
            }
        }
    }
    return nullptr;
}

TFormField *TFormDocument::PreviousField(const TFormField *from, int32_t currentPage) const
{
    int32_t page = currentPage - 1;
    size_t end = FieldsOfPage(*this, page).size();
    if (from != nullptr && PageIndexOf(*this, from) != 0) {
        page = PageIndexOf(*this, from);
        const auto &fields = FieldsOfPage(*this, page);
        end = static_cast<size_t>(std::find(fields.begin(), fields.end(), from) - fields.begin());
    }
    for (; page >= 1 && page <= PageCount(); --page) {
        const auto &fields = FieldsOfPage(*this, page);
        for (size_t i = std::min(end, fields.size()); i-- > 0;) {
            if (MayReceiveFocus(*fields[i])) {
                return fields[i];
            }
        }
        end = page > 1 ? FieldsOfPage(*this, page - 1).size() : 0;
    }
    return nullptr;
}

TFormField *TFormDocument::FirstFieldOfPage(int32_t page) const
{
    if (const TFormPage *p = Page(page)) {
        for (TFormField *field : p->Fields) {
            if (MayReceiveFocus(*field)) {
                return field;
            }
        }
    }
    return nullptr;
}

TFormField *TFormDocument::LastFieldOfPage(int32_t page) const
{
    if (const TFormPage *p = Page(page)) {
        for (auto it = p->Fields.rbegin(); it != p->Fields.rend(); ++it) {
            if (MayReceiveFocus(**it)) {
                return *it;
            }
        }
    }
    return nullptr;
}

TFormField *TFormDocument::LastFieldOfPreviousPage(int32_t page) const
{
    return LastFieldOfPage(page - 1);
}

// --- Completion checks
// ----------------------------------------------------------------------------

namespace {

bool RequiredFieldPasses(const TFormField &field)
{
    if (field.Kind == fkRadioButton) {
        if (!Trim(field.Value).empty()) {
            return true;
        }
        for (const TFormField *member : field.RingMembers()) {
            if (!Trim(member->Value).empty()) {
                return true;
            }
        }
        return false;
    }
    // A circle box always holds the value it stands for; marked is what counts.
    return HasValue(field);
}

} // namespace

bool TFormDocument::CheckBeforePrint(const TShowRequirements &show, TFormField *&goTo)
{
    goTo = nullptr;
    if (!Options.EnforceRequirements) {
        return true;
    }
    for (const auto &page : Pages) {
        for (TFormField *field : page->Fields) {
            if (!field->Required || RequiredFieldPasses(*field)) {
                continue;
            }
            const std::string message =
                field->Kind == fkRadioButton ? kRequiredGroupMessage : kRequiredFieldMessage;
            const bool ignore = show(message, {field->DisplayName()});
            Options.EnforceRequirements = !ignore;
            Options.HighlightRequiredFields = true;
            if (Options.EnforceRequirements) {
                goTo = field;
                return false;
            }
            return true;
        }
    }
    return CheckRules(show, goTo);
}

bool TFormDocument::CheckRules(const TShowRequirements &show, TFormField *&goTo)
{
    goTo = nullptr;
    for (const auto &rule : Rules) {
        if (rule->Passes()) {
            continue;
        }
        std::vector<std::string> names;
        for (const TFormField *member : rule->Members) {
            names.push_back(member->DisplayName());
        }
        const bool ignore = show(rule->CheckMessage(), names);
        Options.EnforceRequirements = !ignore;
        Options.HighlightRequiredFields = true;
        goTo = rule->Offender;
        return false;
    }
    return true;
}

void TFormDocument::SetNamesMode(bool on)
{
    m_namesMode = on;
    for (TFormField *field : AllFields()) {
        field->NamesMode = on;
    }
}

// --- Drawing ------------------------------------------------------------------------------------

void TFormDocument::BeginDrawing()
{
    ++m_generation;
    m_ratios.clear();
}

void TFormDocument::DrawPage(Canvas &canvas, int32_t page, bool printing, bool artwork, bool fields)
{
    const TFormPage *p = Page(page);
    if (p == nullptr) {
        return;
    }
    for (const auto &object : p->Objects) {
        object->Printing = printing;
        if (auto *field = dynamic_cast<TFormField *>(object.get())) {
            if (fields) {
                DrawField(canvas, *field, printing);
            }
        } else if (artwork) {
            object->Draw(canvas);
        }
    }
}

int32_t TFormDocument::EmForLineHeight(Canvas &canvas, const std::string &face, int32_t lineHeight)
{
    auto found = std::find_if(m_ratios.begin(), m_ratios.end(), [&](const FaceRatio &ratio) {
        return ratio.On == &canvas && ratio.Face == face;
    });
    if (found == m_ratios.end()) {
        const TSavedCanvasFont saved(canvas);
        TCanvasFont font;
        font.Name = face;
        font.Height = 1000;
        canvas.SetFont(font);
        const int32_t line = canvas.TextMetrics().Height;
        m_ratios.push_back({&canvas, face, line > 0 ? line / 1000.0 : 1.0});
        found = m_ratios.end() - 1;
    }
    return std::max(1, static_cast<int32_t>(std::lround(lineHeight / found->LinePerEm)));
}

TCanvasFont TFormDocument::FieldFont(Canvas &canvas, const TFormField &field)
{
    TCanvasFont font;
    if (field.Kind == fkCircleBox) {
        font.Name = Options.UseCircleFieldFont ? Options.CircleFieldFontName : "Courier New";
        font.Height = EmForLineHeight(
            canvas, font.Name, Options.UseCircleFieldFont ? Options.CircleFieldFontHeight : 138);
    } else {
        font.Name = "Courier New";
        font.Height = EmForLineHeight(canvas, font.Name, field.Rect.Height() + 3);
        font.Style = field.Bold ? fsBold : 0;
    }
    return font;
}

namespace {

// How many leading characters of `text` fit in `width` in the canvas's font.
size_t FittingCount(Canvas &canvas, const std::string &text, int32_t width)
{
    if (canvas.TextWidth(text) <= width) {
        return text.size();
    }
    size_t low = 0;
    size_t high = text.size();
    while (low < high) {
        const size_t middle = (low + high + 1) / 2;
        if (canvas.TextWidth(text.substr(0, middle)) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

TCanvasColor NamesColour(uint8_t kind)
{
    switch (kind) {
    case fkCheckBox:
        return {255, 224, 255};
    case fkRadioButton:
        return {208, 255, 208};
    case fkCircleBox:
        return {252, 170, 160};
    default:
        return {255, 255, 208};
    }
}

} // namespace

void TFormDocument::DrawField(Canvas &canvas, TFormField &field, bool printing)
{
    const TSavedCanvasFont saved(canvas);
    const TLogicalRect &r = field.Rect;
    canvas.SetFont(FieldFont(canvas, field));
    const bool circle = field.Kind == fkCircleBox;
    field.FitCount = circle ? static_cast<int32_t>(field.Value.size())
                            : static_cast<int32_t>(FittingCount(canvas, field.Value, r.Width()));
    if (!printing && !circle && !(FieldReadOnly(field) && Options.ReadOnlysGetFormBackground)) {
        const TCanvasColor fill = Options.HighlightRequiredFields && NeedsValue(field)
            ? TCanvasColor {255, 224, 255}
            : Options.FieldBackgroundColor;
        canvas.FillRect(r.Left, r.Top, r.Right, r.Bottom, fill);
    }
    TCanvasColor colour = clBlack;
    if (circle && !printing && !FieldReadOnly(field)) {
        colour = {0, 0, 255};
    }
    canvas.SetTextColor(colour);

    std::string text;
    if (field.NamesMode) {
        text = field.FieldName;
        canvas.FillRect(field.Origin.X, field.Origin.Y, field.Origin.X + canvas.TextWidth(text),
                        field.Origin.Y + canvas.TextHeight(text), NamesColour(field.Kind));
    } else if (field.Kind == fkCheckBox || field.Kind == fkRadioButton) {
        text = field.Value.empty() ? "" : "X";
    } else {
        text = field.Value;
        if (field.FitCount > 0 && static_cast<size_t>(field.FitCount) < text.size()) {
            text.resize(static_cast<size_t>(field.FitCount));
        }
    }

    if (circle && !field.NamesMode) {
        const int32_t right = field.Origin.X + canvas.TextWidth(text) + 24;
        const int32_t bottom = field.Origin.Y + canvas.TextHeight("W") + 16;
        if (field.Marked || !printing) {
            canvas.SetPen({8, field.Marked ? clBlack : clWhite});
            canvas.SetBrush({true, clWhite});
            canvas.Ellipse(field.Origin.X - 16, field.Origin.Y - 16, right, bottom);
        }
        if (printing && field.FieldsOnly) {
            field.FitCount = 0;
            return;
        }
    }

    if (!text.empty()) {
        const int32_t width = canvas.TextWidth(text);
        if (width <= r.Width() || text.size() < 2) {
            int32_t x = field.Origin.X;
            if (field.RightAligned() && !field.NamesMode) {
                // The same inset from the right edge as the origin has from the left.
                x = std::max(x, r.Right - (field.Origin.X - r.Left) - width);
            }
            canvas.TextOut(x, field.Origin.Y, text);
        } else {
            // Too wide: each advance shortened so the text ends within the field.
            const auto count = static_cast<int32_t>(text.size());
            const int32_t cut = (width - r.Width() + count - 1) / count;
            int32_t x = field.Origin.X;
            for (const char c : text) {
                const std::string one(1, c);
                canvas.TextOut(x, field.Origin.Y, one);
                x += canvas.TextWidth(one) - cut;
            }
        }
    }
    field.FitCount = 0;
}
