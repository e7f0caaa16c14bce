#pragma once

#include <string>

// A new random (version 4) globally unique identifier in the usual text form without braces:
// "3F2504E0-4F89-41D3-9A0C-0305E82C3301", upper-case hexadecimal.
std::string NewGuidText();
