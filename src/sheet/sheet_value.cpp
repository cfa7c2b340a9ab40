// Values in cells: their types, the numbers they denote, and how a cell
// compares with a condition value.
//
// The type of a text decides how it compares: two numbers compare as
// numbers with a tolerance of 0.0001 (for =, > and <; >= and <= have none),
// anything else compares as text, byte by byte. A cell holding a number list
// (6,8,10) satisfies a numeric condition when one of its numbers does, and a
// range cell (10~20) when the condition's number lies in the interval the
// operator chooses.
//
// Numbers are read without the C locale's help (a host may run with a
// decimal comma), by std::from_chars.
//
// A search compares one condition value with a cell of every record, so
// field_holds takes two shortcuts that give the same answers: against a
// value that is no number every cell compares as text, so the cell is not
// classified at all; and a cell of digits with at most one point is a
// number, read in the same pass that checks it.
#include "sheet/sheet_condition.h"
#include "util/boundary.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace cvstv::sheet {

namespace {

constexpr double tolerance = 0.0001;

// Character classes of the value types.
enum : std::uint8_t {
    in_number = 1,    // digits . + - / white space
    in_list = 2,      // the number set and ','
    in_text_list = 4, // letters, digits, white space and . , : _ - + * / ' < >
};

constexpr std::array<std::uint8_t, 256> make_classes()
{
    std::array<std::uint8_t, 256> classes{};
    auto add = [&](unsigned char c, std::uint8_t m) { classes[c] |= m; };
    for (unsigned char c = '0'; c <= '9'; ++c)
        add(c, in_number | in_list | in_text_list);
    for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r', '.', '+', '-', '/'})
        add(c, in_number | in_list | in_text_list);
    add(',', in_list | in_text_list);
    for (unsigned char c = 'a'; c <= 'z'; ++c)
        add(c, in_text_list);
    for (unsigned char c = 'A'; c <= 'Z'; ++c)
        add(c, in_text_list);
    for (unsigned char c : {':', '_', '*', '\'', '<', '>'})
        add(c, in_text_list);
    return classes;
}

constexpr std::array<std::uint8_t, 256> classes = make_classes();

bool is_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The digits and at most one point at the start of a text, read into an
// integer mantissa: reading stops at the first other character, or at end
// (null: only at another character, as for a NUL-terminated cell).
struct PlainDecimal {
    std::uint64_t mantissa = 0;
    int digits = 0;   // significant digits (from the first non-zero one)
    int decimals = 0; // digits after the point
    bool any_digit = false;
    const char *stop = nullptr;

