#include "forms/FormField.h"

#include "core/Text.h"

#include <algorithm>

bool TFormField::IsMirror() const
{
    return StartsWithText(FieldName, "MAP:");
}

bool TFormField::IsReadOnly() const
{
    return ReadOnly || IsMirror();
}

std::string TFormField::DisplayName() const
{
    const std::string description = Trim(Description);
    return description.empty() ? Trim(FieldName) : description;
}

bool TFormField::RightAligned() const
{
    return Kind == fkText && (InputClass == 2 || InputClass == 3 || InputClass == 4);
}

std::string TFormField::KindName() const
{
    switch (Kind) {
    case fkCheckBox:
        return "Check box";
    case fkRadioButton:
        return "Radio button";
    case fkCircleBox:
        return "Circle box";
    default:
        return "Text";
    }
}

std::vector<TFormField *> TFormField::RingMembers() const
{
    std::vector<TFormField *> members;
    for (TFormField *next = Link; next != nullptr && next != this; next = next->Link) {
        if (std::find(Mirrors.begin(), Mirrors.end(), next) != Mirrors.end() ||
            std::find(members.begin(), members.end(), next) != members.end()) {
            break;
        }
        members.push_back(next);
    }
    return members;
}

namespace {

void CopyToMirrors(TFormField &field, std::vector<const TFormField *> &visited)
{
    for (TFormField *mirror : field.Mirrors) {
        if (std::find(visited.begin(), visited.end(), mirror) != visited.end()) {
            continue;
        }
        visited.push_back(mirror);
        mirror->Value = field.Value;
        CopyToMirrors(*mirror, visited);
    }
}

void MarkMirrors(TFormField &field, bool marked, std::vector<const TFormField *> &visited)
{
    for (TFormField *mirror : field.Mirrors) {
        if (std::find(visited.begin(), visited.end(), mirror) != visited.end()) {
            continue;
        }
        visited.push_back(mirror);
        if (mirror->Kind == fkCircleBox) {
            mirror->Marked = marked;
        }
        MarkMirrors(*mirror, marked, visited);
    }
}

} // namespace

void SetValue(TFormField &field, const std::string &text)
{
    if (field.NamesMode) {
        field.Value = text;
    } else {
        switch (field.Kind) {
        case fkCheckBox:
            field.Value = text.empty() ? "" : "X";
            break;
        case fkRadioButton:
            if (text.empty()) {
                field.Value.clear();
            } else if (field.Value.empty()) {
                for (TFormField *member : field.RingMembers()) {
                    member->Value.clear();
                    std::vector<const TFormField *> visited {member};
                    CopyToMirrors(*member, visited);
                }
                field.Value = "X";
            }
            break;
        case fkCircleBox:
            break;
        default:
            field.Value = text;
            break;
        }
    }
    std::vector<const TFormField *> visited {&field};
    CopyToMirrors(field, visited);
}

void SetMarked(TFormField &field, bool marked)
{
    field.Marked = marked;
    if (field.Kind == fkCircleBox) {
        std::vector<const TFormField *> visited {&field};
        MarkMirrors(field, marked, visited);
    }
}

bool HasValue(const TFormField &field)
{
    return field.Kind == fkCircleBox ? field.Marked : !Trim(field.Value).empty();
}

void SetFieldName(TFormField &field, const std::string &name)
{
    field.FieldName = name;
    const size_t underscore = name.find('_');
    if (field.Kind == fkCircleBox && !Trim(name).empty() && underscore != std::string::npos) {
        field.Value = name.substr(underscore + 1);
    }
}

bool AcceptsCharacter(const TFormField &field, char c)
{
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    switch (field.InputClass) {
    case 1:
        return digit;
    case 2:
        return digit || c == '+' || c == ',' || c == '-' || c == '.';
    case 3:
        return digit || c == ',';
    case 4:
        return digit || c == ',' || c == '-';
    case 5:
        return digit || c == '-' || c == '/';
    case 6:
        return letter;
    case 7:
        return letter || digit;
    default:
        return true;
    }
}

std::string ApplyCaseMode(uint8_t caseMode, const std::string &text)
{
    switch (caseMode) {
    case 1:
        return UpperCase(text);
    case 2:
        return LowerCase(text);
    case 3: {
        std::string result = LowerCase(text);
        if (!result.empty()) {
            result = UpperCase(result.substr(0, 1)) + result.substr(1);
        }
        return result;
    }
    default:
        return text;
    }
}

bool TFormViewerLogic::Passes()
{
    if (Members.empty()) {
        return true;
    }
    if (RuleKind == rkAtLeastOne) {
        for (TFormField *member : Members) {
            if (HasValue(*member)) {
                return true;
            }
        }
        Offender = Members.front();
        return false;
    }
    if (RuleKind == rkAllOrNone) {
        TFormField *firstEmpty = nullptr;
        bool any = false;
        for (TFormField *member : Members) {
            if (HasValue(*member)) {
                any = true;
            } else if (firstEmpty == nullptr) {
                firstEmpty = member;
            }
        }
        if (any && firstEmpty != nullptr) {
            Offender = firstEmpty;
            return false;
        }
    }
    return true;
}

std::string TFormViewerLogic::CheckMessage() const
{
    return RuleKind == rkAtLeastOne
        ? "At least one of the following fields must have a value:"
        : "If any of the following fields have a value you must complete the other fields "
          "in the list:";
}
