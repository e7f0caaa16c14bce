#include "forms/FormItems.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "forms/FormErrors.h"
#include "forms/FormNumbers.h"

std::vector<std::string> SplitFormLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.emplace_back(bytes.substr(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < bytes.size()) {
        lines.emplace_back(bytes.substr(start));
    }
    return lines;
}

bool ReadFormFile(const std::string &path, std::string &bytes)
{
    return ReadFileBytes(ResolveFileName(path), bytes);
}

TFormItems::TFormItems(std::string_view folder)
    : m_folder(folder.empty() ? std::string() : IncludeTrailingSlash(folder))
{ }

TFormItems::~TFormItems() = default;

void TFormItems::Parse(const std::vector<std::string> &) { }

void TFormItems::Load(const std::string &formName)
{
    const std::string path = m_folder + formName + ".crd";
    std::string bytes;
    if (!ReadFormFile(path, bytes)) {
        throw EFormFileError("Cannot open file \"" + path + "\". No such file or directory");
    }
    Parse(SplitFormLines(bytes));
}

bool TFormItems::IndexOfNumber(int32_t number, size_t &index) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->Number == number) {
            index = i;
            return true;
        }
    }
    return false;
}

// --- The .crd structure ---------------------------------------------------------------------

namespace {

// The lines of one side after its header line, [Begin, End).
struct TBlock
{
    int32_t Side = 0;
    size_t Begin = 0;
    size_t End = 0;
};

// "SIDE " and a number, after trimming.
bool IsSideHeader(const std::string &line, int32_t &number)
{
    const std::string text = Trim(line);
    if (text.size() < 6 || text.compare(0, 5, "SIDE ") != 0) {
        return false;
    }
    for (size_t i = 5; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return TryStrToInt(text.substr(5), number);
}

// Sides 1, 2, 3 ... as long as each has its header and at least one non-blank line. A side ends
// at the next side header of any number, so a side after a gap in the numbering is never read
// as part of the one before it.
std::vector<TBlock> SideBlocks(const std::vector<std::string> &lines)
{
    std::vector<TBlock> blocks;
    size_t header = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        int32_t number = 0;
        if (IsSideHeader(lines[i], number) && number == 1) {
            header = i;
            break;
        }
    }
    int32_t side = 1;
    while (header < lines.size()) {
        TBlock block {side, header + 1, lines.size()};
        int32_t next = 0;
        for (size_t i = block.Begin; i < lines.size(); ++i) {
            if (IsSideHeader(lines[i], next)) {
                block.End = i;
                break;
            }
        }
        bool content = false;
        for (size_t i = block.Begin; i < block.End && !content; ++i) {
            content = !Trim(lines[i]).empty();
        }
        if (!content) {
            break;
        }
        blocks.push_back(block);
        if (block.End >= lines.size() || next != side + 1) {
            break;
        }
        header = block.End;
        ++side;
    }
    return blocks;
}

// Whether the side has a line that is `name` without regard to case.
bool HasLine(const std::vector<std::string> &lines, const TBlock &block, std::string_view name)
{
    for (size_t i = block.Begin; i < block.End; ++i) {
        if (SameText(lines[i], name)) {
            return true;
        }
    }
    return false;
}

size_t FindHeader(const std::vector<std::string> &lines, size_t from, size_t end,
                  std::string_view name)
{
    for (size_t i = from; i < end; ++i) {
        if (Trim(lines[i]) == name) {
            return i;
        }
    }
    return end;
}

// The item lines of a section: after its header up to `endName` (or the end of the side when
// `endName` is empty or absent), blank lines left out. None when the header is missing.
std::vector<std::pair<size_t, std::string_view>> SectionLines(const std::vector<std::string> &lines,
                                                              const TBlock &block,
                                                              std::string_view name,
                                                              std::string_view endName)
{
    std::vector<std::pair<size_t, std::string_view>> items;
    const size_t header = FindHeader(lines, block.Begin, block.End, name);
    if (header == block.End) {
        return items;
    }
    const size_t end =
        endName.empty() ? block.End : FindHeader(lines, header + 1, block.End, endName);
    for (size_t i = header + 1; i < end; ++i) {
        if (!Trim(lines[i]).empty()) {
            items.emplace_back(i, lines[i]);
        }
    }
    return items;
}

// Runs `parse` on each line, adding the line number to a form data error.
template<class F>
void ForEachLine(const std::vector<std::pair<size_t, std::string_view>> &items, F parse)
{
    for (const auto &[index, line] : items) {
        try {
            parse(line);
        } catch (const EFormDataError &error) {
            throw EFormDataError(std::string(error.what()) + " (line " +
                                 IntText(static_cast<int64_t>(index) + 1) + ")");
        }
    }
}

// The first `count` comma-separated fields; the last one is the rest of the line.
std::vector<std::string_view> CommaFields(std::string_view line, size_t count)
{
    std::vector<std::string_view> fields;
    while (fields.size() + 1 < count) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos) {
            RaiseFormDataCorrupt("The line \"" + std::string(line) + "\" has too few fields.");
        }
        fields.push_back(line.substr(0, comma));
        line.remove_prefix(comma + 1);
    }
    fields.push_back(line);
    return fields;
}

