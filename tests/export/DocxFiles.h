#pragma once

#include <map>
#include <string>

// Small DOCX packages for the tests, written with libzip, and the parts of a package read back.

// A legacy text form field named `name` whose result shows `result` in the run properties
// `format` (an rPr element or empty).
std::string LegacyTextField(const std::string &name, const std::string &result = "\u2002\u2002",
                            const std::string &format = "");
// A content control tagged `tag` showing its placeholder text.
std::string PlaceholderControl(const std::string &tag);
// A paragraph around `runs`.
std::string Paragraph(const std::string &runs);

// Writes a package whose main text has `body` in its body.
void WriteDocx(const std::string &path, const std::string &body);

// Every part of a package by name, as stored bytes after decompression.
std::map<std::string, std::string> ReadParts(const std::string &path);
