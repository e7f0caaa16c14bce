#pragma once

#include <string>
#include <string_view>

// Table, form and script files hold Windows-1252 text; the rest of the world speaks UTF-8.
// The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control characters of the same number, so every byte survives a round trip.
std::string Windows1252ToUtf8(std::string_view text);

// Characters Windows-1252 cannot hold, and malformed UTF-8, become "?".
std::string Utf8ToWindows1252(std::string_view text);

// Whether the text is well-formed UTF-8 (plain ASCII is).
bool IsUtf8(std::string_view text);

// A message for a UTF-8 console: messages join engine text (Windows-1252: class names, table
// values) with paths and request texts that are UTF-8 already. Text that is well-formed UTF-8 is
// kept; anything else is taken as Windows-1252, whose accented letters alone almost never form
// UTF-8.
std::string ConsoleUtf8(std::string_view text);
