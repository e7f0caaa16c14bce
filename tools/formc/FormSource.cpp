#include "FormSource.h"

#include "core/Encoding.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "forms/FormErrors.h"
#include "forms/FormNumbers.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>

namespace {

// --- Reading ----------------------------------------------------------------------------------

struct TToken
{
    bool Quoted = false;
    std::string Text; // a quoted token: its raw content between the quotes
};

class TSourceError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

std::vector<TToken> Tokenize(const std::string &line)
{
    std::vector<TToken> tokens;
    size_t i = 0;
    const auto blank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    // Past the quoted part that starts at `at` (which holds the opening quote).
    const auto skipQuoted = [&](size_t at) {
        for (++at; at < line.size(); ++at) {
            if (line[at] == '\\') {
                ++at;
            } else if (line[at] == '"') {
                return at + 1;
            }
        }
        throw TSourceError("a quoted text has no closing quote");
    };
    while (i < line.size()) {
        if (blank(i)) {
            ++i;
            continue;
        }
        if (line[i] == '#' && (i + 1 >= line.size() || blank(i + 1) || line[i + 1] == '#')) {
            break;
        }
        TToken token;
        if (line[i] == '"') {
            const size_t end = skipQuoted(i);
            token.Quoted = true;
            token.Text = line.substr(i + 1, end - i - 2);
            i = end;
        } else {
            const size_t start = i;
            while (i < line.size() && !blank(i)) {
                i = line[i] == '"' ? skipQuoted(i) : i + 1;
            }
            token.Text = line.substr(start, i - start);
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

// UTF-8 to Windows-1252, refusing what the code page cannot hold.
std::string ToCodePage(const std::string &utf8)
{
    const std::string bytes = Utf8ToWindows1252(utf8);
    if (Windows1252ToUtf8(bytes) != utf8) {
        throw TSourceError("\"" + utf8 + "\" holds characters Windows-1252 cannot hold");
    }
    return bytes;
}

// The characters of a quoted token's content with their underline flags. "\_" toggles
// underlining where `styled`; "\"", "\\" and "\xNN" stand for themselves.
void Unescape(const std::string &raw, bool styled, std::string &text, TStringFontStyles *styles)
{
    std::string chunk;
    bool underline = false;
    const auto flush = [&] {
        const std::string bytes = ToCodePage(chunk);
        text += bytes;
        if (styles) {
            styles->insert(styles->end(), bytes.size(), underline ? kStyleUnderline : 0);
        }
        chunk.clear();
    };
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            chunk += raw[i];
            continue;
        }
        if (i + 1 >= raw.size()) {
            throw TSourceError("a backslash ends the text");
        }
        const char next = raw[++i];
        flush();
        if (next == '"' || next == '\\') {
            text += next;
        } else if (next == '_' && styled) {
            underline = !underline;
            continue;
        } else if (next == 'x' && i + 2 < raw.size()) {
            const std::string hex = raw.substr(i + 1, 2);
            char *end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 2) {
                throw TSourceError("\"\\x" + hex + "\" is not a byte in hexadecimal");
            }
            text += static_cast<char>(value);
            i += 2;
        } else {
            throw TSourceError(std::string("unknown escape \"\\") + next + "\"");
        }
        if (styles) {
            styles->push_back(underline ? kStyleUnderline : 0);
        }
    }
    flush();
}

std::string StringValue(const TToken &token)
{
    if (!token.Quoted) {
        return ToCodePage(token.Text);
    }
    std::string text;
    Unescape(token.Text, false, text, nullptr);
    return text;
}

// A key=value option's value; quoted values are unescaped.
std::string OptionValue(const std::string &value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return StringValue(TToken {true, value.substr(1, value.size() - 2)});
    }
    return ToCodePage(value);
}

int32_t Hundredths(const std::string &text, const char *what)
{
    int32_t value = 0;
    if (!TryHundredthsOf(text, value)) {
        throw TSourceError("\"" + text + "\" is not a valid " + what);
    }
    return value;
}

int32_t Integer(const std::string &text, const char *what)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value)) {
        throw TSourceError("\"" + text + "\" is not a valid " + what);
    }
    return value;
}

