// Comparisons, LIKE and conditions (the rules are in evaluate.h).
#include "odbc/evaluate.h"

#include "workbook/number_text.h"

#include <cctype>

namespace xlsodbc {

using workbook::Cell;
using workbook::CellType;

namespace {

bool numeric(const Value &v)
{
    return v.is_number() || v.is_temporal() || v.type == CellType::boolean;
}

double number_of(const Value &v)
{
    if (v.type == CellType::integer || v.type == CellType::boolean)
        return static_cast<double>(v.integer);
    return v.real;
}

int sign(double d)
{
    return d < 0 ? -1 : d > 0 ? 1 : 0;
}

int compare_texts(const std::string &a, const std::string &b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// The length in bytes of the UTF-8 character starting at `p`.
std::size_t char_length(const std::string &s, std::size_t p)
{
    std::size_t n = 1;
    while (p + n < s.size() && (static_cast<unsigned char>(s[p + n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

bool same_char(const std::string &t, std::size_t tp, const std::string &p, std::size_t pp, std::size_t n)
{
    if (tp + n > t.size() || char_length(t, tp) != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(t[tp + i])) !=
            std::tolower(static_cast<unsigned char>(p[pp + i])))
            return false;
    return true;
}

} // namespace

int compare_values(const Value &a, const Value &b)
{
    const bool an = numeric(a), bn = numeric(b);
    if (an && bn)
        return sign(number_of(a) - number_of(b));
    if (an && b.type == CellType::text) {
        if (auto v = workbook::read_number(b.text))
            return sign(number_of(a) - *v);
        return compare_texts(a.as_text(), b.text);
    }
    if (bn && a.type == CellType::text)
        return -compare_values(b, a);
    return compare_texts(a.as_text(), b.as_text());
}

int order_values(const Value &a, const Value &b)
{
    const int ar = a.empty() ? 0 : numeric(a) ? 1 : 2;
    const int br = b.empty() ? 0 : numeric(b) ? 1 : 2;
    if (ar != br)
        return ar < br ? -1 : 1;
    if (ar == 0)
        return 0;
    if (ar == 1)
        return sign(number_of(a) - number_of(b));
    return compare_texts(a.as_text(), b.as_text());
}

bool like(const std::string &text, const std::string &pattern, int escape)
{
    // Iterative match with backtracking to the last '%'.
    std::size_t t = 0, p = 0, star_p = std::string::npos, star_t = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const unsigned char pc = static_cast<unsigned char>(pattern[p]);
            if (pc == '%') {
                star_p = ++p;
                star_t = t;
                continue;
            }
            if (pc == '_') {
                ++p;
                t += char_length(text, t);
                continue;
            }
            std::size_t lit = p;
            if (escape >= 0 && pc == escape && p + 1 < pattern.size())
                lit = p + 1;
            const std::size_t n = char_length(pattern, lit);
            if (same_char(text, t, pattern, lit, n)) {
                p = lit + n;
                t += n;
                continue;
            }
        }
        if (star_p == std::string::npos)
            return false;
        p = star_p;
        star_t += char_length(text, star_t);
        t = star_t;
    }
    while (p < pattern.size() && pattern[p] == '%')
        ++p;
    return p == pattern.size();
}

const Value &operand_value(const Operand &o, const std::vector<Value> &params)
{
    if (o.kind == Operand::Kind::parameter) {
        if (o.parameter < 0 || static_cast<std::size_t>(o.parameter) >= params.size())
            throw SqlError("07002", "COUNT field incorrect: parameter " + std::to_string(o.parameter + 1) +
                                        " has no value");
        return params[static_cast<std::size_t>(o.parameter)];
    }
    return o.value;
}

RowFilter::RowFilter(const std::optional<Condition> &where, const TableView &table,
                     const std::vector<Value> &params)
    : where_(where), table_(table), params_(params)
{
    if (where_)
        resolve(*where_);
}

void RowFilter::resolve(const Condition &c)
{
    for (const Operand &o : c.operands)
        resolve(o);
    for (const Condition &part : c.parts)
        resolve(part);
}

void RowFilter::resolve(const Operand &o)
{
    if (o.kind == Operand::Kind::column)
        columns_[&o] = table_.find(o.column);
    else
        operand_value(o, params_); // a missing parameter fails before any row
}

const Value &RowFilter::value(const Operand &o, const std::vector<Cell> &row) const
{
    static const Value null;
    if (o.kind != Operand::Kind::column)
        return operand_value(o, params_);
    const std::size_t c = columns_.at(&o);
    return c < row.size() ? row[c] : null;
}

RowFilter::Truth RowFilter::evaluate(const Condition &c, const std::vector<Cell> &row) const
{
    auto truth = [](bool b) { return b ? Truth::yes : Truth::no; };
    auto negate = [](Truth t) { return t == Truth::unknown ? t : t == Truth::yes ? Truth::no : Truth::yes; };
    switch (c.kind) {
    case Condition::Kind::and_: {
        const Truth a = evaluate(c.parts[0], row);
        if (a == Truth::no)
            return a;
        const Truth b = evaluate(c.parts[1], row);
        return b == Truth::no ? b : a == Truth::yes && b == Truth::yes ? Truth::yes : Truth::unknown;
    }
    case Condition::Kind::or_: {
        const Truth a = evaluate(c.parts[0], row);
        if (a == Truth::yes)
            return a;
        const Truth b = evaluate(c.parts[1], row);
        return b == Truth::yes ? b : a == Truth::no && b == Truth::no ? Truth::no : Truth::unknown;
    }
    case Condition::Kind::not_: return negate(evaluate(c.parts[0], row));
    case Condition::Kind::is_null: return truth(value(c.operands[0], row).empty() != c.negated);
    default: break;
    }
    const Value &a = value(c.operands[0], row);
    if (a.empty())
        return Truth::unknown;
    Truth result = Truth::no;
    switch (c.kind) {
    case Condition::Kind::compare: {
        const Value &b = value(c.operands[1], row);
        if (b.empty())
            return Truth::unknown;
        const int k = compare_values(a, b);
        switch (c.op) {
        case CompareOp::eq: return truth(k == 0);
        case CompareOp::ne: return truth(k != 0);
        case CompareOp::lt: return truth(k < 0);
        case CompareOp::le: return truth(k <= 0);
        case CompareOp::gt: return truth(k > 0);
        case CompareOp::ge: return truth(k >= 0);
        }
        return Truth::unknown;
    }
    case Condition::Kind::like: {
        const Value &pattern = value(c.operands[1], row);
        if (pattern.empty())
            return Truth::unknown;
        const int escape = c.has_escape ? static_cast<unsigned char>(c.escape[0]) : -1;
        result = truth(like(a.as_text(), pattern.as_text(), escape));
        break;
    }
    case Condition::Kind::in: {
        bool unknown = false;
        for (std::size_t i = 1; i < c.operands.size() && result != Truth::yes; ++i) {
            const Value &b = value(c.operands[i], row);
            if (b.empty())
                unknown = true;
            else if (compare_values(a, b) == 0)
                result = Truth::yes;
        }
        if (result == Truth::no && unknown)
            result = Truth::unknown;
        break;
    }
    case Condition::Kind::between: {
        const Value &lo = value(c.operands[1], row), &hi = value(c.operands[2], row);
        if (lo.empty() || hi.empty())
            return Truth::unknown;
        result = truth(compare_values(a, lo) >= 0 && compare_values(a, hi) <= 0);
        break;
    }
    default: break;
    }
    return c.negated ? negate(result) : result;
}

bool RowFilter::matches(const std::vector<Cell> &row) const
{
    return !where_ || evaluate(*where_, row) == Truth::yes;
}

} // namespace xlsodbc