    // m / 10^k is the correctly rounded value: both are exact doubles.
    bool exact() const { return any_digit && digits <= 15 && decimals <= 22; }
    double value() const
    {
        static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        return static_cast<double>(mantissa) / powers[decimals];
    }
};

PlainDecimal read_plain_decimal(const char *p, const char *end)
{
    PlainDecimal d;
    bool point = false;
    for (; end == nullptr || p < end; ++p) {
        if (*p >= '0' && *p <= '9') {
            d.any_digit = true;
            d.mantissa = d.mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
            if (d.mantissa != 0)
                ++d.digits;
            if (point)
                ++d.decimals;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    d.stop = p;
    return d;
}

// A standard decimal number: leading white space and one sign allowed,
// reading stops at the first character that does not belong to it; 0 when
// there is no number.
double decimal_value(std::string_view text)
{
    const char *p = text.data();
    const char *end = p + text.size();
    while (p < end && is_space(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            return 0.0;
    }
    // The common cell, a plain decimal of at most 15 significant digits and
    // 22 decimals, is exactly m / 10^k with both m and 10^k exact doubles:
    // one correctly rounded division gives the same value from_chars would.
    PlainDecimal plain = read_plain_decimal(p, end);
    if (plain.exact() && (plain.stop == end || (*plain.stop != 'e' && *plain.stop != 'E'))) {
        double value = plain.value();
        return negative ? -value : value;
    }
    double value = 0.0;
    auto [stop, ec] = std::from_chars(p, end, value);
    if (ec == std::errc::invalid_argument)
        return 0.0;
    // Out of range: from_chars leaves value unchanged; read it as the
    // standard reader does, as infinity or zero (a negative exponent, or no
    // exponent and no significant integer digit, means too small).
    if (ec == std::errc::result_out_of_range) {
        bool tiny = true;
        bool exponent = false;
        for (const char *q = p; q < stop; ++q) {
            if (*q == 'e' || *q == 'E') {
                exponent = true;
                tiny = q + 1 < stop && q[1] == '-';
                break;
            }
        }
        if (!exponent)
            for (const char *q = p; q < stop && *q != '.'; ++q)
                if (*q >= '1' && *q <= '9')
                    tiny = false;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

// The first max_tokens tokens of text split at any of the delimiters
// (standard tokenising: runs of delimiters separate, leading and trailing
// ones produce nothing). Returns the number found.
template <std::size_t N>
std::size_t first_tokens(std::string_view text, std::string_view delimiters,
                         std::array<std::string_view, N> &out)
{
    std::size_t n = 0;
    std::size_t pos = 0;
    while (n < N) {
        pos = text.find_first_not_of(delimiters, pos);
        if (pos == std::string_view::npos)
            break;
        std::size_t end = text.find_first_of(delimiters, pos);
        if (end == std::string_view::npos)
            end = text.size();
        out[n++] = text.substr(pos, end - pos);
        pos = end;
    }
    return n;
}

bool numbers_hold(double x, int op, double y)
{
    switch (op) {
    case SHEET_OP_EQ: {
        double d = x - y;
        return d >= -tolerance && d <= tolerance;
    }
    case SHEET_OP_GT: return x > y + tolerance;
    case SHEET_OP_GE: return x >= y;
    case SHEET_OP_LT: return x < y - tolerance;
    case SHEET_OP_LE: return x <= y;
    default: return false;
    }
}

// Text comparison, given the sign of x compared with y: "=" needs equal texts; ">" and ">=" both accept x
// after or equal to y, "<" and "<=" both x before or equal to y.
bool texts_hold(int c, int op)
{
    switch (op) {
    case SHEET_OP_EQ: return c == 0;
    case SHEET_OP_GT:
    case SHEET_OP_GE: return c >= 0;
    case SHEET_OP_LT:
    case SHEET_OP_LE: return c <= 0;
    default: return false;
    }
}

// y inside the interval lo~hi that the operator chooses; each bound test is
// itself a value comparison (y first), so the tolerance rules apply.
bool range_holds(std::string_view cell, int op, const Operand &y)
{
    std::array<std::string_view, 2> bounds;
    if (first_tokens(cell, "~", bounds) < 2)
        return false;
    Operand lo(bounds[0]);
    Operand hi(bounds[1]);
    switch (op) {
    case SHEET_OP_EQ: return value_holds(y, SHEET_OP_GE, lo) && value_holds(y, SHEET_OP_LE, hi);
    case SHEET_OP_GT:
    case SHEET_OP_LT: return value_holds(y, SHEET_OP_GT, lo) && value_holds(y, SHEET_OP_LT, hi);
    case SHEET_OP_GE: return value_holds(y, SHEET_OP_GE, lo) && value_holds(y, SHEET_OP_LT, hi);
    case SHEET_OP_LE: return value_holds(y, SHEET_OP_GT, lo) && value_holds(y, SHEET_OP_LE, hi);
    default: return false;
    }
}

bool list_holds(std::string_view cell, int op, const Operand &y)
{
    std::size_t pos = 0;
    for (;;) {
        pos = cell.find_first_not_of(',', pos);
        if (pos == std::string_view::npos)
            return false;
        std::size_t end = cell.find(',', pos);
        if (end == std::string_view::npos)
            end = cell.size();
        if (value_holds(Operand(cell.substr(pos, end - pos)), op, y))
            return true;
        pos = end;
    }
}

} // namespace

namespace {

// One pass over a text: its length, type, and the characters that decide
// how a number is read.
struct TextScan {
    std::size_t length = 0;
    int type = SHEET_TYPE_INVALID;
    bool slash = false;
    bool plus = false;
    bool minus = false;
};

class Scanner {
  public:
    void add(unsigned char c)
    {
        common_ &= classes[c];
        comma_ |= c == ',';
        colon_ |= c == ':';
        tilde_ |= c == '~';
        result_.slash |= c == '/';
        result_.plus |= c == '+';
        result_.minus |= c == '-';
        ++result_.length;
    }
    TextScan finish()
    {
        if (result_.length == 0)
            result_.type = SHEET_TYPE_INVALID;
        else if (common_ & in_number)
            result_.type = SHEET_TYPE_NUMBER;
        else if (common_ & in_list)
            result_.type = SHEET_TYPE_NUMBER_LIST;
        else if ((common_ & in_text_list) && comma_)
            result_.type = colon_ ? SHEET_TYPE_KEYED_LIST : SHEET_TYPE_TEXT_LIST;
        else if (tilde_)
            result_.type = SHEET_TYPE_RANGE;
        else
            result_.type = SHEET_TYPE_TEXT;
        return result_;
    }

  private:
    std::uint8_t common_ = in_number | in_list | in_text_list;
    bool comma_ = false, colon_ = false, tilde_ = false;
    TextScan result_;
};

TextScan scan(std::string_view text)
{
    Scanner s;
    for (char c : text)
        s.add(static_cast<unsigned char>(c));
    return s.finish();
}

TextScan scan(const char *text)
{
    Scanner s;
    for (; *text; ++text)
        s.add(static_cast<unsigned char>(*text));
    return s.finish();
}

// sheet_str_double with the text's '/', '+' and '-' already known.
double scanned_number(std::string_view text, const TextScan &s)
{
    if (!s.slash && !s.plus)
        return decimal_value(text);
    std::array<std::string_view, 3> t;
    std::size_t n = first_tokens(text, "+/-", t);
    double whole = n > 0 ? decimal_value(t[0]) : 0.0;
    if (s.plus || s.minus) {
        double numerator = n > 1 ? decimal_value(t[1]) : 0.0;
        double denominator = n > 2 ? decimal_value(t[2]) : 1.0;
        return s.plus ? whole + numerator / denominator : whole - numerator / denominator;
    }
    double denominator = n > 1 ? decimal_value(t[1]) : 1.0;
    return whole / denominator;
}

Operand scanned_operand(std::string_view text, const TextScan &s)
{
    Operand o;
    o.text = text;
    o.type = s.type;
    if (s.type == SHEET_TYPE_NUMBER)
        o.number = scanned_number(text, s);
    return o;
}

} // namespace

int value_type(std::string_view text)
{
    return scan(text).type;
}

// A mixed number 1+1/2 is whole + numerator / denominator, 1-1/2 is whole -
// numerator / denominator, a fraction 3/4 is one token over the next. The
// pieces are the tokens of the text split at '+', '/' and '-', so a leading
// sign produces no token: -1/2 reads as 1 - 2/1.
double number_value(std::string_view text)
{
    return scanned_number(text, scan(text));
}

Operand::Operand(std::string_view t) : Operand(scanned_operand(t, scan(t))) {}

bool value_holds(const Operand &x, int op, const Operand &y)
{
    if (x.type == SHEET_TYPE_NUMBER && y.type == SHEET_TYPE_NUMBER)
        return numbers_hold(x.number, op, y.number);
    return texts_hold(x.text.compare(y.text), op);
}

// The sign of string_view(cell).compare(y) without measuring the cell
// first: y holds no NUL, so the cell's terminator ends it as a prefix.
int compare_cell(const char *cell, std::string_view y)
{
    for (char yc : y) {
        auto c = static_cast<unsigned char>(*cell++);
        if (c != static_cast<unsigned char>(yc))
            return c < static_cast<unsigned char>(yc) ? -1 : 1;
    }
    return *cell ? 1 : 0;
}

bool field_holds(const char *cell, int op, const Operand &y)
{
    if (y.text == all_records)
        return true;
    // Against a condition value that is no number, every cell compares as
    // text, whatever its type.
    if (y.type != SHEET_TYPE_NUMBER)
        return texts_hold(compare_cell(cell, y.text), op);
    // The common number cell, digits with at most one point, is a number
    // (nothing else in it) read exactly as the general path reads it.
    PlainDecimal plain = read_plain_decimal(cell, nullptr);
    if (*plain.stop == '\0' && plain.exact())
        return numbers_hold(plain.value(), op, y.number);
    TextScan s = scan(cell);
    std::string_view text(cell, s.length);
    if (s.type == SHEET_TYPE_NUMBER_LIST)
        return list_holds(text, op, y);
    if (s.type == SHEET_TYPE_RANGE)
        return range_holds(text, op, y);
    return value_holds(scanned_operand(text, s), op, y);
}

} // namespace cvstv::sheet

extern "C" {

CVSTV_API int sheet_field_type(const char *text) noexcept
{
    return cvstv::guarded("sheet_field_type", SHEET_TYPE_INVALID, [&]() -> int {
        return text ? cvstv::sheet::value_type(text) : SHEET_TYPE_INVALID;
    });
}

CVSTV_API double sheet_str_double(const char *text) noexcept
{
    return cvstv::guarded("sheet_str_double", 0.0,
                          [&]() -> double { return text ? cvstv::sheet::number_value(text) : 0.0; });
}

CVSTV_API int sheet_value_compare(const char *value, int op, const char *condition_value) noexcept
{
    return cvstv::guarded("sheet_value_compare", -1, [&]() -> int {
        if (!value || !condition_value)
            return -1;
        using cvstv::sheet::Operand;
        return cvstv::sheet::value_holds(Operand(value), op, Operand(condition_value)) ? 0 : -1;
    });
}

CVSTV_API int sheet_field_compare(const char *cell, int op, const char *condition_value) noexcept
{
    return cvstv::guarded("sheet_field_compare", -1, [&]() -> int {
        if (!condition_value)
            return -1;
        if (cvstv::sheet::all_records == condition_value)
            return 0;
        if (!cell)
            return -1;
        return cvstv::sheet::field_holds(cell, op, cvstv::sheet::Operand(condition_value)) ? 0 : -1;
    });
}

} // extern "C"
