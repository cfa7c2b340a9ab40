// In-place editing of one string and small text functions: trimming, case,
// reversal, sub-string replacement, case-blind comparison, the rounding rule
// of the applications and colour names.
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/path_util.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_memory.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Buffer of kt_replace_substr: text and result at most 255 characters.
constexpr std::size_t replace_buffer_size = 256;

} // namespace

extern "C" {

CVSTV_API void kt_remove_beginning_char(char *str, char c) noexcept
{
    cvstv::guarded_void("kt_remove_beginning_char", [&] {
        if (str && *str && *str == c)
            std::memmove(str, str + 1, std::strlen(str));
    });
}

CVSTV_API int kt_remove_enter_char(char *str) noexcept
{
    return cvstv::guarded("kt_remove_enter_char", -1, [&]() -> int {
        if (!str || !*str)
            return -1;
        if (char *lf = std::strchr(str, '\n'))
            *lf = '\0';
        return 0;
    });
}

CVSTV_API int kt_remove_space_string(char *str) noexcept
{
    return cvstv::guarded("kt_remove_space_string", -1, [&]() -> int {
        if (!str)
            return 0;
        std::string_view trimmed = cvstv::trim_blanks_tabs(str);
        if (!trimmed.empty())
            std::memmove(str, trimmed.data(), trimmed.size());
        str[trimmed.size()] = '\0';
        return 0;
    });
}

CVSTV_API int kt_replace_substr(char *text, const char *pattern, const char *replacement) noexcept
{
    return cvstv::guarded("kt_replace_substr", -1, [&]() -> int {
        if (!text || !pattern || !*pattern || !replacement)
            return 0;
        std::string_view source(text);
        std::size_t plen = std::strlen(pattern);
        std::string out;
        std::size_t pos = 0;
        while (true) {
            std::size_t hit = source.find(pattern, pos);
            if (hit == std::string_view::npos)
                break;
            out.append(source.substr(pos, hit - pos));
            out.append(replacement);
            pos = hit + plen;
        }
        if (pos == 0)
            return 0;
        out.append(source.substr(pos));
        // The buffer holds 256 bytes, or the text's own length when that is more.
        std::size_t capacity = std::max(replace_buffer_size, source.size() + 1);
        cvstv::copy_bounded(text, capacity, out);
        return 0;
    });
}

CVSTV_API char *STV_str_tolower(char *str) noexcept
{
    return cvstv::guarded("STV_str_tolower", str, [&]() -> char * {
        if (!str)
            return nullptr;
        for (char *p = str; *p; ++p)
            *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
        return str;
    });
}

CVSTV_API char *STV_str_toupper(char *str) noexcept
{
    return cvstv::guarded("STV_str_toupper", str, [&]() -> char * {
        if (!str)
            return nullptr;
        for (char *p = str; *p; ++p)
            *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
        return str;
    });
}

CVSTV_API char *strrev1(char *str) noexcept
{
    return cvstv::guarded("strrev1", str, [&]() -> char * {
        if (str && *str) {
            char *a = str;
            char *b = str + std::strlen(str) - 1;
            while (a < b) {
                char t = *a;
                *a++ = *b;
                *b-- = t;
            }
        }
        return str;
    });
}

CVSTV_API int strcmp_upr(const char *a, const char *b) noexcept
{
    return cvstv::guarded("strcmp_upr", -1, [&]() -> int {
        if (!a || !b)
            return -1;
        char *ua = HX_strdup(a);
        char *ub = HX_strdup(b);
        int r;
        if (ua && ub)
            r = std::strcmp(STV_str_toupper(ua), STV_str_toupper(ub));
        else
            r = std::strcmp(a, b); // no memory for the copies: compare with case
        HX_free(ua);
        HX_free(ub);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    });
}

CVSTV_API double kt_round_double(double value) noexcept
{
    return cvstv::guarded("kt_round_double", 0.0, [&]() -> double {
        if (!std::isfinite(value) || std::fabs(value) >= 9.0e15)
            return std::trunc(value);
        // Whole part and tens in integers: exact where W * 0.1 in doubles is not.
        auto whole = static_cast<long long>(value);
        long long tens = whole / 10 * 10;
        long long units = std::llabs(whole - tens);
        long long result = units > 8 ? tens + 10 : units >= 3 ? tens + 5 : tens;
        return static_cast<double>(result);
    });
}

int kt_color_name_to_index(const char *text)
{
    static constexpr const char *names[] = {"blue",   "green",  "cyan",     "red",        "magenta",
                                            "yellow", "white",  "olive",    "pink",       "brown",
                                            "orange", "purple", "dark-red", "aquamarine", "gray"};
    if (!text)
        return 0;
    char copy[133];
    cvstv::copy_bounded(copy, sizeof copy, text);
    if (std::strlen(copy) > 2) {
        STV_str_tolower(copy);
        for (int i = 0; i < 15; ++i)
            if (std::strcmp(copy, names[i]) == 0)
                return i + 1;
    }
    long n = std::strtol(copy, nullptr, 10);
    return n >= 1 && n <= 15 ? static_cast<int>(n) : 0;
}

} // extern "C"