// "a..b": a span of lines or columns in hundredths.
std::pair<int32_t, int32_t> Span(const std::string &text, const char *what)
{
    const size_t dots = text.find("..");
    if (dots == std::string::npos) {
        throw TSourceError("\"" + text + "\" is not a span (from..to) of " + what);
    }
    return {Hundredths(text.substr(0, dots), what), Hundredths(text.substr(dots + 2), what)};
}

struct TFontDefaults
{
    double Size = 10;
    bool Bold = false;
    bool Italic = false;
    bool Reverse = false;
};

// A field or rule member named before all fields are known.
struct TReference
{
    std::string Text; // a name, or "#" and a number
    std::string Where;
};

struct TParser
{
    TFormModel Model;
    int32_t Side = 0;
    TFontDefaults Font;
    int32_t LastNumber = 0;
    bool NamedForm = false;
    std::vector<std::pair<size_t, TReference>> Links; // field index -> link target
    std::vector<std::vector<TReference>> Rings;
    std::vector<std::vector<TReference>> RuleMembers; // parallel to Model.Rules
    int Depth = 0;

    void ParseFile(const std::string &path);
    void ParseText(const std::string &text, const std::string &fileName, const std::string &folder);
    void Statement(const std::vector<TToken> &tokens, const std::string &folder,
                   const std::string &where);
    void Finish();
    int32_t Resolve(const TReference &reference) const;
    void RequireSide() const
    {
        if (Side <= 0) {
            throw TSourceError("a \"side\" statement must come first");
        }
    }
};

void TParser::ParseFile(const std::string &path)
{
    std::string text;
    if (!ReadFileBytes(path, text)) {
        throw std::runtime_error("Cannot read " + path);
    }
    ParseText(text, path, ExtractFilePath(path));
}

void TParser::ParseText(const std::string &text, const std::string &fileName,
                        const std::string &folder)
{
    if (++Depth > 16) {
        throw std::runtime_error(fileName + ": includes nest too deep");
    }
    const std::vector<std::string> lines = SplitFormLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string where = fileName + ":" + IntText(static_cast<int64_t>(i) + 1);
        try {
            const std::vector<TToken> tokens = Tokenize(lines[i]);
            if (!tokens.empty()) {
                Statement(tokens, folder, where);
            }
        } catch (const TSourceError &error) {
            throw std::runtime_error(where + ": " + error.what());
        } catch (const EFormDataError &error) {
            throw std::runtime_error(where + ": " + error.what());
        }
    }
    --Depth;
}

