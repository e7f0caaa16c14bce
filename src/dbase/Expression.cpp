#include "dbase/Expression.h"

#include "core/Text.h"

#include "dbase/Keys.h"
#include "dbase/Values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace dbase {

namespace {

struct Function
{
    const char *name;
    int minArgs;
    int maxArgs;
};

constexpr Function kFunctions[] = {
    {"STR", 1, 3},     {"UPPER", 1, 1},  {"LOWER", 1, 1}, {"DTOS", 1, 1},  {"LEFT", 2, 2},
    {"RIGHT", 2, 2},   {"SUBSTR", 2, 3}, {"TRIM", 1, 1},  {"RTRIM", 1, 1}, {"LTRIM", 1, 1},
    {"ALLTRIM", 1, 1}, {"VAL", 1, 1},    {"RECNO", 0, 0},
};

// dBASE accepts a function name cut to its first four letters ("SUBS" for SUBSTR).
const Function *FindFunction(const std::string &name)
{
    for (const Function &f : kFunctions) {
        const size_t full = std::strlen(f.name);
        if (name == f.name ||
            (name.size() >= 4 && name.size() < full &&
             std::string_view(f.name).substr(0, name.size()) == name)) {
            return &f;
        }
    }
    return nullptr;
}

} // namespace

class Expression::Parser
{
public:
    Parser(Context *context, Expression &expression)
        : m_context(context), m_e(expression), m_s(expression.m_text)
    { }

    int ParseAll()
    {
        const int node = ParseSum();
        SkipBlanks();
        if (m_at < m_s.size()) {
            Fail("unexpected \"" + std::string(m_s.substr(m_at)) + "\"");
        }
        return node;
    }

private:
    [[noreturn]] void Fail(const std::string &what) const
    {
        Raise(m_context, Failure::Expression, "key expression \"" + m_e.m_text + "\": " + what);
    }

    void SkipBlanks()
    {
        while (m_at < m_s.size() && (m_s[m_at] == ' ' || m_s[m_at] == '\t')) {
            ++m_at;
        }
    }