// Top, left, bottom, right in the order of the file.
TFormRect RectOf(const std::vector<std::string_view> &fields)
{
    TFormRect rect;
    rect.Top = HundredthsOf(fields[0], "top");
    rect.Left = HundredthsOf(fields[1], "left");
    rect.Bottom = HundredthsOf(fields[2], "bottom");
    rect.Right = HundredthsOf(fields[3], "right");
    return rect;
}

} // namespace

std::vector<TCrdDirective> CrdDirectives(const std::vector<std::string> &lines)
{
    std::vector<TCrdDirective> directives;
    for (const std::string &line : lines) {
        int32_t number = 0;
        if (IsSideHeader(line, number) && number == 1) {
            break;
        }
        if (line.size() < 5 || line.compare(0, 4, "!QOR") != 0) {
            continue;
        }
        const std::string rest = line.substr(5);
        const size_t equals = rest.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        directives.push_back({Trim(rest.substr(0, equals)), rest.substr(equals + 1)});
    }
    return directives;
}

std::string CrdFontName(const std::vector<std::string> &lines)
{
    std::string face = "Helvetica";
    for (const TCrdDirective &directive : CrdDirectives(lines)) {
        if (SameText(directive.Name, "FONT")) {
            face = Trim(directive.Value).substr(0, 30);
        }
    }
    return face;
}

int32_t CrdSideCount(const std::vector<std::string> &lines)
{
    return static_cast<int32_t>(SideBlocks(lines).size());
}

namespace {

// Builds one item from each line of a section on every side (or, with `whileSidesHaveIt`, on
// the sides before the first that lacks the section). `end` names the header that ends the
// section on a side, empty for the end of the side.
template<class Build, class End>
void ReadSections(const std::vector<std::string> &lines, std::string_view header, End end,
                  bool whileSidesHaveIt, Build build)
{
    int32_t number = 0;
    for (const TBlock &block : SideBlocks(lines)) {
        if (whileSidesHaveIt && !HasLine(lines, block, header)) {
            break;
        }
        ForEachLine(SectionLines(lines, block, header, end(block)),
                    [&](std::string_view line) { build(line, ++number, block.Side); });
    }
}

// The end of a section that runs to the next section when the side has it, else to the end of
// the side.
auto EndAtIfPresent(const std::vector<std::string> &lines, std::string_view name)
{
    return [&lines, name](const TBlock &block) {
        return HasLine(lines, block, name) ? name : std::string_view();
    };
}

auto EndAt(std::string_view name)
{
    return [name](const TBlock &) { return name; };
}

template<class T>
std::unique_ptr<T> NewItem(int32_t number, int32_t side)
{
    auto item = std::make_unique<T>();
    item->Number = number;
    item->Side = side;
    return item;
}

} // namespace

void TShadeItems::Parse(const std::vector<std::string> &lines)
{
    ReadSections(lines, "SHADING", EndAt("LINES/BOXES"), false,
                 [&](std::string_view line, int32_t number, int32_t side) {
                     const auto fields = CommaFields(line, 5);
                     auto item = NewItem<TShadeItem>(number, side);
                     item->Rect = RectOf(fields);
                     item->Shade = FormIntegerOf(fields[4], "shade") / 100.0;
                     Add(std::move(item));
                 });
}