void TParser::Statement(const std::vector<TToken> &tokens, const std::string &folder,
                        const std::string &where)
{
    const std::string keyword = tokens[0].Quoted ? "" : tokens[0].Text;
    const auto need = [&](size_t count) {
        if (tokens.size() < count) {
            throw TSourceError("\"" + keyword + "\" needs " + IntText(int64_t(count) - 1) +
                               " arguments");
        }
    };
    const auto bare = [&](size_t index) -> const std::string & {
        if (tokens[index].Quoted) {
            throw TSourceError("argument " + IntText(int64_t(index)) + " of \"" + keyword +
                               "\" must not be quoted");
        }
        return tokens[index].Text;
    };
    const auto quoted = [&](size_t index) {
        if (!tokens[index].Quoted) {
            throw TSourceError("argument " + IntText(int64_t(index)) + " of \"" + keyword +
                               "\" must be quoted");
        }
        return StringValue(tokens[index]);
    };
    const auto rect = [&](size_t lines, size_t columns) {
        const auto [top, bottom] = Span(bare(lines), "lines");
        const auto [left, right] = Span(bare(columns), "columns");
        return TFormRect {left, top, right, bottom};
    };

    if (keyword == "form") {
        need(2);
        Model.Name = StringValue(tokens[1]);
        NamedForm = true;
    } else if (keyword == "directive") {
        need(3);
        Model.Directives.push_back({StringValue(tokens[1]), quoted(2)});
    } else if (keyword == "fields") {
        need(2);
        Model.RecordLength = Integer(bare(1), "record length");
    } else if (keyword == "sides") {
        need(2);
        Model.SideCount = Integer(bare(1), "side count");
    } else if (keyword == "include") {
        need(2);
        const std::string name = quoted(1);
        ParseFile(folder + name);
    } else if (keyword == "side") {
        need(2);
        Side = Integer(bare(1), "side");
        if (Side < 1 || Side > 32767) {
            throw TSourceError("sides are numbered from 1 to 32767");
        }
    } else if (keyword == "font") {
        need(2);
        Font = TFontDefaults {};
        Font.Size = Hundredths(bare(1), "font size") / 100.0;
        for (size_t i = 2; i < tokens.size(); ++i) {
            const std::string &flag = bare(i);
            if (flag == "bold") {
                Font.Bold = true;
            } else if (flag == "italic") {
                Font.Italic = true;
            } else if (flag == "reverse") {
                Font.Reverse = true;
            } else {
                throw TSourceError("unknown font style \"" + flag + "\"");
            }
        }
    } else if (keyword == "shade") {
        need(4);
        RequireSide();
        TShadeItem item;
        item.Side = Side;
        item.Rect = rect(1, 2);
        item.Shade = Integer(bare(3), "shade percent") / 100.0;
        Model.Shades.push_back(item);
    } else if (keyword == "box" || keyword == "hline" || keyword == "vline" ||
               keyword == "separator") {
        need(keyword == "separator" ? 3 : 4);
        RequireSide();
        TBoxItem item;
        item.Side = Side;
        if (keyword == "hline") {
            const int32_t line = Hundredths(bare(1), "line");
            const auto [left, right] = Span(bare(2), "columns");
            item.Rect = {left, line, right, line};
        } else if (keyword == "vline") {
            const auto [top, bottom] = Span(bare(1), "lines");
            const int32_t column = Hundredths(bare(2), "column");
            item.Rect = {column, top, column, bottom};
        } else {
            item.Rect = rect(1, 2);
        }
        if (keyword == "separator") {
            Model.Separators.push_back(item);
        } else {
            item.LineWidth = Integer(bare(3), "line width");
            Model.Boxes.push_back(item);
        }
    } else if (keyword == "image") {
        need(4);
        RequireSide();
        TImageItem item;
        item.Side = Side;
        item.Rect = rect(1, 2);
        item.FileName = quoted(3);
        Model.Images.push_back(item);
    } else if (keyword == "slot") {
        need(6);
        RequireSide();
        TUserImageItem item;
        item.Side = Side;
        item.Rect = rect(1, 2);
        item.SlotName = quoted(3);
        item.SlotText = quoted(4);
        item.SlotValue = Integer(bare(5), "slot value");
        for (size_t i = 6; i < tokens.size(); ++i) {
            if (bare(i) != "stamp") {
                throw TSourceError("unknown slot option \"" + tokens[i].Text + "\"");
            }
            item.IsStampSlot = true;
        }
        Model.Slots.push_back(item);
    } else if (keyword == "text") {
        need(4);
        RequireSide();
        TTextItem item;
        item.Side = Side;
        item.Line = Hundredths(bare(1), "line");
        item.XExpression = tokens[2].Quoted ? StringValue(tokens[2]) : ToCodePage(tokens[2].Text);
        if (!tokens[3].Quoted) {
            throw TSourceError("the text of \"text\" must be quoted");
        }
        Unescape(tokens[3].Text, true, item.Text, &item.Styles);
        item.FontSize = Font.Size;
        item.Bold = Font.Bold;
        item.Italic = Font.Italic;
        item.Reverse = Font.Reverse;
        for (size_t i = 4; i < tokens.size(); ++i) {
            const std::string &option = bare(i);
            const size_t equals = option.find('=');
            const std::string key = option.substr(0, equals);
            const std::string value = equals == std::string::npos ? "" : option.substr(equals + 1);
            if (option == "regular") {
                item.Bold = item.Italic = item.Reverse = false;
            } else if (option == "bold") {
                item.Bold = true;
            } else if (option == "italic") {
                item.Italic = true;
            } else if (option == "reverse") {
                item.Reverse = true;
            } else if (key == "size") {
                item.FontSize = Hundredths(value, "font size") / 100.0;
            } else if (key == "width") {
                item.Width = Hundredths(value, "width");
            } else if (key == "align") {
                static const std::map<std::string, int32_t> alignments = {
                    {"left", 0}, {"justify", 1}, {"center", 2}, {"after", 3}};
                const auto found = alignments.find(value);
                if (found == alignments.end()) {
                    throw TSourceError("alignment \"" + value +
                                       "\" is none of left, justify, center, after");
                }
                item.Alignment = found->second;
            } else {
                throw TSourceError("unknown text option \"" + option + "\"");
            }
        }
        Model.Texts.push_back(item);
    } else if (keyword == "field") {
        need(5);
        RequireSide();
        TFieldItem item;
        item.Side = Side;
        item.FieldName = StringValue(tokens[1]);
        static const std::map<std::string, uint8_t> kinds = {{"text", fkText},
                                                             {"check", fkCheckBox},
                                                             {"radio", fkRadioButton},
                                                             {"circle", fkCircleBox}};
        const auto kind = kinds.find(bare(2));
        item.Kind = kind != kinds.end() ? kind->second
                                        : static_cast<uint8_t>(Integer(bare(2), "field kind"));
        item.Rect = rect(3, 4);
        item.Origin = {item.Rect.Left + 20, item.Rect.Top};
        item.Number = LastNumber + 1;
        bool described = false;
        for (size_t i = 5; i < tokens.size(); ++i) {
            if (tokens[i].Quoted) {
                if (described) {
                    throw TSourceError("a field has one description");
                }
                item.Description = StringValue(tokens[i]);
                described = true;
                continue;
            }
            const std::string &option = tokens[i].Text;
            const size_t equals = option.find('=');
            const std::string key = option.substr(0, equals);
            const std::string value = equals == std::string::npos ? "" : option.substr(equals + 1);
            if (option == "required") {
                item.Required = true;
            } else if (option == "advance") {
                item.AutoAdvance = true;
            } else if (key == "no") {
                item.Number = Integer(value, "field number");
            } else if (key == "max") {
                item.MaxLength = Integer(value, "maximum length");
            } else if (key == "at") {
                const size_t comma = value.find(',');
                if (comma == std::string::npos) {
                    throw TSourceError("\"at\" takes a column and a line: at=X,Y");
                }
                item.Origin = {Hundredths(value.substr(0, comma), "column"),
                               Hundredths(value.substr(comma + 1), "line")};
            } else if (key == "case") {
                static const std::map<std::string, uint8_t> modes = {
                    {"upper", 1}, {"lower", 2}, {"capital", 3}};
                const auto mode = modes.find(value);
                item.CaseMode = mode != modes.end()
                    ? mode->second
                    : static_cast<uint8_t>(Integer(value, "case mode"));
            } else if (key == "input") {
                static const std::map<std::string, uint8_t> classes = {
                    {"digits", 1}, {"decimal", 2}, {"amount", 3}, {"signed-amount", 4},
                    {"date", 5},   {"letters", 6}, {"alnum", 7}};
                const auto found = classes.find(value);
                item.InputClass = found != classes.end()
                    ? found->second
                    : static_cast<uint8_t>(Integer(value, "input class"));
            } else if (key == "link") {
                Links.emplace_back(Model.Fields.size(), TReference {OptionValue(value), where});
            } else if (key == "extra") {
                item.ExtraName = OptionValue(value);
            } else {
                throw TSourceError("unknown field option \"" + option + "\"");
            }
        }
        LastNumber = item.Number;
        Model.Fields.push_back(item);
    } else if (keyword == "ring") {
        need(3);
        std::vector<TReference> members;
        for (size_t i = 1; i < tokens.size(); ++i) {
            members.push_back({StringValue(tokens[i]), where});
        }
        Rings.push_back(members);
    } else if (keyword == "rule") {
        need(3);
        TLogicItem rule;
        const std::string &kind = bare(1);
        rule.RuleKind = kind == "any" ? rkAtLeastOne
            : kind == "all"           ? rkAllOrNone
                                      : Integer(kind, "rule kind");
        rule.Message = quoted(2);
        std::vector<TReference> members;
        for (size_t i = 3; i < tokens.size(); ++i) {
            members.push_back({StringValue(tokens[i]), where});
        }
        Model.Rules.push_back(rule);
        RuleMembers.push_back(members);
    } else {
        throw TSourceError("unknown statement \"" + tokens[0].Text + "\"");
    }
}

