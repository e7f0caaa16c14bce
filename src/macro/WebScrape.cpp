#include "macro/MacroXml.h"
#include "macro/WebMacro.h"

#include "core/Text.h"

namespace {

// Line-break markers survive the substitution of a condition.
std::string SubstitutedCondition(const TMacro &macro, const std::string &condition)
{
    std::string text = ReplaceAll(condition, "%CRLF%",
                                  "\x01"
                                  "CRLF\x01");
    text = ReplaceAll(text, "%LF%",
                      "\x01"
                      "LF\x01");
    text = ReplaceAll(text, "%CR%",
                      "\x01"
                      "CR\x01");
    text = macro.Substitute(text);
    text = ReplaceAll(text,
                      "\x01"
                      "CRLF\x01",
                      "%CRLF%");
    text = ReplaceAll(text,
                      "\x01"
                      "LF\x01",
                      "%LF%");
    return ReplaceAll(text,
                      "\x01"
                      "CR\x01",
                      "%CR%");
}

// The documents whose text and tables a scrape reads: the top one without frames, else the
// frames' documents.
std::vector<std::unique_ptr<THTMLDocument>> ContentDocuments(TWebBrowser &browser)
{
    std::vector<std::unique_ptr<THTMLDocument>> documents;
    std::unique_ptr<THTMLDocument> top = browser.Document();
    if (!top) {
        throw std::runtime_error(
            "Couldn't convert the FInternetExplorer.Document to an IHTMLDocument2");
    }
    const int frames = top->FrameCount();
    if (frames == 0) {
        documents.push_back(std::move(top));
        return documents;
    }
    for (int i = 0; i < frames; ++i) {
        if (std::unique_ptr<THTMLDocument> frame = top->Frame(i)) {
            documents.push_back(std::move(frame));
        }
    }
    return documents;
}

std::string PageText(TWebBrowser &browser)
{
    std::string text;
    for (const auto &document : ContentDocuments(browser)) {
        if (!text.empty()) {
            text += "\r\n";
        }
        text += document->Text();
    }
    return text;
}

// The first TD whose text equals `text` and the table around it.
struct TFoundTable
{
    std::unique_ptr<THTMLElement> cell;
    std::unique_ptr<THTMLElement> table;
};

TFoundTable TableContaining(TWebBrowser &browser, const std::string &text)
{
    const std::string wanted = UpperCase(Trim(text));
    for (const auto &document : ContentDocuments(browser)) {
        for (auto &cell : document->Tags("TD")) {
            if (UpperCase(Trim(cell->InnerText())) != wanted) {
                continue;
            }
            std::unique_ptr<THTMLElement> parent = cell->Parent();
            while (parent && UpperCase(parent->TagName()) != "TABLE") {
                parent = parent->Parent();
            }
            if (parent) {
                return {std::move(cell), std::move(parent)};
            }
        }
    }
    return {};
}

// A row or column reference: a 1-based number, or !FIRST!, !LAST!, !ORIGIN! (or !n!) with an
// optional ",n" added. False when the reference is not a number.
bool Reference(const std::string &text, int last, int origin, int &result)
{
    const std::string trimmed = UpperCase(Trim(text));
    if (trimmed.find('!') == std::string::npos) {
        return TryStrToInt(trimmed, result);
    }
    const size_t open = trimmed.find('!');
    const size_t close = trimmed.find('!', open + 1);
    const std::string keyword = close == std::string::npos
        ? trimmed.substr(open + 1)
        : trimmed.substr(open + 1, close - open - 1);
    int base = 0;
    if (keyword == "FIRST") {
        base = 0;
    } else if (keyword == "LAST") {
        base = last;
    } else if (keyword == "ORIGIN") {
        base = origin;
    } else {
        base = StrToIntDef(keyword, 0);
    }
    int add = 0;
    const size_t comma = trimmed.find(',', close == std::string::npos ? open : close);
    if (comma != std::string::npos) {
        add = StrToIntDef(Trim(trimmed.substr(comma + 1)), 0);
    }
    result = base + add;
    return true;
}

// One item of comma text: quoted when it holds a blank, comma or quote, or is empty.
std::string CommaItem(const std::string &item)
{
    if (!item.empty() && item.find_first_of(" ,\"") == std::string::npos) {
        return item;
    }
    return "\"" + ReplaceAll(item, "\"", "\"\"") + "\"";
}

std::vector<std::string> CellTexts(const THTMLElement &row)
{
    std::vector<std::string> texts;
    for (const auto &cell : row.Cells()) {
        texts.push_back(Trim(cell->InnerText()));
    }
    return texts;
}

// The number after "OUTPUT_INDEX=" (up to the next blank), else 1.
int OutputIndex(const TMacro &macro, const std::string &formatting)
{
    const size_t at = UpperCase(formatting).find("OUTPUT_INDEX=");
    if (at == std::string::npos) {
        return 1;
    }
    const size_t start = at + 13;
    const size_t end = formatting.find(' ', start);
    const std::string value =
        formatting.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return StrToIntDef(Trim(macro.Substitute(value)), 1);
}

// name=value pairs after a keyword of the formatting, split at blanks and commas.
TNameValueList FormattingParameters(const std::string &formatting, const std::string &keyword)
{
    TNameValueList pairs;
    const size_t at = UpperCase(formatting).find(keyword);
    if (at == std::string::npos) {
        return pairs;
    }
    std::string current;
    for (const char c : formatting.substr(at + keyword.size()) + " ") {
        if (c == ' ' || c == ',' || c == ';') {
            if (current.find('=') != std::string::npos) {
                pairs.push_back(current);
            }
            current.clear();
        } else {
            current += c;
        }
    }
    return pairs;
}

std::vector<std::string> SplitBars(const std::string &text)
{
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '|') {
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::string ReplaceLineBreaks(const std::string &text, const std::string &with)
{
    std::string result = ReplaceAll(text, "\r\n", with);
    result = ReplaceAll(result, "\r", with);
    return ReplaceAll(result, "\n", with);
}

} // namespace

std::string TWebScrapeCommand::Description() const
{
    switch (ScrapeType) {
    case stValueBetween:
        return "Value between " + FirstCondition + " and " + SecondCondition + " into " + ValueName;
    case stAllRows:
        return "All Rows from a table containing " + FirstCondition + " into " + ValueName;
    case stCell:
        return "Cell (" + SecondCondition + "/" + ThirdCondition + ") from a table containing " +
            FirstCondition + " into " + ValueName;
    case stBoolean:
        return "Boolean (1/0) if the Page contains " + FirstCondition + " into " + ValueName;
    case stInnerText:
        return "Inner Text of table containing " + FirstCondition + " into " + ValueName;
    case stAttribute:
        return "Attribute " + (SecondCondition.empty() ? std::string("value") : SecondCondition) +
            " from control " + FirstCondition + " into " + ValueName;
    case stRowsFromCell:
        return "Rows from Cell (" + SecondCondition + "/" + ThirdCondition +
            ") from a table containing " + FirstCondition + " into " + ValueName;
    case stPickRow:
        return "Pick Row from a table containing " + FirstCondition + " into " + ValueName;
    default:
        return "Scrape Page Data into " + ValueName;
    }
}

void TWebScrapeCommand::Fields(TCommandFields &fields)
{
    TWebMacroCommand::Fields(fields);
    fields.Integer("ScrapeType", ScrapeType, stValueBetween);
    fields.Text("FirstCondition", FirstCondition);
    fields.Text("SecondCondition", SecondCondition);
    fields.Text("ThirdCondition", ThirdCondition);
    fields.Text("FourthCondition", FourthCondition);
    fields.Text("ValueName", ValueName);
    fields.Text("BooleanCondition", BooleanCondition);
    fields.TrueFalse("Required", Required, true);
    fields.Text("Formatting", Formatting);
    fields.Integer("WaitTimeOverride", WaitTimeOverride, 0);
}

bool TWebScrapeCommand::CheckPrerequisites(TWebBrowser &browser)
{
    const TMacro &macro = Macro();
    switch (ScrapeType) {
    case stValueBetween: {
        const std::string text = UpperCase(PageText(browser));
        const std::string first = MarkerText(SubstitutedCondition(macro, FirstCondition));
        const std::string second = MarkerText(SubstitutedCondition(macro, SecondCondition));
        const size_t at = text.find(first);
        return at != std::string::npos && text.find(second, at + first.size()) != std::string::npos;
    }
    case stAllRows:
    case stCell:
    case stInnerText:
    case stRowsFromCell:
    case stPickRow:
        return TableContaining(browser, MarkerText(SubstitutedCondition(macro, FirstCondition)))
                   .table != nullptr;
    default:
        return true;
    }
}

void TWebScrapeCommand::Scrape(TWebBrowser &browser)
{
    TMacro &macro = Macro();
    const std::string first = SubstitutedCondition(macro, FirstCondition);
    const std::string second = SubstitutedCondition(macro, SecondCondition);
    const std::string third = SubstitutedCondition(macro, ThirdCondition);
    const std::string fourth = SubstitutedCondition(macro, FourthCondition);
    const std::string formatting = macro.Substitute(Formatting);
    const std::string upperFormatting = UpperCase(Formatting);
    switch (ScrapeType) {
    case stValueBetween: {
        const std::string text = UpperCase(PageText(browser));
        const std::string a = MarkerText(first);
        const std::string b = MarkerText(second);
        std::string value;
        const size_t at = text.find(a);
        if (at != std::string::npos) {
            const size_t start = at + a.size();
            const size_t end = text.find(b, start);
            if (end != std::string::npos) {
                value = Trim(text.substr(start, end - start));
            }
        }
        macro.SetVariable(ValueName, value);
        break;
    }
    case stBoolean: {
        const std::string text = UpperCase(PageText(browser));
        macro.SetVariable(ValueName, text.find(MarkerText(first)) != std::string::npos ? "1" : "0");
        break;
    }
    case stAttribute: {
        const std::string attribute = Trim(second).empty() ? std::string("value") : Trim(second);
        const bool byTag = UpperCase(Trim(third)) == "T";
        const std::string wanted = UpperCase(Trim(first));
        std::string value;
        bool found = false;
        std::unique_ptr<THTMLDocument> top = browser.Document();
        if (!top) {
            throw std::runtime_error(
                "Couldn't convert the FInternetExplorer.Document to an IHTMLDocument2");
        }
        const auto search = [&](const THTMLDocument &document) {
            const auto elements = byTag ? document.Tags(wanted) : document.All();
            for (const auto &element : elements) {
                if (byTag || UpperCase(Trim(element->Attribute("name"))) == wanted) {
                    value = element->Attribute(attribute);
                    return true;
                }
            }
            return false;
        };
        found = search(*top);
        for (int i = 0; !found && i < top->FrameCount(); ++i) {
            if (const std::unique_ptr<THTMLDocument> frame = top->Frame(i)) {
                found = search(*frame);
            }
        }
        macro.SetVariable(ValueName, found && !value.empty() ? value : fourth);
        break;
    }
    case stInnerText: {
        TFoundTable found = TableContaining(browser, MarkerText(first));
        macro.SetVariable(ValueName, found.table ? found.table->InnerText() : std::string());
        break;
    }
    case stAllRows:
    case stPickRow: {
        TFoundTable found = TableContaining(browser, MarkerText(first));
        std::vector<std::vector<std::string>> taken;
        if (found.table) {
            const auto rows = found.table->Rows();
            const int start = Trim(second).empty() ? 1 : StrToIntDef(Trim(second), 1);
            int step = 1;
            int maximum = 999;
            const std::string stepText = Trim(third);
            if (!stepText.empty()) {
                const size_t comma = stepText.find(',');
                step = StrToIntDef(Trim(stepText.substr(0, comma)), 1);
                if (comma != std::string::npos) {
                    maximum = StrToIntDef(Trim(stepText.substr(comma + 1)), 999);
                }
            }
            if (step < 1) {
                step = 1;
            }
            std::vector<int> columns;
            for (const std::string &column : SplitBars(ReplaceAll(fourth, ",", "|"))) {
                int number = 0;
                if (TryStrToInt(Trim(column), number)) {
                    columns.push_back(number);
                }
            }
            for (int index = start - 1; index >= 0 && index < static_cast<int>(rows.size()) &&
                 static_cast<int>(taken.size()) < maximum;
                 ++index) {
                if (index != start - 1 && index % step != 0) {
                    continue;
                }
                const std::vector<std::string> cells = CellTexts(*rows[static_cast<size_t>(index)]);
                if (columns.empty()) {
                    taken.push_back(cells);
                } else {
                    std::vector<std::string> kept;
                    for (const int column : columns) {
                        if (column >= 1 && column <= static_cast<int>(cells.size())) {
                            kept.push_back(cells[static_cast<size_t>(column - 1)]);
                        }
                    }
                    taken.push_back(kept);
                }
            }
        }
        const bool noBlanks = upperFormatting.find("NO_BLANKS") != std::string::npos;
        const bool oneVariable = upperFormatting.find("TABLE_IN_ONE_VAR") != std::string::npos;
        macro.SetVariable(ValueName + "_Count", IntText(static_cast<int64_t>(taken.size())));
        int number = OutputIndex(macro, formatting);
        std::string all;
        std::vector<std::string> lines;
        for (const auto &row : taken) {
            std::string line;
            for (const std::string &cell : row) {
                if (noBlanks && cell.empty()) {
                    continue;
                }
                line += (line.empty() ? "" : ",") + CommaItem(cell);
            }
            if (line.empty()) {
                line = " ";
            }
            lines.push_back(line);
            if (oneVariable) {
                all += line + "\r";
            } else {
                macro.SetVariable(ValueName + "_" + IntText(number), line);
            }
            ++number;
        }
        if (oneVariable) {
            macro.SetVariable(ValueName, all);
        }
        if (ScrapeType == stPickRow) {
            int chosen = -1;
            if (!lines.empty() && macro.Dialogs != nullptr) {
                chosen =
                    macro.Dialogs->PickFromList("Select", "Select from the Available Items", lines);
            }
            macro.SetVariable(ValueName, IntText(chosen));
        }
        break;
    }
    case stCell:
    case stRowsFromCell: {
        TFoundTable found = TableContaining(browser, MarkerText(first));
        std::string cellText;
        bool inside = false;
        if (found.table) {
            const auto rows = found.table->Rows();
            int originRow = 0;
            int originColumn = 0;
            const bool fromOrigin = UpperCase(second).find("!ORIGIN!") != std::string::npos;
            if (fromOrigin) {
                const std::string wanted = UpperCase(Trim(MarkerText(first)));
                for (size_t r = 0; r < rows.size() && originRow == 0; ++r) {
                    const std::vector<std::string> cells = CellTexts(*rows[r]);
                    for (size_t c = 0; c < cells.size(); ++c) {
                        if (UpperCase(cells[c]).find(wanted) != std::string::npos) {
                            originRow = static_cast<int>(r) + 1;
                            originColumn = static_cast<int>(c) + 1;
                            break;
                        }
                    }
                }
            }
            int row = 0;
            if (Reference(second, static_cast<int>(rows.size()), originRow, row) && row >= 1 &&
                row <= static_cast<int>(rows.size())) {
                const auto cells = rows[static_cast<size_t>(row - 1)]->Cells();
                const bool columnFromOrigin =
                    fromOrigin && UpperCase(third).find("!ORIGIN!") != std::string::npos;
                int column = 0;
                if (Reference(third, static_cast<int>(cells.size()),
                              columnFromOrigin ? originColumn : 0, column) &&
                    column >= 1 && column <= static_cast<int>(cells.size())) {
                    cellText = cells[static_cast<size_t>(column - 1)]->InnerText();
                    inside = true;
                }
            }
        }
        if (ScrapeType == stCell) {
            macro.SetVariable(ValueName, inside ? Trim(cellText) : std::string());
            break;
        }
        const std::vector<std::string> lines = SplitBars(ReplaceLineBreaks(cellText, "|"));
        const int firstLine = Trim(fourth).empty() ? 1 : StrToIntDef(Trim(fourth), 1);
        int number = OutputIndex(macro, formatting);
        for (size_t i = firstLine > 0 ? static_cast<size_t>(firstLine - 1) : 0;
             inside && i < lines.size(); ++i) {
            const std::string line = Trim(lines[i]);
            macro.SetVariable(ValueName + "_" + IntText(number++), line.empty() ? " " : line);
        }
        break;
    }
    default:
        break;
    }

    if (!Trim(BooleanCondition).empty()) {
        const std::string value = UpperCase(Trim(macro.Variable(macro.Substitute(ValueName))));
        macro.SetVariable(ValueName,
                          value == UpperCase(Trim(macro.Substitute(BooleanCondition))) ? "1" : "0");
    }
    if (!Trim(Formatting).empty()) {
        std::string value = macro.Variable(macro.Substitute(ValueName));
        if (upperFormatting.find("CRLFTOBAR") != std::string::npos) {
            value = ReplaceLineBreaks(value, "|");
        }
        const bool mid = upperFormatting.find("MID") != std::string::npos;
        const bool csv = upperFormatting.find("CSV") != std::string::npos;
        if (mid || csv) {
            const TNameValueList parameters = FormattingParameters(Formatting, mid ? "MID" : "CSV");
            const int line = StrToIntDef(Trim(NameValue(parameters, "LINE")), 0);
            if (line > 0) {
                const std::vector<std::string> lines = SplitBars(value);
                value = line <= static_cast<int>(lines.size())
                    ? lines[static_cast<size_t>(line - 1)]
                    : std::string();
            }
            if (mid) {
                const int start = StrToIntDef(Trim(NameValue(parameters, "START")), 1);
                const int length = StrToIntDef(Trim(NameValue(parameters, "LENGTH")),
                                               static_cast<int>(value.size()));
                const size_t from = start > 1 ? static_cast<size_t>(start - 1) : 0;
                value = from < value.size() && length > 0
                    ? value.substr(from, static_cast<size_t>(length))
                    : std::string();
            } else {
                std::string fields;
                size_t at = 0;
                for (int field = 1; field <= 100; ++field) {
                    const std::string width = NameValue(parameters, IntText(field));
                    if (Trim(width).empty()) {
                        break;
                    }
                    const int count = StrToIntDef(Trim(width), 0);
                    const std::string part = at < value.size() && count > 0
                        ? value.substr(at, static_cast<size_t>(count))
                        : std::string();
                    at += count > 0 ? static_cast<size_t>(count) : 0;
                    fields += "\"" + part + "\",";
                }
                if (!fields.empty()) {
                    fields.pop_back();
                }
                value = fields;
            }
        }
        macro.SetVariable(ValueName, value);
    }
}
