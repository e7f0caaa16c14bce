#pragma once

#include <string>
#include <string_view>
#include <vector>

// Name=value lines ("WC_CLASS_COUNT=3"), the lists the quote exports and scripts read and
// write. Names are found without regard to case; the first line with the name counts.
using TNameValueList = std::vector<std::string>;

// The index of the first line whose name is `name`, or -1.
int IndexOfName(const TNameValueList &list, std::string_view name);
bool HasName(const TNameValueList &list, std::string_view name);
// The value of a name, or empty text.
std::string NameValue(const TNameValueList &list, std::string_view name);
// Setting a name that exists replaces its value; a new name is added at the end.
void SetNameValue(TNameValueList &list, const std::string &name, const std::string &value);
// The part of a line before and after its first "=" (the whole line is the name without one).
std::string NameOfLine(std::string_view line);
std::string ValueOfLine(std::string_view line);
// The lines of a text (CR LF, LF or CR), without the line ends; a last empty line is dropped.
TNameValueList SplitLines(std::string_view text);
