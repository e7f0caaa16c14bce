#pragma once

#include "forms/FormItems.h"

#include <ostream>
#include <string>

// One line per item, as the program's readers hold it: the list, the side, the number and
// every field by name. Texts are shown in UTF-8; quotes, backslashes and control characters
// are escaped.
std::string DumpLine(const TShadeItem &item);
std::string DumpLine(const TBoxItem &item, const char *list);
std::string DumpLine(const TTextItem &item);
std::string DumpLine(const TImageItem &item);
std::string DumpLine(const TUserImageItem &item);
std::string DumpLine(const TFieldItem &item);
std::string DumpLine(const TLogicItem &item);

// A Windows-1252 text as a quoted UTF-8 string with escapes.
std::string QuotedText(const std::string &text);

// Every item of the form `name` in `folder`, loaded list by list as the form viewer loads
// them (separators, pictures, picture slots, shading, boxes, texts, fields, rules).
void DumpForm(const std::string &folder, const std::string &name, std::ostream &out);
