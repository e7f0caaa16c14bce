#include "core/States.h"

#include "core/Text.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<const char *, int>, 26> kStates = {{
    {"PA", 1},  {"SC", 2},  {"NC", 3},  {"SD", 8},  {"TN", 9},  {"MI", 10}, {"RI", 11},
    {"AL", 12}, {"MA", 13}, {"NY", 14}, {"NJ", 15}, {"FL", 16}, {"GA", 17}, {"MD", 18},
    {"OK", 19}, {"LA", 20}, {"AR", 21}, {"VA", 22}, {"KY", 23}, {"WI", 24}, {"DE", 25},
    {"CT", 26}, {"TX", 27}, {"NH", 28}, {"KS", 29}, {"IN", 30},
}};

} // namespace

int StateNumber(std::string_view abbreviation)
{
    const std::string key = UpperCase(Trim(abbreviation));
    for (const auto &[name, number] : kStates) {
        if (key == name) {
            return number;
        }
    }
    return 0;
}

std::string StateAbbreviation(int number)
{
    for (const auto &[name, stateNumber] : kStates) {
        if (stateNumber == number) {
            return name;
        }
    }
    return {};
}
