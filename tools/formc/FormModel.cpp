#include "FormModel.h"

#include "FormDump.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "forms/FormErrors.h"
#include "forms/FormNumbers.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace {

template<class T>
void SortBySide(std::vector<T> &items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const T &a, const T &b) { return a.Side < b.Side; });
}

template<class T>
int32_t MaxSide(const std::vector<T> &items, int32_t side)
{
    for (const T &item : items) {
        side = std::max(side, item.Side);
    }
    return side;
}

const char *const kLineEnd = "\r\n";

std::string RectText(const TFormRect &rect)
{
    return HundredthsText(rect.Top) + "," + HundredthsText(rect.Left) + "," +
        HundredthsText(rect.Bottom) + "," + HundredthsText(rect.Right);
}

std::string Descriptor(const TTextItem &text)
{
    std::string size = IntText(RoundHalfEven(text.FontSize * 100));
    while (size.size() < 4) {
        size.insert(size.begin(), '0');
    }
    const char style = text.Italic && text.Reverse ? 'K'
        : text.Italic                              ? 'I'
        : text.Reverse                             ? 'J'
                                                   : 'N';
    return size + (text.Bold ? 'B' : 'N') + style;
}

std::string EscapedText(const TTextItem &text)
{
    static const std::string toggle = {char(27), char(21), char(28)};
    std::string out;
    bool underline = false;
    for (size_t i = 0; i < text.Text.size(); ++i) {
        const bool wanted = i < text.Styles.size() && (text.Styles[i] & kStyleUnderline) != 0;
        if (wanted != underline) {
            out += toggle;
            underline = wanted;
        }
        const char c = text.Text[i];
        if (c == '"' || c == '\\' || c == 27) {
            out += '\\';
        }
        out += c;
    }
    if (underline) {
        out += toggle;
    }
    return out;
}

const char *AlignmentLetter(int32_t alignment)
{
    switch (alignment) {
    case 1:
        return "R";
    case 2:
        return "C";
    case 3:
        return "O";
    default:
        return "L";
    }
}

void PutInt16(std::string &bytes, size_t offset, int32_t value)
{
    const auto word = static_cast<uint16_t>(value);
    bytes[offset] = static_cast<char>(word & 0xFF);
    bytes[offset + 1] = static_cast<char>(word >> 8);
}

void PutInt32(std::string &bytes, size_t offset, int32_t value)
{
    const auto word = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<char>((word >> (8 * i)) & 0xFF);
    }
}

// A length byte and the characters; the reader cuts what does not fit, which the check after
// writing reports.
void PutShortString(std::string &bytes, size_t offset, size_t capacity, const std::string &text)
{
    const size_t length = std::min(text.size(), capacity);
    bytes[offset] = static_cast<char>(text.size() > 255 ? 255 : text.size());
    for (size_t i = 0; i < length; ++i) {
        bytes[offset + 1 + i] = text[i];
    }
}

template<class T, class D>
void Compare(const char *what, const std::vector<T> &expected, const std::vector<const T *> &read,
             D dump)
{
    const size_t n = std::max(expected.size(), read.size());
    for (size_t i = 0; i < n; ++i) {
        const std::string want = i < expected.size() ? dump(expected[i]) : "(none)";
        const std::string got = i < read.size() ? dump(*read[i]) : "(none)";
        if (want != got) {
            throw std::runtime_error(std::string("The ") + what + " " + IntText(int64_t(i) + 1) +
                                     " cannot be written as given.\n  given: " + want +
                                     "\n  reads: " + got);
        }
    }
}

template<class L>
std::vector<typename std::remove_cvref_t<decltype(std::declval<L>()[0])>> Copies(const L &list)
{
    std::vector<typename std::remove_cvref_t<decltype(list[0])>> items;
    for (size_t i = 0; i < list.Count(); ++i) {
        items.push_back(list[i]);
    }
    return items;
}

} // namespace

int32_t TFormModel::HighestSide() const
{
    int32_t side = 0;
    side = MaxSide(Shades, side);
    side = MaxSide(Boxes, side);
    side = MaxSide(Texts, side);
    side = MaxSide(Images, side);
    side = MaxSide(Separators, side);
    side = MaxSide(Slots, side);
    side = MaxSide(Fields, side);
    return side;
}

void NormalizeModel(TFormModel &model)
{
    SortBySide(model.Shades);
    SortBySide(model.Boxes);
    SortBySide(model.Texts);
    SortBySide(model.Images);
    SortBySide(model.Separators);
    SortBySide(model.Slots);
    const auto number = [](auto &items) {
        int32_t n = 0;
        for (auto &item : items) {
            item.Number = ++n;
        }
    };
    number(model.Shades);
    number(model.Boxes);
    number(model.Texts);
    number(model.Images);
    number(model.Separators);
    number(model.Slots);
    std::string face = "Helvetica";
    for (const TCrdDirective &directive : model.Directives) {
        if (SameText(directive.Name, "FONT")) {
            face = Trim(directive.Value).substr(0, 30);
        }
    }
    for (TTextItem &text : model.Texts) {
        text.PreviousNumber = text.Number - 1;
        text.FontName = face;
        text.Colour = 0;
    }
    for (TFieldItem &field : model.Fields) {
        field.FormName = model.Name;
    }
    for (TLogicItem &rule : model.Rules) {
        rule.Number = 0;
        rule.Side = 0;
    }
}