void TBoxItems::Parse(const std::vector<std::string> &lines)
{
    ReadSections(lines, "LINES/BOXES", EndAt("FORM TEXT"), false,
                 [&](std::string_view line, int32_t number, int32_t side) {
                     const auto fields = CommaFields(line, 5);
                     auto item = NewItem<TBoxItem>(number, side);
                     item->Rect = RectOf(fields);
                     item->LineWidth = FormIntegerOf(fields[4], "line width");
                     Add(std::move(item));
                 });
}

void TSeperatorItems::Parse(const std::vector<std::string> &lines)
{
    ReadSections(lines, "SEPERATORS", EndAtIfPresent(lines, "USERIMAGES"), false,
                 [&](std::string_view line, int32_t number, int32_t side) {
                     auto item = NewItem<TBoxItem>(number, side);
                     item->Rect = RectOf(CommaFields(line, 4));
                     Add(std::move(item));
                 });
}

void TImageItems::Parse(const std::vector<std::string> &lines)
{
    ReadSections(lines, "IMAGES", EndAt("SEPERATORS"), true,
                 [&](std::string_view line, int32_t number, int32_t side) {
                     const auto fields = CommaFields(line, 5);
                     auto item = NewItem<TImageItem>(number, side);
                     item->Rect = RectOf(fields);
                     item->FileName = Trim(fields[4]);
                     Add(std::move(item));
                 });
}

void TUserImageItems::Parse(const std::vector<std::string> &lines)
{
    ReadSections(lines, "USERIMAGES", EndAt(""), true,
                 [&](std::string_view line, int32_t number, int32_t side) {
                     const auto fields = CommaFields(line, 8);
                     auto item = NewItem<TUserImageItem>(number, side);
                     item->Rect = RectOf(fields);
                     item->SlotName = std::string(fields[4]);
                     item->SlotText = std::string(fields[5]);
                     item->SlotValue = FormIntegerOf(fields[6], "slot value");
                     item->IsStampSlot = FormIntegerOf(fields[7], "stamp flag") != 0;
                     Add(std::move(item));
                 });
}

void TTextItems::Parse(const std::vector<std::string> &lines)
{
    const std::string face = CrdFontName(lines);
    ReadSections(lines, "FORM TEXT", EndAtIfPresent(lines, "IMAGES"), false,
                 [&](std::string_view line, int32_t number, int32_t side) {
                     auto item = NewItem<TTextItem>(number, side);
                     ParseTextLine(line, *item);
                     item->PreviousNumber = number - 1;
                     item->FontName = face;
                     item->Colour = 0;
                     Add(std::move(item));
                 });
}

// --- One line of form text ------------------------------------------------------------------

namespace {

constexpr char kEsc = 27;

size_t FindQuote(std::string_view line, size_t from)
{
    const size_t at = line.find('"', from);
    if (at == std::string_view::npos) {
        RaiseFormDataCorrupt("The text line \"" + std::string(line) + "\" misses a quote.");
    }
    return at;
}

} // namespace

