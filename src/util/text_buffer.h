// Bounded text helpers: the only way the library writes into a fixed-size
// character buffer. Every documented buffer (names of 80, paths of 256,
// values of 132 characters ...) is filled through these, so over-long input
// is cut at the limit or refused, never overflowed.
#ifndef CVSTV_UTIL_TEXT_BUFFER_H
#define CVSTV_UTIL_TEXT_BUFFER_H

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

namespace cvstv {

// Capacity of a path piece, without its terminator.
inline constexpr std::size_t path_size = 256;

// Copies text into buf (capacity bytes, terminator included), cut to fit.
// Returns true when the whole text fitted. A capacity of 0 writes nothing.
bool copy_bounded(char *buf, std::size_t capacity, std::string_view text);

// Formats into buf (capacity bytes), cut to fit. Returns true when the
// whole text fitted.
bool format_bounded(char *buf, std::size_t capacity, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
bool vformat_bounded(char *buf, std::size_t capacity, const char *format, va_list args);

// printf into a std::string.
std::string format(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char *format, va_list args);

// Replaces every '/' by '\' (the host's separator).
void to_host_separators(std::string &path);
void to_host_separators(char *path);

} // namespace cvstv

#endif
