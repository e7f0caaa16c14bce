#include "FormDump.h"

#include "core/Encoding.h"
#include "core/Text.h"
#include "forms/FormNumbers.h"

#include <cstdio>

std::string QuotedText(const std::string &text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            quoted += hex;
        } else {
            quoted += Windows1252ToUtf8(std::string(1, c));
        }
    }
    return quoted + "\"";
}

namespace {

std::string Head(const char *list, const TFormItem &item)
{
    return std::string(list) + " " + IntText(item.Side) + " " + IntText(item.Number);
}

std::string RectText(const TFormRect &rect)
{
    return " left=" + IntText(rect.Left) + " top=" + IntText(rect.Top) +
        " right=" + IntText(rect.Right) + " bottom=" + IntText(rect.Bottom);
}

std::string Flag(bool value)
{
    return value ? "1" : "0";
}

} // namespace

std::string DumpLine(const TShadeItem &item)
{
    return Head("shade", item) + RectText(item.Rect) + " shade=" + FloatText(item.Shade);
}

std::string DumpLine(const TBoxItem &item, const char *list)
{
    std::string line = Head(list, item) + RectText(item.Rect);
    if (std::string(list) == "box") {
        line += " width=" + IntText(item.LineWidth);
    }
    return line;
}

std::string DumpLine(const TTextItem &item)
{
    std::string underline;
    for (const uint8_t style : item.Styles) {
        underline += (style & kStyleUnderline) != 0 ? '1' : '0';
    }
    return Head("text", item) + " size=" + FloatText(item.FontSize) + " bold=" + Flag(item.Bold) +
        " italic=" + Flag(item.Italic) + " reverse=" + Flag(item.Reverse) +
        " x=" + QuotedText(item.XExpression) + " line=" + IntText(item.Line) +
        " align=" + IntText(item.Alignment) + " width=" + IntText(item.Width) +
        " previous=" + IntText(item.PreviousNumber) + " font=" + QuotedText(item.FontName) +
        " colour=" + IntText(item.Colour) + " text=" + QuotedText(item.Text) +
        " underline=" + underline;
}

std::string DumpLine(const TImageItem &item)
{
    return Head("image", item) + RectText(item.Rect) + " file=" + QuotedText(item.FileName);
}

std::string DumpLine(const TUserImageItem &item)
{
    return Head("slot", item) + RectText(item.Rect) + " name=" + QuotedText(item.SlotName) +
        " text=" + QuotedText(item.SlotText) + " value=" + IntText(item.SlotValue) +
        " stamp=" + Flag(item.IsStampSlot);
}

std::string DumpLine(const TFieldItem &item)
{
    return Head("field", item) + " name=" + QuotedText(item.FieldName) +
        " form=" + QuotedText(item.FormName) + RectText(item.Rect) +
        " x=" + IntText(item.Origin.X) + " y=" + IntText(item.Origin.Y) +
        " kind=" + IntText(item.Kind) + " link=" + IntText(item.LinkNumber) +
        " required=" + Flag(item.Required) + " max=" + IntText(item.MaxLength) +
        " advance=" + Flag(item.AutoAdvance) + " case=" + IntText(item.CaseMode) +
        " input=" + IntText(item.InputClass) + " extra=" + QuotedText(item.ExtraName) +
        " description=" + QuotedText(item.Description);
}

std::string DumpLine(const TLogicItem &item)
{
    std::string members;
    for (const int16_t number : item.FieldNumbers) {
        members += (members.empty() ? "" : ",") + IntText(number);
    }
    return Head("rule", item) + " kind=" + IntText(item.RuleKind) + " members=" + members +
        " message=" + QuotedText(item.Message);
}

void DumpForm(const std::string &folder, const std::string &name, std::ostream &out)
{
    TSeperatorItems separators(folder);
    separators.Load(name);
    for (const auto *item : separators.All()) {
        out << DumpLine(*item, "separator") << '\n';
    }
    TImageItems images(folder);
    images.Load(name);
    for (const auto *item : images.All()) {
        out << DumpLine(*item) << '\n';
    }
    TUserImageItems slots(folder);
    slots.Load(name);
    for (const auto *item : slots.All()) {
        out << DumpLine(*item) << '\n';
    }
    TShadeItems shades(folder);
    shades.Load(name);
    for (const auto *item : shades.All()) {
        out << DumpLine(*item) << '\n';
    }
    TBoxItems boxes(folder);
    boxes.Load(name);
    for (const auto *item : boxes.All()) {
        out << DumpLine(*item, "box") << '\n';
    }
    TTextItems texts(folder);
    texts.Load(name);
    for (const auto *item : texts.All()) {
        out << DumpLine(*item) << '\n';
    }
    TFieldItems fields(folder);
    fields.Load(name);
    for (const auto *item : fields.All()) {
        out << DumpLine(*item) << '\n';
    }
    TLogicItems rules(folder);
    rules.Load(name);
    for (const auto *item : rules.All()) {
        out << DumpLine(*item) << '\n';
    }
}
