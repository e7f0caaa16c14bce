#pragma once

// The schema file of a table: its file name, fields and tags, one item a line.
//
//     table WCPLAN.DBF
//     field Broker_ID C 6
//     field Down N 8 2
//     tag ID Broker_ID+State_ID
//     tag BYDATE DTOS(Rate_Chang) descending

#include "dbase/Dbf.h"
#include "dbase/Index.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A mistake in the tool's input, with the file and line it is on.
class ToolError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct Schema
{
    std::string tableName; // as the program opens it, e.g. "WCPLAN.DBF" or "tierprem.dbf"
    std::vector<dbase::FieldSpec> fields;
    std::vector<dbase::TagSpec> tags;
};

// `source` names the text in messages. Raises ToolError "source:line: what".
Schema ParseSchema(std::string_view text, const std::string &source);
Schema ReadSchema(const std::string &path);

// The whole file; raises ToolError when it cannot be read.
std::string ReadWholeFile(const std::string &path);
