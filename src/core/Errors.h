#pragma once

#include <stdexcept>
#include <string>

// A text that should have been a number or a date and is not.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