void ParseTextLine(std::string_view line, TTextItem &item)
{
    // 1. Font descriptor: size in hundredths of a point and two style letters.
    const size_t comma1 = line.find(',');
    if (comma1 == std::string_view::npos) {
        RaiseFormDataCorrupt("The text line \"" + std::string(line) + "\" has too few fields.");
    }
    std::string descriptor = Trim(line.substr(0, comma1));
    if (descriptor.size() >= 2 && descriptor.front() == '"' && descriptor.back() == '"') {
        descriptor = descriptor.substr(1, descriptor.size() - 2);
    }
    if (descriptor.size() < 3) {
        RaiseFormDataCorrupt("\"" + descriptor + "\" is not a valid font descriptor.");
    }
    item.FontSize = FormFloatOf(descriptor.substr(0, descriptor.size() - 2), "font size") / 100.0;
    item.Bold = descriptor.find('B') != std::string::npos;
    item.Italic = descriptor.find_first_of("IK") != std::string::npos;
    item.Reverse = descriptor.find_first_of("JK") != std::string::npos;

    // 2. Line of the bottom of the text.
    const size_t comma2 = line.find(',', comma1 + 1);
    if (comma2 == std::string_view::npos) {
        RaiseFormDataCorrupt("The text line \"" + std::string(line) + "\" has too few fields.");
    }
    item.Line = HundredthsOf(line.substr(comma1 + 1, comma2 - comma1 - 1), "text line");

    // 3. XExpression: up to the first comma outside parentheses; inside them, quoted strings
    // may hold commas and parentheses.
    size_t at = comma2 + 1;
    int depth = 0;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (quoted) {
            if (c == '\\') {
                ++at;
            } else if (c == '"') {
                quoted = false;
            }
        } else if (depth > 0 && c == '"') {
            quoted = true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (c == ',' && depth == 0) {
            break;
        }
    }
    if (at >= line.size()) {
        RaiseFormDataCorrupt("The text line \"" + std::string(line) +
                             "\" has no end to its position.");
    }
    item.XExpression = Trim(line.substr(comma2 + 1, at - comma2 - 1));

    // 4. Alignment letter in quotes; 5. width between it and the text; 6. the text.
    const size_t q1 = FindQuote(line, at + 1);
    const size_t q2 = FindQuote(line, q1 + 1);
    const size_t q3 = FindQuote(line, q2 + 1);
    const std::string letter = Trim(line.substr(q1 + 1, q2 - q1 - 1));
    item.Alignment = letter == "R" || letter == "r" ? 1 : letter == "C" ? 2 : letter == "O" ? 3 : 0;
    std::string width = Trim(line.substr(q2 + 1, q3 - q2 - 1));
    if (!width.empty() && width.front() == ',') {
        width.erase(0, 1);
    }
    if (!width.empty() && width.back() == ',') {
        width.pop_back();
    }
    item.Width = HundredthsOf(width, "text width");

    size_t end = q3 + 1;
    while (end < line.size() && line[end] != '"') {
        end += line[end] == '\\' ? size_t {2} : size_t {1};
    }
    if (end >= line.size()) {
        RaiseFormDataCorrupt("The text line \"" + std::string(line) + "\" misses a quote.");
    }
    const std::string_view raw = line.substr(q3 + 1, end - q3 - 1);
    item.Text.clear();
    item.Styles.clear();
    bool underline = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            ++i;
        } else if (raw[i] == kEsc) {
            if (i + 2 < raw.size() && raw[i + 1] == 21 && raw[i + 2] == 28) {
                underline = !underline;
            }
            i += 2;
            continue;
        }
        item.Text += raw[i];
        item.Styles.push_back(underline ? kStyleUnderline : 0);
    }
}

// --- The binary files -----------------------------------------------------------------------

namespace {

int32_t Int16At(std::string_view bytes, size_t offset)
{
    const auto lo = static_cast<uint8_t>(bytes[offset]);
    const auto hi = static_cast<uint8_t>(bytes[offset + 1]);
    return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
}

int32_t Int32At(std::string_view bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    }
    return static_cast<int32_t>(value);
}

// A string of a length byte and up to `capacity` characters; a length beyond it is cut.
std::string ShortStringAt(std::string_view bytes, size_t offset, size_t capacity)
{
    size_t length = static_cast<uint8_t>(bytes[offset]);
    if (length > capacity) {
        length = capacity;
    }
    return std::string(bytes.substr(offset + 1, length));
}

} // namespace

void TFieldItems::Load(const std::string &formName)
{
    Clear();
    m_recordLength = kFieldRecordBase;
    std::string bytes;
    if (!ReadFormFile(Folder() + formName + ".crf", bytes)) {
        return;
    }
    ReadRecords(bytes, formName);
}

