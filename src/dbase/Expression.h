#pragma once

// Key expressions of index tags: field names joined with "+" (or "-"), and the functions index
// keys use: STR, UPPER, LOWER, DTOS, LEFT, RIGHT, SUBSTR, TRIM, RTRIM, LTRIM, ALLTRIM, VAL,
// RECNO. Parsed once against the table's fields, then evaluated against record bytes.

#include "dbase/Dbf.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbase {

// What the index header has room for.
constexpr size_t kMaxExpressionLength = 219;

// A record as the expression sees it.
struct RecordView
{
    const char *data = nullptr; // the record bytes, deletion flag first
    uint32_t recno = 0;
};

class Expression
{
public:
    enum class Type { Character, Numeric, Date, Logical };

    // Raises Expression with a message that names the expression and what is wrong.
    static Expression Parse(Context *context, std::string_view text,
                            const std::vector<Field> &fields);

    const std::string &Text() const { return m_text; }
    Type ResultType() const;
    // The width of a character result (what a tag on it takes as its key length).
    size_t Width() const;
    // The field index when the expression is one field alone, else -1.
    int SingleField() const;

    // The key bytes of a record for a tag of this expression: character results padded with
    // blanks or cut to `keyLength`, numbers and dates in their key encodings.
    void EvaluateKey(const RecordView &record, char *key, size_t keyLength) const;
    // The value as text (character results unpadded; numbers and dates as their key would be
    // compared), used by tools.
    std::string EvaluateText(const RecordView &record) const;

private:
    enum class Op {
        Field,
        Text,
        Number,
        Concat,
        ConcatTrimmed,
        Add,
        Subtract,
        DateAdd,
        DateSubtract,
        DateDifference,
        Negate,
        Str,
        Upper,
        Lower,
        Dtos,
        Left,
        Right,
        Substr,
        RTrim,
        LTrim,
        AllTrim,
        Val,
        Recno,
    };

    struct Node
    {
        Op op = Op::Text;
        Type type = Type::Character;
        size_t width = 0;
        int field = -1;
        std::string text;
        double number = 0;
        int a = -1;
        int b = -1;
        int length = 0; // STR, LEFT, RIGHT, SUBSTR
        int decimals = 0;
        int start = 0;
    };

    class Parser;

    void AppendText(int node, const RecordView &record, std::string &out) const;
    double Number(int node, const RecordView &record) const;
    double Date(int node, const RecordView &record) const;

    std::string m_text;
    std::vector<Field> m_fields;
    std::vector<Node> m_nodes;
    int m_root = -1;
    mutable std::string m_scratch;
};

} // namespace dbase
