// Numbers as text: the one reader and the one formatter that every part of
// the project uses to decide whether a text holds a number and to print one
// (the workbook driver and its SQL, the headless host's spreadsheet port,
// the kit generator). Both are independent of the C locale: a decimal-comma
// LC_NUMERIC changes nothing.
//
// A number is written, with optional spaces or tabs around it, as an
// optional sign, decimal digits with an optional '.' and fraction (at least
// one digit in all), and an optional exponent ('e' or 'E', optional sign,
// digits). Nothing else is a number: not "0x1A" (hexadecimal), "1,5" (a
// decimal comma or a thousands separator), "inf", "nan" or an empty text.
// So "1e3" is 1000, " 12 " is 12 and "0x1A" and "1,5" are texts.
#ifndef CVSTV_WORKBOOK_NUMBER_TEXT_H
#define CVSTV_WORKBOOK_NUMBER_TEXT_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace workbook {

// The value of `text` when it is a number as described above. A magnitude
// too large for a double is no number; one too small reads as zero.
std::optional<double> read_number(std::string_view text);

// The value of `text` when it is a whole number written without a fraction
// or exponent ("-42", " 7 ") that fits in 64 bits.
std::optional<std::int64_t> read_integer(std::string_view text);

// Room for any text the formatters below write.
constexpr std::size_t number_text_size = 32;

// The shortest text that reads back to `value` ("2.5", "0.1",
// "0.30000000000000004", "1e+20"); whole numbers below 1e15 are written
// without fraction or exponent ("12", "-3", "0" for -0.0). Not
// NUL-terminated; returns the length. Infinities and NaN, which no cell
// holds, print as "inf", "-inf" and "nan".
std::size_t format_number(double value, char (&buf)[number_text_size]);
std::size_t format_number(std::int64_t value, char (&buf)[number_text_size]);

} // namespace workbook

#endif