int32_t TParser::Resolve(const TReference &reference) const
{
    if (!reference.Text.empty() && reference.Text[0] == '#') {
        int32_t number = 0;
        if (!TryStrToInt(reference.Text.substr(1), number)) {
            throw std::runtime_error(reference.Where + ": \"" + reference.Text +
                                     "\" is not a field number");
        }
        return number;
    }
    std::optional<int32_t> found;
    for (const TFieldItem &field : Model.Fields) {
        if (field.FieldName == reference.Text) {
            if (found) {
                throw std::runtime_error(reference.Where + ": more than one field is named \"" +
                                         reference.Text + "\"; name it by number (#N)");
            }
            found = field.Number;
        }
    }
    if (!found) {
        throw std::runtime_error(reference.Where + ": no field is named \"" + reference.Text +
                                 "\"");
    }
    return *found;
}

void TParser::Finish()
{
    if (!NamedForm || Trim(Model.Name).empty()) {
        throw std::runtime_error("The source names no form (\"form NAME\").");
    }
    for (const auto &[index, reference] : Links) {
        Model.Fields[index].LinkNumber = Resolve(reference);
    }
    for (const std::vector<TReference> &ring : Rings) {
        std::vector<int32_t> numbers;
        for (const TReference &reference : ring) {
            numbers.push_back(Resolve(reference));
        }
        for (size_t i = 0; i < numbers.size(); ++i) {
            for (TFieldItem &field : Model.Fields) {
                if (field.Number == numbers[i]) {
                    field.LinkNumber = numbers[(i + 1) % numbers.size()];
                }
            }
        }
    }
    for (size_t r = 0; r < Model.Rules.size(); ++r) {
        for (const TReference &reference : RuleMembers[r]) {
            const int32_t number = Resolve(reference);
            if (number < INT16_MIN || number > INT16_MAX) {
                throw std::runtime_error(reference.Where + ": field numbers are 16 bits");
            }
            Model.Rules[r].FieldNumbers.push_back(static_cast<int16_t>(number));
        }
    }
    if (Model.SideCount == 0) {
        Model.SideCount = Model.HighestSide();
    }
    NormalizeModel(Model);
}

