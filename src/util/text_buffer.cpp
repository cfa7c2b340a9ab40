// Bounded copies and formatting into fixed-size buffers.
#include "util/text_buffer.h"

#include <cstdio>
#include <cstring>

namespace cvstv {

bool copy_bounded(char *buf, std::size_t capacity, std::string_view text)
{
    if (!buf || capacity == 0)
        return text.empty();
    std::size_t n = text.size() < capacity ? text.size() : capacity - 1;
    std::memmove(buf, text.data(), n);
    buf[n] = '\0';
    return n == text.size();
}

bool vformat_bounded(char *buf, std::size_t capacity, const char *format, va_list args)
{
    if (!buf || capacity == 0 || !format)
        return false;
    int n = std::vsnprintf(buf, capacity, format, args);
    if (n < 0) {
        buf[0] = '\0';
        return false;
    }
    return static_cast<std::size_t>(n) < capacity;
}

bool format_bounded(char *buf, std::size_t capacity, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    bool fitted = vformat_bounded(buf, capacity, format, args);
    va_end(args);
    return fitted;
}

std::string vformat(const char *format, va_list args)
{
    if (!format)
        return {};
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, format, again);
    }
    va_end(again);
    return out;
}

std::string format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = vformat(format, args);
    va_end(args);
    return out;
}

void to_host_separators(std::string &path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
}

void to_host_separators(char *path)
{
    for (; path && *path; ++path)
        if (*path == '/')
            *path = '\\';
}

} // namespace cvstv
