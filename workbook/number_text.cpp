// The locale-free number reader and formatter (see number_text.h). The
// syntax is checked here, character by character; std::from_chars and
// std::to_chars, which never consult the locale, do the conversions.
#include "workbook/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace workbook {
namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}
bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trim_blanks(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The pieces of a number as the syntax allows it; false for anything else.
struct NumberSyntax {
    bool negative = false;
    std::string_view body; // without the sign
    bool whole = true;     // no '.' and no exponent
    bool negative_exponent = false;
};

bool scan_number(std::string_view text, NumberSyntax &out)
{
    text = trim_blanks(text);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        out.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    out.body = text;
    std::size_t i = 0, digits = 0;
    while (i < text.size() && is_digit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        out.whole = false;
        ++i;
        while (i < text.size() && is_digit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        out.whole = false;
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            out.negative_exponent = text[i++] == '-';
        const std::size_t exponent_start = i;
        while (i < text.size() && is_digit(text[i]))
            ++i;
        if (i == exponent_start)
            return false;
    }
    return i == text.size();
}

// The shortest text of a real that reads back to it, as std::to_chars
// writes it, for the common case of a fraction with at most 15 significant
// digits and a magnitude from 0.1 to 1e15: then the plain notation is the
// shortest, and a decimal m / 10^k (m < 10^15, so 10^-k is wider than the
// gap between neighbouring doubles) that reads back to the value is the only
// one with k decimals. The smallest such k gives to_chars' digits. A
// candidate ending in 0 means a shorter one was missed: the caller then
// falls back to to_chars. Returns 0 when not handled.
std::size_t short_fraction_text(double value, char *buf)
{
    static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 0.1 && magnitude < 1e15))
        return 0;
    for (int k = 1; k < 16; ++k) {
        const double scaled = std::nearbyint(magnitude * powers[k]);
        if (scaled >= 1e15)
            return 0;
        if (scaled / powers[k] != magnitude)
            continue;
        auto m = static_cast<unsigned long long>(scaled);
        if (m % 10 == 0)
            return 0;
        char digits[24];
        char *d = std::to_chars(digits, digits + sizeof digits, m).ptr;
        const auto count = static_cast<int>(d - digits);
        char *out = buf;
        if (value < 0)
            *out++ = '-';
        if (count <= k) {
            *out++ = '0';
            *out++ = '.';
            for (int z = count; z < k; ++z)
                *out++ = '0';
            out = std::copy(digits, d, out);
        } else {
            out = std::copy(digits, d - k, out);
            *out++ = '.';
            out = std::copy(d - k, d, out);
        }
        return static_cast<std::size_t>(out - buf);
    }
    return 0;
}

} // namespace

std::optional<double> read_number(std::string_view text)
{
    NumberSyntax n;
    if (!scan_number(text, n))
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(n.body.data(), n.body.data() + n.body.size(), value);
    if (end != n.body.data() + n.body.size())
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        if (!n.negative_exponent)
            return std::nullopt; // beyond the largest double
        value = 0.0;             // below the smallest one
    } else if (ec != std::errc()) {
        return std::nullopt;
    }
    return n.negative ? -value : value;
}

std::optional<std::int64_t> read_integer(std::string_view text)
{
    NumberSyntax n;
    if (!scan_number(text, n) || !n.whole)
        return std::nullopt;
    // Parsed as unsigned so that the most negative value fits too.
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(n.body.data(), n.body.data() + n.body.size(), magnitude);
    if (ec != std::errc() || end != n.body.data() + n.body.size())
        return std::nullopt;
    constexpr std::uint64_t max_positive = static_cast<std::uint64_t>(INT64_MAX);
    if (n.negative) {
        if (magnitude > max_positive + 1)
            return std::nullopt;
        return magnitude == max_positive + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > max_positive)
        return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

std::size_t format_number(std::int64_t value, char (&buf)[number_text_size])
{
    return static_cast<std::size_t>(std::to_chars(buf, buf + number_text_size, value).ptr - buf);
}

std::size_t format_number(double value, char (&buf)[number_text_size])
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        // Whole numbers print without an exponent ("12", not "1.2e+01").
        return format_number(static_cast<std::int64_t>(value), buf);
    }
    if (std::size_t n = short_fraction_text(value, buf))
        return n;
    return static_cast<std::size_t>(std::to_chars(buf, buf + number_text_size, value).ptr - buf);
}

} // namespace workbook
