#pragma once

#include <stdexcept>
#include <string>

// An amount that does not fit the program's 32-bit amounts: the quote is refused rather than
// rated with a wrapped or clamped figure.
class EAmountRange : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A text that should have been a number or a date and is not.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
