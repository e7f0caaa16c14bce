#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace dbase {

class Context;

// The engine's failure codes; a context reports the last one (always negative) until it is read.
enum class Failure : int32_t {
    None = 0,
    FileOpen = -10, // a file is missing or cannot be opened
    FileCreate = -11, // a file cannot be created or replaced
    FileName = -12, // a file name the engine does not accept
    Read = -20, // the operating system failed a read
    Write = -30, // the operating system failed a write
    Lock = -40, // a lock was still refused after the given attempts
    InUse = -50, // the operation needs the table to itself
    ReadOnly = -60, // the table cannot be written
    TableCorrupt = -100,
    RecordCount = -110, // the header counts more records than the file holds
    FieldUnknown = -200,
    FieldType = -210, // a value the field's type cannot hold
    FieldWidth = -220, // a value too wide for the field
    MemoCorrupt = -300,
    IndexCorrupt = -400,
    IndexMissing = -401,
    TagUnknown = -410,
    Expression = -420,
    Usage = -500, // an operation that needs a current record, a tag, ...
};

class Error : public std::runtime_error
{
public:
    Error(Failure failure, const std::string &message)
        : std::runtime_error(message), m_failure(failure)
    { }

    Failure Code() const { return m_failure; }

private:
    Failure m_failure;
};

// Throws Error; a context, when given, also keeps the code for its error code.
[[noreturn]] void Raise(Context *context, Failure failure, const std::string &message);

} // namespace dbase