// --- Writing ----------------------------------------------------------------------------------

// A Windows-1252 text as the content of a quoted token.
std::string Escaped(const std::string &text, const TStringFontStyles *styles)
{
    std::string out;
    bool underline = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (styles) {
            const bool wanted = i < styles->size() && ((*styles)[i] & kStyleUnderline) != 0;
            if (wanted != underline) {
                out += "\\_";
                underline = wanted;
            }
        }
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += Windows1252ToUtf8(std::string(1, c));
        }
    }
    if (underline) {
        out += "\\_";
    }
    return out;
}

std::string Quoted(const std::string &text)
{
    return "\"" + Escaped(text, nullptr) + "\"";
}

// A token that reads back as `text`: bare when it can be, else quoted.
std::string Word(const std::string &text)
{
    const bool plain = !text.empty() && text[0] != '#' && text[0] != '"' &&
        std::all_of(text.begin(), text.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte > 0x20 && byte < 0x7F && c != '"' && c != '\\';
        });
    return plain ? text : Quoted(text);
}

std::string H(int32_t hundredths)
{
    return HundredthsText(hundredths);
}

std::string Lines(const TFormRect &rect)
{
    return H(rect.Top) + ".." + H(rect.Bottom);
}

std::string Columns(const TFormRect &rect)
{
    return H(rect.Left) + ".." + H(rect.Right);
}

std::string BoxStatement(const TBoxItem &item)
{
    if (item.Rect.Top == item.Rect.Bottom) {
        return "hline " + H(item.Rect.Top) + " " + Columns(item.Rect) + " " +
            IntText(item.LineWidth);
    }
    if (item.Rect.Left == item.Rect.Right) {
        return "vline " + Lines(item.Rect) + " " + H(item.Rect.Left) + " " +
            IntText(item.LineWidth);
    }
    return "box " + Lines(item.Rect) + " " + Columns(item.Rect) + " " + IntText(item.LineWidth);
}