    bool Accept(char c)
    {
        SkipBlanks();
        if (m_at < m_s.size() && m_s[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    void Expect(char c)
    {
        if (!Accept(c)) {
            Fail(std::string("\"") + c + "\" expected");
        }
    }

    int Add(Node node)
    {
        if (m_e.m_nodes.size() > 1000) {
            Fail("too long");
        }
        m_e.m_nodes.push_back(std::move(node));
        return static_cast<int>(m_e.m_nodes.size() - 1);
    }

    const Node &At(int index) const { return m_e.m_nodes[static_cast<size_t>(index)]; }

    int ParseSum()
    {
        int left = ParseUnary();
        for (;;) {
            char op = 0;
            if (Accept('+')) {
                op = '+';
            } else if (Accept('-')) {
                op = '-';
            } else {
                return left;
            }
            const int right = ParseUnary();
            left = Combine(op, left, right);
        }
    }

    int Combine(char op, int left, int right)
    {
        const Type a = At(left).type;
        const Type b = At(right).type;
        Node node;
        node.a = left;
        node.b = right;
        if (a == Type::Character && b == Type::Character) {
            node.op = op == '+' ? Op::Concat : Op::ConcatTrimmed;
            node.type = Type::Character;
            node.width = At(left).width + At(right).width;
        } else if (a == Type::Numeric && b == Type::Numeric) {
            node.op = op == '+' ? Op::Add : Op::Subtract;
            node.type = Type::Numeric;
        } else if (a == Type::Date && b == Type::Numeric) {
            node.op = op == '+' ? Op::DateAdd : Op::DateSubtract;
            node.type = Type::Date;
        } else if (a == Type::Numeric && b == Type::Date && op == '+') {
            node.op = Op::DateAdd;
            node.type = Type::Date;
            std::swap(node.a, node.b);
        } else if (a == Type::Date && b == Type::Date && op == '-') {
            node.op = Op::DateDifference;
            node.type = Type::Numeric;
        } else {
            Fail(std::string("\"") + op + "\" cannot join these values (use STR() or DTOS())");
        }
        return Add(std::move(node));
    }

    int ParseUnary()
    {
        if (Accept('-')) {
            const int operand = ParseUnary();
            if (At(operand).type != Type::Numeric) {
                Fail("\"-\" before something that is not a number");
            }
            Node node;
            node.op = Op::Negate;
            node.type = Type::Numeric;
            node.a = operand;
            return Add(std::move(node));
        }
        Accept('+');
        return ParsePrimary();
    }

    int ParsePrimary()
    {
        SkipBlanks();
        if (m_at >= m_s.size()) {
            Fail("ends too early");
        }
        const char c = m_s[m_at];
        if (c == '(') {
            ++m_at;
            const int inner = ParseSum();
            Expect(')');
            return inner;
        }
        if (c == '"' || c == '\'' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t end = m_s.find(close, m_at + 1);
            if (end == std::string_view::npos) {
                Fail("a text has no closing quote");
            }
            Node node;
            node.op = Op::Text;
            node.text.assign(m_s.substr(m_at + 1, end - m_at - 1));
            node.width = node.text.size();
            m_at = end + 1;
            return Add(std::move(node));
        }
        if ((c >= '0' && c <= '9') || c == '.') {
            const size_t begin = m_at;
            while (m_at < m_s.size() &&
                   ((m_s[m_at] >= '0' && m_s[m_at] <= '9') || m_s[m_at] == '.')) {
                ++m_at;
            }
            Node node;
            node.op = Op::Number;
            node.type = Type::Numeric;
            const NumberText parsed = ParseNumber(m_s.substr(begin, m_at - begin));
            node.number = parsed.value;
            return Add(std::move(node));
        }
        if (!IsNameChar(c)) {
            Fail(std::string("unexpected \"") + c + "\"");
        }
        std::string name = UpperCase(ReadName());
        SkipBlanks();
        if (m_at + 1 < m_s.size() && m_s[m_at] == '-' && m_s[m_at + 1] == '>') {
            m_at += 2; // an alias: the table itself
            SkipBlanks();
            name = UpperCase(ReadName());
            SkipBlanks();
        }
        if (m_at < m_s.size() && m_s[m_at] == '(') {
            ++m_at;
            return ParseCall(name);
        }
        const int field = FindField(m_e.m_fields, name);
        if (field < 0) {
            Fail("no field named " + name);
        }
        const Field &f = m_e.m_fields[static_cast<size_t>(field)];
        Node node;
        node.op = Op::Field;
        node.field = field;
        switch (f.type) {
        case 'C':
            node.type = Type::Character;
            node.width = f.length;
            break;
        case 'N':
        case 'F':
            node.type = Type::Numeric;
            break;
        case 'D':
            node.type = Type::Date;
            break;
        default:
            Fail("field " + name + " of type " + std::string(1, f.type) + " cannot be in a key");
        }
        return Add(std::move(node));
    }

    static bool IsNameChar(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
            (c >= '0' && c <= '9');
    }

    std::string ReadName()
    {
        const size_t begin = m_at;
        while (m_at < m_s.size() && IsNameChar(m_s[m_at])) {
            ++m_at;
        }
        if (m_at == begin) {
            Fail("a name is missing");
        }
        return std::string(m_s.substr(begin, m_at - begin));
    }

    // A whole number that fixes a width (STR, LEFT, RIGHT, SUBSTR need it to size the key).
    int Constant(int node, const char *what)
    {
        const Node &n = At(node);
        double value = 0;
        if (n.op == Op::Number) {
            value = n.number;
        } else if (n.op == Op::Negate && At(n.a).op == Op::Number) {
            value = -At(n.a).number;
        } else {
            Fail(std::string(what) + " must be a number written out");
        }
        if (value != std::floor(value) || value < 0 || value > 255) {
            Fail(std::string(what) + " must be a whole number from 0 to 255");
        }
        return static_cast<int>(value);
    }

    int ParseCall(const std::string &name)
    {
        const Function *function = FindFunction(name);
        if (function == nullptr) {
            Fail("unknown function " + name + "()");
        }
        std::vector<int> args;
        if (!Accept(')')) {
            do {
                args.push_back(ParseSum());
            } while (Accept(','));
            Expect(')');
        }
        const std::string fname = function->name;
        if (static_cast<int>(args.size()) < function->minArgs ||
            static_cast<int>(args.size()) > function->maxArgs) {
            Fail(fname + "() takes " + std::to_string(function->minArgs) +
                 (function->maxArgs != function->minArgs
                      ? " to " + std::to_string(function->maxArgs)
                      : std::string()) +
                 " arguments");
        }
        const auto need = [&](size_t index, Type type, const char *kind) {
            if (At(args[index]).type != type) {
                Fail(fname + "() needs " + kind);
            }
        };
        Node node;
        node.a = args.empty() ? -1 : args[0];
        if (fname == "STR") {
            need(0, Type::Numeric, "a number");
            node.op = Op::Str;
            node.length = args.size() > 1 ? Constant(args[1], "the length of STR()") : 10;
            node.decimals = args.size() > 2 ? Constant(args[2], "the decimals of STR()") : 0;
            if (node.length < 1 || node.length > 20) {
                Fail("STR() lengths run from 1 to 20");
            }
            node.width = static_cast<size_t>(node.length);
        } else if (fname == "UPPER" || fname == "LOWER") {
            need(0, Type::Character, "a text");
            node.op = fname == "UPPER" ? Op::Upper : Op::Lower;
            node.width = At(node.a).width;
        } else if (fname == "DTOS") {
            need(0, Type::Date, "a date");
            node.op = Op::Dtos;
            node.width = 8;
        } else if (fname == "LEFT" || fname == "RIGHT") {
            need(0, Type::Character, "a text");
            node.op = fname == "LEFT" ? Op::Left : Op::Right;
            node.length = Constant(args[1], ("the length of " + fname + "()").c_str());
            node.width = std::min(static_cast<size_t>(node.length), At(node.a).width);
        } else if (fname == "SUBSTR") {
            need(0, Type::Character, "a text");
            node.op = Op::Substr;
            node.start = Constant(args[1], "the start of SUBSTR()");
            if (node.start < 1) {
                Fail("SUBSTR() starts at 1 or later");
            }
            const size_t width = At(node.a).width;
            const size_t rest = static_cast<size_t>(node.start) > width
                ? 0
                : width - static_cast<size_t>(node.start) + 1;
            node.length = args.size() > 2 ? Constant(args[2], "the length of SUBSTR()")
                                          : static_cast<int>(rest);
            node.width = std::min(static_cast<size_t>(node.length), rest);
        } else if (fname == "TRIM" || fname == "RTRIM" || fname == "LTRIM" || fname == "ALLTRIM") {
            need(0, Type::Character, "a text");
            node.op = fname == "LTRIM" ? Op::LTrim : fname == "ALLTRIM" ? Op::AllTrim : Op::RTrim;
            node.width = At(node.a).width;
        } else if (fname == "VAL") {
            need(0, Type::Character, "a text");
            node.op = Op::Val;
            node.type = Type::Numeric;
        } else {
            node.op = Op::Recno;
            node.type = Type::Numeric;
        }
        if (node.type == Type::Character && node.op != Op::Dtos && node.op != Op::Str) {
            node.type = Type::Character;
        }
        return Add(std::move(node));
    }

    Context *m_context;
    Expression &m_e;
    std::string_view m_s;
    size_t m_at = 0;
};

Expression Expression::Parse(Context *context, std::string_view text,
                             const std::vector<Field> &fields)
{
    Expression e;
    e.m_text = Trim(text);
    e.m_fields = fields;
    if (e.m_text.empty()) {
        Raise(context, Failure::Expression, "a key expression is empty");
    }
    if (e.m_text.size() > kMaxExpressionLength) {
        Raise(context, Failure::Expression,
              "key expression \"" + e.m_text + "\" is longer than " +
                  std::to_string(kMaxExpressionLength) + " characters");
    }
    Parser parser(context, e);
    e.m_root = parser.ParseAll();
    return e;
}

Expression::Type Expression::ResultType() const
{
    return m_nodes[static_cast<size_t>(m_root)].type;
}

size_t Expression::Width() const
{
    return m_nodes[static_cast<size_t>(m_root)].width;
}

int Expression::SingleField() const
{
    const Node &root = m_nodes[static_cast<size_t>(m_root)];
    return root.op == Op::Field ? root.field : -1;
}

void Expression::AppendText(int index, const RecordView &record, std::string &out) const
{
    const Node &n = m_nodes[static_cast<size_t>(index)];
    const size_t start = out.size();
    switch (n.op) {
    case Op::Field: {
        const Field &f = m_fields[static_cast<size_t>(n.field)];
        out.append(record.data + f.offset, f.length);
        return;
    }
    case Op::Text:
        out += n.text;
        return;
    case Op::Concat:
        AppendText(n.a, record, out);
        AppendText(n.b, record, out);
        return;
    case Op::ConcatTrimmed: {
        // The left part's trailing blanks move to the end.
        AppendText(n.a, record, out);
        size_t end = out.size();
        while (end > start && out[end - 1] == ' ') {
            --end;
        }
        const size_t blanks = out.size() - end;
        out.resize(end);
        AppendText(n.b, record, out);
        out.append(blanks, ' ');
        return;
    }
    case Op::Str: {
        const auto text = FormatNumber(Number(n.a, record), n.length, n.decimals);
        out += text ? *text : std::string(static_cast<size_t>(n.length), '*');
        return;
    }
    case Op::Upper:
    case Op::Lower:
        AppendText(n.a, record, out);
        for (size_t i = start; i < out.size(); ++i) {
            char &c = out[i];
            if (n.op == Op::Upper && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            } else if (n.op == Op::Lower && c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return;
    case Op::Dtos:
        out += StorageFromJulian(Date(n.a, record));
        return;
    case Op::Left:
        AppendText(n.a, record, out);
        if (out.size() - start > static_cast<size_t>(n.length)) {
            out.resize(start + static_cast<size_t>(n.length));
        }
        return;
    case Op::Right: {
        AppendText(n.a, record, out);
        const size_t length = out.size() - start;
        if (length > static_cast<size_t>(n.length)) {
            out.erase(start, length - static_cast<size_t>(n.length));
        }
        return;
    }
    case Op::Substr: {
        AppendText(n.a, record, out);
        const size_t length = out.size() - start;
        const size_t from = std::min(static_cast<size_t>(n.start - 1), length);
        const size_t count = std::min(static_cast<size_t>(n.length), length - from);
        out.erase(start + from + count);
        out.erase(start, from);
        return;
    }
    case Op::RTrim:
    case Op::LTrim:
    case Op::AllTrim: {
        AppendText(n.a, record, out);
        if (n.op != Op::LTrim) {
            while (out.size() > start && out.back() == ' ') {
                out.pop_back();
            }
        }
        if (n.op != Op::RTrim) {
            size_t first = start;
            while (first < out.size() && out[first] == ' ') {
                ++first;
            }
            out.erase(start, first - start);
        }
        return;
    }
    default:
        return; // not a text; the parser never lets it get here
    }
}

double Expression::Number(int index, const RecordView &record) const
{
    const Node &n = m_nodes[static_cast<size_t>(index)];
    switch (n.op) {
    case Op::Field: {
        const Field &f = m_fields[static_cast<size_t>(n.field)];
        return ParseNumber(std::string_view(record.data + f.offset, f.length)).value;
    }
    case Op::Number:
        return n.number;
    case Op::Add:
        return Number(n.a, record) + Number(n.b, record);
    case Op::Subtract:
        return Number(n.a, record) - Number(n.b, record);
    case Op::Negate:
        return -Number(n.a, record);
    case Op::DateDifference:
        return Date(n.a, record) - Date(n.b, record);
    case Op::Val: {
        std::string text;
        AppendText(n.a, record, text);
        return ParseNumber(text).value;
    }
    case Op::Recno:
        return record.recno;
    default:
        return 0;
    }
}

double Expression::Date(int index, const RecordView &record) const
{
    const Node &n = m_nodes[static_cast<size_t>(index)];
    switch (n.op) {
    case Op::Field: {
        const Field &f = m_fields[static_cast<size_t>(n.field)];
        return JulianFromStorage(std::string_view(record.data + f.offset, f.length));
    }
    case Op::DateAdd: {
        const double day = Date(n.a, record);
        return day == 0 ? 0 : day + std::floor(Number(n.b, record));
    }
    case Op::DateSubtract: {
        const double day = Date(n.a, record);
        return day == 0 ? 0 : day - std::floor(Number(n.b, record));
    }
    default:
        return 0;
    }
}

void Expression::EvaluateKey(const RecordView &record, char *key, size_t keyLength) const
{
    switch (ResultType()) {
    case Type::Character:
        m_scratch.clear();
        AppendText(m_root, record, m_scratch);
        m_scratch.resize(keyLength, ' ');
        std::memcpy(key, m_scratch.data(), keyLength);
        return;
    case Type::Numeric:
        EncodeNumericKey(Number(m_root, record), key);
        return;
    case Type::Date:
        EncodeDateKey(Date(m_root, record), key);
        return;
    case Type::Logical:
        std::memset(key, 0, keyLength);
        return;
    }
}

std::string Expression::EvaluateText(const RecordView &record) const
{
    switch (ResultType()) {
    case Type::Character: {
        std::string text;
        AppendText(m_root, record, text);
        return text;
    }
    case Type::Numeric:
        return FloatText(Number(m_root, record));
    case Type::Date:
        return StorageFromJulian(Date(m_root, record));
    case Type::Logical:
        break;
    }
    return {};
}

} // namespace dbase
