#include "core/NameValues.h"

#include "core/Text.h"

int IndexOfName(const TNameValueList &list, std::string_view name)
{
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string &line = list[i];
        const size_t equals = line.find('=');
        if (equals != std::string::npos &&
            SameText(std::string_view(line).substr(0, equals), name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool HasName(const TNameValueList &list, std::string_view name)
{
    return IndexOfName(list, name) >= 0;
}

std::string NameValue(const TNameValueList &list, std::string_view name)
{
    const int index = IndexOfName(list, name);
    return index < 0 ? std::string() : ValueOfLine(list[static_cast<size_t>(index)]);
}

void SetNameValue(TNameValueList &list, const std::string &name, const std::string &value)
{
    const int index = IndexOfName(list, name);
    if (index >= 0) {
        list[static_cast<size_t>(index)] = name + "=" + value;
    } else {
        list.push_back(name + "=" + value);
    }
}

std::string NameOfLine(std::string_view line)
{
    return std::string(line.substr(0, line.find('=')));
}

std::string ValueOfLine(std::string_view line)
{
    const size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string() : std::string(line.substr(equals + 1));
}

TNameValueList SplitLines(std::string_view text)
{
    TNameValueList lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        lines.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
    return lines;
}