std::string CrdText(const TFormModel &model)
{
    std::string out;
    for (const TCrdDirective &directive : model.Directives) {
        out += "!QOR " + directive.Name + "=" + directive.Value + kLineEnd;
    }
    const auto onSide = [](const auto &items, int32_t side) {
        std::vector<const std::remove_cvref_t<decltype(items[0])> *> found;
        for (const auto &item : items) {
            if (item.Side == side) {
                found.push_back(&item);
            }
        }
        return found;
    };
    for (int32_t side = 1; side <= model.SideCount; ++side) {
        out += "SIDE " + IntText(side) + kLineEnd;
        out += std::string("SHADING") + kLineEnd;
        for (const TShadeItem *item : onSide(model.Shades, side)) {
            out +=
                RectText(item->Rect) + "," + IntText(RoundHalfEven(item->Shade * 100)) + kLineEnd;
        }
        out += std::string("LINES/BOXES") + kLineEnd;
        for (const TBoxItem *item : onSide(model.Boxes, side)) {
            out += RectText(item->Rect) + "," + IntText(item->LineWidth) + kLineEnd;
        }
        out += std::string("FORM TEXT") + kLineEnd;
        for (const TTextItem *item : onSide(model.Texts, side)) {
            out += "\"" + Descriptor(*item) + "\"," + HundredthsText(item->Line) + "," +
                item->XExpression + ",\"" + AlignmentLetter(item->Alignment) + "\"," +
                HundredthsText(item->Width) + ",\"" + EscapedText(*item) + "\"" + kLineEnd;
        }
        out += std::string("IMAGES") + kLineEnd;
        for (const TImageItem *item : onSide(model.Images, side)) {
            out += RectText(item->Rect) + "," + item->FileName + kLineEnd;
        }
        out += std::string("SEPERATORS") + kLineEnd;
        for (const TBoxItem *item : onSide(model.Separators, side)) {
            out += RectText(item->Rect) + kLineEnd;
        }
        out += std::string("USERIMAGES") + kLineEnd;
        for (const TUserImageItem *item : onSide(model.Slots, side)) {
            out += RectText(item->Rect) + "," + item->SlotName + "," + item->SlotText + "," +
                IntText(item->SlotValue) + "," + (item->IsStampSlot ? "1" : "0") + kLineEnd;
        }
    }
    return out;
}

std::string CrfBytes(const TFormModel &model)
{
    if (model.Fields.size() > 32767) {
        throw std::runtime_error("A form holds at most 32767 fields.");
    }
    const auto length = static_cast<size_t>(model.RecordLength);
    std::string bytes(2 + model.Fields.size() * length, '\0');
    PutInt16(bytes, 0, static_cast<int32_t>(model.Fields.size()));
    for (size_t r = 0; r < model.Fields.size(); ++r) {
        const TFieldItem &field = model.Fields[r];
        std::string record(length, '\0');
        PutInt16(record, 0, model.RecordLength);
        PutInt16(record, 2, field.Number);
        PutInt16(record, 4, field.Side);
        record[6] = static_cast<char>(field.Kind);
        PutInt16(record, 8, field.LinkNumber);
        PutShortString(record, 10, 21, field.FieldName);
        PutInt32(record, 32, field.Rect.Left);
        PutInt32(record, 36, field.Rect.Top);
        PutInt32(record, 40, field.Rect.Right);
        PutInt32(record, 44, field.Rect.Bottom);
        PutInt32(record, 48, field.Origin.X);
        PutInt32(record, 52, field.Origin.Y);
        if (length >= static_cast<size_t>(kFieldRecordPart1)) {
            record[56] = field.Required ? 1 : 0;
            PutShortString(record, 57, 100, field.Description);
        }
        if (length >= static_cast<size_t>(kFieldRecordPart2)) {
            PutInt16(record, 158, field.MaxLength);
            record[160] = field.AutoAdvance ? 1 : 0;
            PutInt16(record, 162, field.CaseMode);
            PutInt16(record, 164, field.InputClass);
        }
        if (length >= static_cast<size_t>(kFieldRecordPart3)) {
            PutShortString(record, 166, 31, field.ExtraName);
        }
        bytes.replace(2 + r * length, length, record);
    }
    return bytes;
}

std::string LgcBytes(const TFormModel &model)
{
    std::string bytes(2, '\0');
    PutInt16(bytes, 0, static_cast<int32_t>(model.Rules.size()));
    for (const TLogicItem &rule : model.Rules) {
        std::string head(55, '\0');
        PutShortString(head, 0, 50, rule.Message);
        PutInt16(head, 51, rule.RuleKind);
        PutInt16(head, 53, static_cast<int32_t>(rule.FieldNumbers.size()));
        bytes += head;
        for (const int16_t number : rule.FieldNumbers) {
            std::string member(2, '\0');
            PutInt16(member, 0, number);
            bytes += member;
        }
    }
    return bytes;
}

