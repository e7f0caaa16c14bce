#pragma once

#include "core/Canvas.h"
#include "forms/FormField.h"
#include "forms/FormGraphics.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A page of a form: its drawable objects in drawing order, with the fields (file order) and
// separators also listed on their own.
class TFormPage
{
public:
    std::vector<std::unique_ptr<TFormGraphic>> Objects;
    std::vector<TFormField *> Fields;
    std::vector<TAcordFormSeperator *> Separators;
};

// The settings of a form viewer that decide how a form is loaded, drawn and checked.
struct TFormViewerOptions
{
    TCanvasColor FieldBackgroundColor {240, 240, 255};
    TCanvasColor EditBackgroundColor {255, 255, 255};
    bool ReadOnly = false;
    bool ReadOnlysReceiveFocus = false;
    bool ReadOnlysGetFormBackground = true;
    bool FormVisible = true;
    int32_t MinEditSize = 15;
    bool BoldFields = false;
    bool EnforceRequirements = false;
    std::string CircleFieldFontName = "Arial";
    int32_t CircleFieldFontHeight = 120;
    bool UseCircleFieldFont = false;
    bool HighlightRequiredFields = false;
    bool FilledCheckboxes = false;
    bool PrintFormFieldsOnly = false;
    bool LoadSeperators = false;
};

// What the required-fields dialog returns: whether the user ticked "Ignore Requirements".
using TShowRequirements =
    std::function<bool(const std::string &message, const std::vector<std::string> &names)>;

// The form a viewer shows, without the widget: the pages built from the three files, the
// rules, field lookups and movement, the completion checks and the drawing of a page on any
// canvas. The viewer adds scrolling, zoom, the editor and printing.
class TFormDocument
{
public:
    TFormDocument();
    ~TFormDocument();
    TFormDocument(const TFormDocument &) = delete;
    TFormDocument &operator=(const TFormDocument &) = delete;

    TFormViewerOptions Options;

    // The folder of the definition files, with a trailing "/".
    const std::string &FormsPath() const { return m_formsPath; }
    void SetFormsPath(const std::string &path);
    const std::string &FormName() const { return m_formName; }
    // Loads the form (see the viewer); false when the name is the current one and nothing was
    // done. A form that fails to load raises its error with the name cleared; what was built
    // before the error stays.
    bool Load(const std::string &name);
    // Frees every page and rule.
    void Clear();

    std::vector<std::unique_ptr<TFormPage>> Pages;
    std::vector<std::unique_ptr<TFormViewerLogic>> Rules;
    int32_t PageCount() const { return static_cast<int32_t>(Pages.size()); }
    TFormPage *Page(int32_t number) const; // 1-based; nullptr outside
    // The page appended to until `side` exists.
    TFormPage &PageOf(int32_t side);

    // Lookups over all pages in order.
    TFormField *FindField(const std::string &name) const;
    TFormField *FindFieldByNumber(int32_t number) const;
    std::vector<TFormField *> AllFields() const;

    // Whether the field can take the editor: not read-only, or read-only fields may be tabbed to.
    bool MayReceiveFocus(const TFormField &field) const;
    // Read-only for editing: the field's flag, a mirror, or the whole viewer.
    bool FieldReadOnly(const TFormField &field) const;
    // A required field or a member of a rule of kind 0 (highlighted when that is switched on).
    bool NeedsValue(const TFormField &field) const;

    // Movement between fields (fields that may not receive focus are passed over).
    TFormField *NextField(const TFormField *from, int32_t currentPage) const;
    TFormField *PreviousField(const TFormField *from, int32_t currentPage) const;
    TFormField *FirstFieldOfPage(int32_t page) const;
    TFormField *LastFieldOfPreviousPage(int32_t page) const;
    TFormField *LastFieldOfPage(int32_t page) const;

    // Completion checks. CheckBeforePrint returns true when printing may go on; otherwise
    // `goTo` is the field to take the user to. `show` is the required-fields dialog.
    bool CheckBeforePrint(const TShowRequirements &show, TFormField *&goTo);
    bool CheckRules(const TShowRequirements &show, TFormField *&goTo);

    // Field-names mode of every field.
    void SetNamesMode(bool on);
    bool NamesMode() const { return m_namesMode; }

    // Drawing. A drawing pass measures each text once; Draw of a page draws its objects in
    // order (fields by DrawField). `artwork` and `fields` select what is drawn.
    void BeginDrawing();
    void DrawPage(Canvas &canvas, int32_t page, bool printing, bool artwork = true,
                  bool fields = true);
    void DrawField(Canvas &canvas, TFormField &field, bool printing);
    // The font of a field's value: "Courier New" whose line (ascent and descent) is the field
    // height + 3, or the circle-box font.
    TCanvasFont FieldFont(Canvas &canvas, const TFormField &field);
    // The em height of a face whose line is `lineHeight` logical units on `canvas`.
    int32_t EmForLineHeight(Canvas &canvas, const std::string &face, int32_t lineHeight);

    // The counter each drawing pass advances (texts measure once per pass).
    const uint64_t &Generation() const { return m_generation; }

private:
    void Build(const std::string &name);
    void LinkFields();
    void AttachRules(const std::string &name);

    std::string m_formsPath = "./";
    std::string m_formName;
    bool m_namesMode = false;
    uint64_t m_generation = 1;
    // Line height of each face at an em of 1000 on the last canvas measured.
    struct FaceRatio
    {
        const Canvas *On = nullptr;
        std::string Face;
        double LinePerEm = 0;
    };
    std::vector<FaceRatio> m_ratios;
};

// The field-type names and the check messages the viewer shows.
extern const char *const kRequiredFieldMessage;
extern const char *const kRequiredGroupMessage;
