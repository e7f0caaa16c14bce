#pragma once

#include "forms/FormGraphics.h"

#include <cstdint>
#include <string>
#include <vector>

// A fill-in field of a form page: its value by kind (text, check box, radio button, circle
// box), the mirrors that repeat it, and the flags the editor and the completion checks read.
class TFormField : public TFormGraphic
{
public:
    TFormPoint Origin; // top-left of the value text, logical units
    std::string FieldName;
    std::string Value;
    int32_t Number = 0;
    int32_t LinkNumber = 0; // the record's link: the field number of the next member
    TFormField *Link = nullptr; // next field of a radio-button group (a ring)
    uint8_t Kind = fkText;
    bool ReadOnly = false;
    bool NamesMode = false;
    int32_t FitCount = 0; // leading characters of Value drawn; 0 means all
    bool Bold = false;
    bool Marked = false; // a circle box
    bool Required = false;
    std::string Description;
    int32_t Side = 0;
    std::vector<TFormField *> Mirrors;
    bool AutoAdvance = false;
    int32_t MaxLength = 0;
    uint8_t CaseMode = 0;
    uint8_t InputClass = 0;
    bool Filled = false;
    bool FieldsOnly = false;
    std::string ExtraName;

    // Fields are drawn by the field renderer of their document, which knows the viewer's
    // colours and fonts; the page's drawing calls it.
    void Draw(Canvas &) override { }

    // ReadOnly, or a mirror ("MAP:" and the name of the field it repeats).
    bool IsReadOnly() const;
    bool IsMirror() const;
    // The trimmed description, or the trimmed name when the description is blank.
    std::string DisplayName() const;
    // A number (decimal, amount or signed amount input): its value stands at the right of the
    // field, as amounts do on a printed form.
    bool RightAligned() const;
    // The kind as the field information shows it: "Text", "Check box", "Radio button",
    // "Circle box".
    std::string KindName() const;
    // The other members of the ring (Link) in ring order, stopping when the ring comes back to
    // this field or reaches one of its mirrors.
    std::vector<TFormField *> RingMembers() const;
};

// Value rules of the fields.
// Stores a value under the kind rules and copies it to the mirrors.
void SetValue(TFormField &field, const std::string &text);
// Marks a circle box (and its mirrors, and theirs).
void SetMarked(TFormField &field, bool marked);
// Marked for a circle box, else a non-blank value.
bool HasValue(const TFormField &field);
// Stores the name; a circle box whose name holds "_" stands for the part after the first "_".
void SetFieldName(TFormField &field, const std::string &name);
// The characters InputClass accepts when typed (1 digits; 2 digits and "+,-."; 3 digits and
// ","; 4 digits, "," and "-"; 5 digits, "-" and "/"; 6 letters; 7 letters and digits; any other
// class accepts every character).
bool AcceptsCharacter(const TFormField &field, char c);
// The case mode applied to a text: 1 upper, 2 lower, 3 lower with the first character upper.
std::string ApplyCaseMode(uint8_t caseMode, const std::string &text);

// A completion rule attached to the fields of a viewer.
class TFormViewerLogic
{
public:
    int32_t RuleKind = rkAtLeastOne;
    std::vector<TFormField *> Members;
    std::string Message;
    TFormField *Offender = nullptr;
    // Kind 0 passes when any member has a value; kind 1 when none or all do. Sets Offender on
    // failure (the first member, or the first member without a value). Other kinds pass.
    bool Passes();
    // The message the checks show for a failure of this rule.
    std::string CheckMessage() const;
};