TFormModel ModelFromBytes(const std::string &name, const std::string &crd, const std::string &crf,
                          const std::string &lgc)
{
    TFormModel model;
    model.Name = name;
    const std::vector<std::string> lines = SplitFormLines(crd);
    model.Directives = CrdDirectives(lines);
    model.SideCount = CrdSideCount(lines);
    TShadeItems shades("");
    shades.Parse(lines);
    model.Shades = Copies(shades);
    TBoxItems boxes("");
    boxes.Parse(lines);
    model.Boxes = Copies(boxes);
    TTextItems texts("");
    texts.Parse(lines);
    model.Texts = Copies(texts);
    TImageItems images("");
    images.Parse(lines);
    model.Images = Copies(images);
    TSeperatorItems separators("");
    separators.Parse(lines);
    model.Separators = Copies(separators);
    TUserImageItems slots("");
    slots.Parse(lines);
    model.Slots = Copies(slots);
    TFieldItems fields("");
    fields.ReadRecords(crf, name);
    model.RecordLength = fields.RecordLength();
    model.Fields = Copies(fields);
    TLogicItems rules("");
    rules.ReadRules(lgc);
    model.Rules = Copies(rules);
    return model;
}

TFormModel ReadFormModel(const std::string &folder, const std::string &name)
{
    const std::string base = IncludeTrailingSlash(folder) + name;
    std::string crd;
    if (!ReadFormFile(base + ".crd", crd)) {
        throw std::runtime_error("Cannot read " + base + ".crd");
    }
    std::string crf;
    std::string lgc;
    ReadFormFile(base + ".crf", crf);
    ReadFormFile(base + ".lgc", lgc);
    return ModelFromBytes(name, crd, crf, lgc);
}

void VerifyFormBytes(const TFormModel &model, const std::string &crd, const std::string &crf,
                     const std::string &lgc)
{
    TFormModel read;
    try {
        read = ModelFromBytes(model.Name, crd, crf, lgc);
    } catch (const EFormDataError &error) {
        throw std::runtime_error(std::string("The form cannot be written as given: its files would "
                                             "not read back (") +
                                 error.what() + ").");
    }
    if (read.SideCount != model.SideCount) {
        throw std::runtime_error("The form has " + IntText(model.SideCount) +
                                 " sides but reads as " + IntText(read.SideCount) + ".");
    }
    const auto pointers = [](const auto &items) {
        std::vector<const std::remove_cvref_t<decltype(items[0])> *> all;
        for (const auto &item : items) {
            all.push_back(&item);
        }
        return all;
    };
    Compare("shading", model.Shades, pointers(read.Shades),
            [](const TShadeItem &i) { return DumpLine(i); });
    Compare("box", model.Boxes, pointers(read.Boxes),
            [](const TBoxItem &i) { return DumpLine(i, "box"); });
    Compare("text", model.Texts, pointers(read.Texts),
            [](const TTextItem &i) { return DumpLine(i); });
    Compare("picture", model.Images, pointers(read.Images),
            [](const TImageItem &i) { return DumpLine(i); });
    Compare("separator", model.Separators, pointers(read.Separators),
            [](const TBoxItem &i) { return DumpLine(i, "separator"); });
    Compare("picture slot", model.Slots, pointers(read.Slots),
            [](const TUserImageItem &i) { return DumpLine(i); });
    Compare("field", model.Fields, pointers(read.Fields),
            [](const TFieldItem &i) { return DumpLine(i); });
    Compare("rule", model.Rules, pointers(read.Rules),
            [](const TLogicItem &i) { return DumpLine(i); });
    if (read.Directives.size() != model.Directives.size()) {
        throw std::runtime_error("The directives cannot be written as given.");
    }
    for (size_t i = 0; i < read.Directives.size(); ++i) {
        if (read.Directives[i].Name != model.Directives[i].Name ||
            read.Directives[i].Value != model.Directives[i].Value) {
            throw std::runtime_error("The directive " + model.Directives[i].Name +
                                     " cannot be written as given.");
        }
    }
    if (!model.Fields.empty() && read.RecordLength != model.RecordLength) {
        throw std::runtime_error("The field record length " + IntText(model.RecordLength) +
                                 " is none of 56, 158, 166 and 198.");
    }
}

void WriteFormFiles(const TFormModel &model, const std::string &folder)
{
    const std::string crd = CrdText(model);
    const std::string crf = CrfBytes(model);
    const std::string lgc = LgcBytes(model);
    VerifyFormBytes(model, crd, crf, lgc);
    ForceDirectories(folder);
    const std::string base = IncludeTrailingSlash(folder) + model.Name;
    for (const auto &[extension, bytes] :
         {std::pair<const char *, const std::string *> {".crd", &crd},
          {".crf", &crf},
          {".lgc", &lgc}}) {
        const std::string path = base + extension;
        const std::string temporary = path + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
            if (!out) {
                throw std::runtime_error("Cannot write " + temporary);
            }
        }
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            throw std::runtime_error("Cannot write " + path);
        }
    }
}