void TFieldItems::ReadRecords(std::string_view bytes, const std::string &formName)
{
    Clear();
    m_recordLength = kFieldRecordBase;
    if (bytes.empty()) {
        return;
    }
    if (bytes.size() < 2) {
        RaiseFormDataCorrupt("The field file is shorter than its record count.");
    }
    const int32_t count = Int16At(bytes, 0);
    if (count < 0) {
        RaiseFormDataCorrupt("The field file counts " + IntText(count) + " records.");
    }
    if (count == 0) {
        return;
    }
    if (bytes.size() < 4) {
        RaiseFormDataCorrupt("The field file ends before its first record.");
    }
    const int32_t first = Int16At(bytes, 2);
    m_recordLength =
        first == kFieldRecordPart1 || first == kFieldRecordPart2 || first == kFieldRecordPart3
        ? first
        : kFieldRecordBase;
    const size_t length = static_cast<size_t>(m_recordLength);
    if (bytes.size() - 2 < static_cast<size_t>(count) * length) {
        RaiseFormDataCorrupt("The field file counts " + IntText(count) + " records of " +
                             IntText(m_recordLength) + " bytes but holds " +
                             IntText(static_cast<int64_t>(bytes.size())) + " bytes.");
    }
    for (int32_t r = 0; r < count; ++r) {
        const std::string_view record = bytes.substr(2 + static_cast<size_t>(r) * length, length);
        const int32_t side = Int16At(record, 4);
        if (side <= 0) {
            continue;
        }
        auto item = std::make_unique<TFieldItem>();
        item->FormName = formName;
        item->Number = Int16At(record, 2);
        item->Side = side;
        item->Kind = static_cast<uint8_t>(record[6]);
        item->LinkNumber = Int16At(record, 8);
        item->FieldName = ShortStringAt(record, 10, 21);
        item->Rect.Left = Int32At(record, 32);
        item->Rect.Top = Int32At(record, 36);
        item->Rect.Right = Int32At(record, 40);
        item->Rect.Bottom = Int32At(record, 44);
        item->Origin.X = Int32At(record, 48);
        item->Origin.Y = Int32At(record, 52);
        if (length >= static_cast<size_t>(kFieldRecordPart1)) {
            item->Required = record[56] != 0;
            item->Description = ShortStringAt(record, 57, 100);
        }
        if (length >= static_cast<size_t>(kFieldRecordPart2)) {
            item->MaxLength = Int16At(record, 158);
            item->AutoAdvance = record[160] != 0;
            item->CaseMode = static_cast<uint8_t>(record[162]);
            item->InputClass = static_cast<uint8_t>(record[164]);
        }
        if (length >= static_cast<size_t>(kFieldRecordPart3)) {
            item->ExtraName = ShortStringAt(record, 166, 31);
        }
        Add(std::move(item));
    }
}

void TLogicItems::Load(const std::string &formName)
{
    Clear();
    std::string bytes;
    if (!ReadFormFile(Folder() + formName + ".lgc", bytes)) {
        return;
    }
    ReadRules(bytes);
}

void TLogicItems::ReadRules(std::string_view bytes)
{
    Clear();
    if (bytes.empty()) {
        return;
    }
    if (bytes.size() < 2) {
        RaiseFormDataCorrupt("The rule file is shorter than its rule count.");
    }
    const int32_t count = Int16At(bytes, 0);
    if (count < 0) {
        RaiseFormDataCorrupt("The rule file counts " + IntText(count) + " rules.");
    }
    size_t at = 2;
    for (int32_t r = 0; r < count; ++r) {
        if (bytes.size() - at < 55) {
            RaiseFormDataCorrupt("The rule file ends inside rule " + IntText(r + 1) + ".");
        }
        auto item = std::make_unique<TLogicItem>();
        item->Message = Trim(ShortStringAt(bytes, at, 50));
        item->RuleKind = Int16At(bytes, at + 51);
        const int32_t members = Int16At(bytes, at + 53);
        at += 55;
        if (members < 0 || bytes.size() - at < static_cast<size_t>(members) * 2) {
            RaiseFormDataCorrupt("The rule file ends inside the members of rule " + IntText(r + 1) +
                                 ".");
        }
        for (int32_t m = 0; m < members; ++m) {
            item->FieldNumbers.push_back(static_cast<int16_t>(Int16At(bytes, at)));
            at += 2;
        }
        Add(std::move(item));
    }
}
