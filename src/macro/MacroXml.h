#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

// Script, translation and script-list files are XML in Windows-1252 (a file declared UTF-8, or
// one without a declaration that reads as UTF-8, is taken as UTF-8). The document in memory is
// UTF-8; these helpers convert at the edges so callers see Windows-1252 strings.

// Reads and parses a file. False with `error` set ("file not found", the parser's message
// and byte offset) when it cannot be read or is not well-formed XML.
bool LoadXmlFile(const std::string &path, pugi::xml_document &document, std::string &error);
// Parses text held in memory, under the same encoding rules.
bool LoadXmlText(std::string_view bytes, pugi::xml_document &document, std::string &error);
// Writes the document in Windows-1252 with a declaration saying so, indented by two blanks,
// through a temporary file renamed over the old one. Raises std::runtime_error on failure.
void SaveXmlFile(const pugi::xml_document &document, const std::string &path);

// The text of an element (its first text or CDATA child) in Windows-1252; empty for none.
std::string XmlText(const pugi::xml_node &node);
// The text of the named child element, or `def` when there is no such child.
std::string ChildText(const pugi::xml_node &parent, const char *name, std::string_view def = {});
// The named child element compared without regard to case.
pugi::xml_node ChildNoCase(const pugi::xml_node &parent, std::string_view name);
// An attribute's value in Windows-1252, empty when absent.
std::string AttributeText(const pugi::xml_node &node, const char *name);

// Appends <name>text</name> (Windows-1252 text).
pugi::xml_node AppendTextChild(pugi::xml_node &parent, const char *name, std::string_view text);
// Appends <name><![CDATA[text]]></name>.
pugi::xml_node AppendCDataChild(pugi::xml_node &parent, const char *name, std::string_view text);
