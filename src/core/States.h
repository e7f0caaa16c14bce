#pragma once

#include <string>
#include <string_view>

// The state numbers used by the tables: "MA" 13, "NJ" 15, ... The abbreviation is trimmed and
// upper-cased first; an unknown abbreviation gives 0 and an unknown number empty text.
int StateNumber(std::string_view abbreviation);
std::string StateAbbreviation(int number);

// The states the program rates, and New York, whose finance agreement it prints.
constexpr int StateMA = 13;
constexpr int StateNY = 14;
constexpr int StateNJ = 15;