std::string FontStatement(const TTextItem &text)
{
    std::string line = "font " + FloatText(text.FontSize);
    line += text.Bold ? " bold" : "";
    line += text.Italic ? " italic" : "";
    line += text.Reverse ? " reverse" : "";
    return line;
}

std::string TextStatement(const TTextItem &text)
{
    std::string line = "text " + H(text.Line) + " " + Word(text.XExpression) + " \"" +
        Escaped(text.Text, &text.Styles) + "\"";
    static const char *const alignments[] = {"left", "justify", "center", "after"};
    if (text.Alignment != 0) {
        line += std::string(" align=") + alignments[text.Alignment];
    }
    if (text.Width != 0) {
        line += " width=" + H(text.Width);
    }
    return line;
}

std::string Reference(const TFormModel &model, int32_t number)
{
    const TFieldItem *named = nullptr;
    int count = 0;
    for (const TFieldItem &field : model.Fields) {
        if (field.Number == number) {
            named = &field;
        }
    }
    if (named) {
        for (const TFieldItem &field : model.Fields) {
            count += field.FieldName == named->FieldName ? 1 : 0;
        }
    }
    if (!named || count != 1 || named->FieldName.empty() || named->FieldName[0] == '#') {
        return "#" + IntText(number);
    }
    return Word(named->FieldName);
}

std::string FieldStatement(const TFormModel &model, const TFieldItem &field, int32_t expectedNumber)
{
    static const char *const kinds[] = {"text", "check", "radio", "circle"};
    std::string line = "field " + Word(field.FieldName) + " " +
        (field.Kind <= 3 ? std::string(kinds[field.Kind]) : IntText(field.Kind)) + " " +
        Lines(field.Rect) + " " + Columns(field.Rect);
    if (field.Number != expectedNumber) {
        line += " no=" + IntText(field.Number);
    }
    if (field.Origin.X != field.Rect.Left + 20 || field.Origin.Y != field.Rect.Top) {
        line += " at=" + H(field.Origin.X) + "," + H(field.Origin.Y);
    }
    if (field.Required) {
        line += " required";
    }
    if (field.MaxLength != 0) {
        line += " max=" + IntText(field.MaxLength);
    }
    if (field.AutoAdvance) {
        line += " advance";
    }
    static const char *const cases[] = {"", "upper", "lower", "capital"};
    if (field.CaseMode != 0) {
        line += " case=" +
            (field.CaseMode <= 3 ? std::string(cases[field.CaseMode]) : IntText(field.CaseMode));
    }
    static const char *const inputs[] = {"",     "digits",  "decimal", "amount", "signed-amount",
                                         "date", "letters", "alnum"};
    if (field.InputClass != 0) {
        line += " input=" +
            (field.InputClass <= 7 ? std::string(inputs[field.InputClass])
                                   : IntText(field.InputClass));
    }
    if (field.LinkNumber != 0) {
        line += " link=" + Reference(model, field.LinkNumber);
    }
    if (!field.ExtraName.empty()) {
        line += " extra=" + Quoted(field.ExtraName);
    }
    if (!field.Description.empty()) {
        line += " " + Quoted(field.Description);
    }
    return line;
}

} // namespace

TFormModel ParseFormSource(const std::string &path)
{
    TParser parser;
    parser.ParseFile(path);
    parser.Finish();
    return std::move(parser.Model);
}

TFormModel ParseFormSourceText(const std::string &text, const std::string &fileName,
                               const std::string &folder)
{
    TParser parser;
    parser.ParseText(text, fileName, folder.empty() ? std::string() : IncludeTrailingSlash(folder));
    parser.Finish();
    return std::move(parser.Model);
}

