#pragma once

#include <pugixml.hpp>

#include <string>

// Translation files turn a script value into what a web page wants: a root holding
// "Translation" elements (attribute id = the topic) with a "Type" ("Simple", "NumericRange",
// "Substitute", "Coded") and "Option" children (attribute id, elements Value, From, To).

// The input translated by the topic of a parsed file. Raises std::runtime_error
// "The specificed Translation was not found: " + topic when the file has no such topic, and
// EConvertError when a numeric translation gets text that is no number.
std::string TranslateValue(const pugi::xml_document &file, const std::string &topic,
                           const std::string &input);
// The same on a file; raises std::runtime_error naming the file when it cannot be read.
std::string TranslateWithFile(const std::string &path, const std::string &topic,
                              const std::string &input);
