#pragma once

#include <stdexcept>
#include <string>

// The text every fault in a form definition begins with.
inline constexpr const char *kFormDataCorrupt =
    "The form data is corrupt.  Please contact Tessaly Software for assistance.";

// A form definition the program cannot read as written: a number that does not parse, a record
// count beyond the file, a text without its closing quote. The message begins with
// kFormDataCorrupt; what follows names the fault for the log and the form author.
class EFormDataError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A form file that must exist and does not (the .crd file of a form).
class EFormFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Raises EFormDataError with kFormDataCorrupt, followed by two blanks and `detail` when given.
[[noreturn]] void RaiseFormDataCorrupt(const std::string &detail = {});