std::string FormSourceText(const TFormModel &model)
{
    std::string out;
    const auto put = [&](const std::string &line) { out += line + "\n"; };
    put("# " + Windows1252ToUtf8(model.Name) + ": form definition, written by formc decompile.");
    put("form " + Word(model.Name));
    for (const TCrdDirective &directive : model.Directives) {
        put("directive " + Word(directive.Name) + " " + Quoted(directive.Value));
    }
    if (model.RecordLength != kFieldRecordPart3 && !model.Fields.empty()) {
        put("fields " + IntText(model.RecordLength));
    }
    if (model.SideCount != model.HighestSide()) {
        put("sides " + IntText(model.SideCount));
    }

    const bool fieldsInSideOrder =
        std::is_sorted(model.Fields.begin(), model.Fields.end(),
                       [](const TFieldItem &a, const TFieldItem &b) { return a.Side < b.Side; });
    int32_t lastNumber = 0;
    size_t nextField = 0;
    const auto putFields = [&](int32_t side) {
        int32_t current = side;
        while (nextField < model.Fields.size() &&
               (side == 0 || model.Fields[nextField].Side == side)) {
            const TFieldItem &field = model.Fields[nextField++];
            if (field.Side != current) {
                put("");
                put("side " + IntText(field.Side));
                current = field.Side;
            }
            put(FieldStatement(model, field, lastNumber + 1));
            lastNumber = field.Number;
        }
    };

    TFontDefaults font;
    const int32_t sides = std::max(model.SideCount, model.HighestSide());
    for (int32_t side = 1; side <= sides; ++side) {
        put("");
        put("side " + IntText(side));
        for (const TShadeItem &item : model.Shades) {
            if (item.Side == side) {
                put("shade " + Lines(item.Rect) + " " + Columns(item.Rect) + " " +
                    IntText(RoundHalfEven(item.Shade * 100)));
            }
        }
        for (const TBoxItem &item : model.Boxes) {
            if (item.Side == side) {
                put(BoxStatement(item));
            }
        }
        for (const TTextItem &item : model.Texts) {
            if (item.Side != side) {
                continue;
            }
            if (item.FontSize != font.Size || item.Bold != font.Bold ||
                item.Italic != font.Italic || item.Reverse != font.Reverse) {
                put(FontStatement(item));
                font = {item.FontSize, item.Bold, item.Italic, item.Reverse};
            }
            put(TextStatement(item));
        }
        for (const TImageItem &item : model.Images) {
            if (item.Side == side) {
                put("image " + Lines(item.Rect) + " " + Columns(item.Rect) + " " +
                    Quoted(item.FileName));
            }
        }
        for (const TBoxItem &item : model.Separators) {
            if (item.Side == side) {
                put("separator " + Lines(item.Rect) + " " + Columns(item.Rect));
            }
        }
        for (const TUserImageItem &item : model.Slots) {
            if (item.Side == side) {
                put("slot " + Lines(item.Rect) + " " + Columns(item.Rect) + " " +
                    Quoted(item.SlotName) + " " + Quoted(item.SlotText) + " " +
                    IntText(item.SlotValue) + (item.IsStampSlot ? " stamp" : ""));
            }
        }
        if (fieldsInSideOrder) {
            putFields(side);
        }
    }
    if (nextField < model.Fields.size()) {
        put("");
        put("# Fields in the order of the field file.");
        out += "side " + IntText(model.Fields[nextField].Side) + "\n";
        const int32_t first = model.Fields[nextField].Side;
        int32_t current = first;
        while (nextField < model.Fields.size()) {
            const TFieldItem &field = model.Fields[nextField++];
            if (field.Side != current) {
                put("side " + IntText(field.Side));
                current = field.Side;
            }
            put(FieldStatement(model, field, lastNumber + 1));
            lastNumber = field.Number;
        }
    }
    if (!model.Rules.empty()) {
        put("");
    }
    for (const TLogicItem &rule : model.Rules) {
        std::string line = "rule " +
            (rule.RuleKind == rkAtLeastOne      ? std::string("any")
                 : rule.RuleKind == rkAllOrNone ? std::string("all")
                                                : IntText(rule.RuleKind)) +
            " " + Quoted(rule.Message);
        for (const int16_t number : rule.FieldNumbers) {
            line += " " + Reference(model, number);
        }
        put(line);
    }
    return out;
}
