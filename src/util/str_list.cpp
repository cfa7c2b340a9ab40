// String lists: the library's one dynamic collection of names, handed across
// the boundary as a null-terminated char ** from the host allocator.
//
// kt_add_str_list grows a list by exactly one slot per addition (a new array
// of count + 2 zeroed slots), as callers have always seen it. Lists that the
// library builds itself are made in one pass by append_str_list, so a long
// result costs linear time.
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/str_list.h"

#include "hx_memory.h"

#include <cstring>

namespace cvstv {

int str_list_count(char *const *list)
{
    int n = 0;
    if (list)
        while (list[n])
            ++n;
    return n;
}

namespace {

template <typename Items> int append_items(char ***list, const Items &items)
{
    int old_count = str_list_count(*list);
    std::size_t added = 0;
    for (const auto &item : items)
        if (!item.empty())
            ++added;
    if (added == 0)
        return old_count;

    std::size_t total = static_cast<std::size_t>(old_count) + added;
    auto **array = static_cast<char **>(HX_zero_allocate_memory((total + 1) * sizeof(char *), nullptr));
    if (!array)
        return -1;
    std::size_t at = static_cast<std::size_t>(old_count);
    for (const auto &item : items) {
        if (item.empty())
            continue;
        auto *copy = static_cast<char *>(HX_allocate_memory(item.size() + 1, nullptr));
        if (!copy) {
            for (std::size_t i = static_cast<std::size_t>(old_count); i < at; ++i)
                HX_free(array[i]);
            HX_free(array);
            return -1;
        }
        std::memcpy(copy, item.data(), item.size());
        copy[item.size()] = '\0';
        array[at++] = copy;
    }
    if (old_count > 0)
        std::memcpy(array, *list, static_cast<std::size_t>(old_count) * sizeof(char *));
    HX_free(*list);
    *list = array;
    return static_cast<int>(total);
}

} // namespace

int append_str_list(char ***list, const std::vector<std::string> &items)
{
    return append_items(list, items);
}
int append_str_list(char ***list, const std::vector<std::string_view> &items)
{
    return append_items(list, items);
}

std::vector<std::string_view> tokenize(std::string_view text, std::string_view delimiters)
{
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = text.find_first_not_of(delimiters, pos);
        if (pos == std::string_view::npos)
            break;
        std::size_t end = text.find_first_of(delimiters, pos);
        if (end == std::string_view::npos)
            end = text.size();
        tokens.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

std::string_view trim_blanks_tabs(std::string_view text)
{
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace cvstv

extern "C" {

CVSTV_API int kt_add_str_list(char ***list, const char *str) noexcept
{
    return cvstv::guarded("kt_add_str_list", -1, [&]() -> int {
        if (!list || !str || !*str)
            return -1;
        int count = cvstv::str_list_count(*list);
        std::size_t n = std::strlen(str) + 1;
        auto *copy = static_cast<char *>(HX_allocate_memory(n, nullptr));
        if (!copy)
            return -1;
        std::memcpy(copy, str, n);
        auto **array = static_cast<char **>(
            HX_zero_allocate_memory((static_cast<std::size_t>(count) + 2) * sizeof(char *), nullptr));
        if (!array) {
            HX_free(copy);
            return -1;
        }
        if (count > 0)
            std::memcpy(array, *list, static_cast<std::size_t>(count) * sizeof(char *));
        array[count] = copy;
        HX_free(*list);
        *list = array;
        return count + 1;
    });
}

CVSTV_API int kt_ask_str_list_count(char **list) noexcept
{
    return cvstv::guarded("kt_ask_str_list_count", 0, [&]() -> int { return cvstv::str_list_count(list); });
}

CVSTV_API int kt_is_str_in_list(char **list, const char *str) noexcept
{
    return cvstv::guarded("kt_is_str_in_list", -1, [&]() -> int {
        if (!list || !str)
            return -1;
        for (int i = 0; list[i]; ++i)
            if (std::strcmp(list[i], str) == 0)
                return i;
        return -1;
    });
}

CVSTV_API int kt_copy_str_list(char **source, char ***destination) noexcept
{
    return cvstv::guarded("kt_copy_str_list", -1, [&]() -> int {
        if (!source || !destination || source == *destination)
            return -1;
        std::vector<std::string_view> items;
        for (int i = 0; source[i]; ++i)
            items.emplace_back(source[i]);
        return cvstv::append_str_list(destination, items) < 0 ? -1 : 0;
    });
}

CVSTV_API int kt_replace_str_in_list(char **list, int index, const char *str) noexcept
{
    return cvstv::guarded("kt_replace_str_in_list", -1, [&]() -> int {
        if (!list || !str || index < 0 || index >= cvstv::str_list_count(list))
            return -1;
        std::size_t n = std::strlen(str);
        char *entry = list[index];
        if (!entry || std::strlen(entry) < n) {
            auto *grown = static_cast<char *>(HX_reallocate_memory(entry, n + 1, nullptr));
            if (!grown)
                return -1;
            entry = grown;
            list[index] = entry;
        }
        std::memcpy(entry, str, n + 1);
        return 0;
    });
}

CVSTV_API void kt_free_str_list(char ***list) noexcept
{
    cvstv::guarded_void("kt_free_str_list", [&] {
        if (!list || !*list)
            return;
        for (char **p = *list; *p; ++p)
            HX_free(*p);
        HX_free(*list);
        *list = nullptr;
    });
}

CVSTV_API int kt_decompose_str(const char *text, const char *delimiters, char ***list) noexcept
{
    return cvstv::guarded("kt_decompose_str", -1, [&]() -> int {
        if (!list)
            return -1;
        *list = nullptr;
        if (!text || !*text || !delimiters || !*delimiters)
            return -1;
        std::vector<std::string_view> tokens = cvstv::tokenize(text, delimiters);
        if (tokens.empty())
            return cvstv::append_str_list(list, std::vector<std::string_view>{text}) < 0 ? -1 : 0;
        for (auto &token : tokens)
            token = cvstv::trim_blanks_tabs(token);
        return cvstv::append_str_list(list, tokens) < 0 ? -1 : 0;
    });
}

CVSTV_API int STV_split_string(const char *text, const char *delimiters, char **first, char **second) noexcept
{
    return cvstv::guarded("STV_split_string", -1, [&]() -> int {
        if (first)
            *first = nullptr;
        if (second)
            *second = nullptr;
        if (!text || !delimiters || !first || !second)
            return -1;
        std::vector<std::string_view> tokens = cvstv::tokenize(text, delimiters);
        if (tokens.size() < 2)
            return -1;
        std::string a(tokens[0]), b(tokens[1]);
        char *x = HX_strdup(a.c_str());
        char *y = HX_strdup(b.c_str());
        if (!x || !y) {
            HX_free(x);
            HX_free(y);
            return -1;
        }
        *first = x;
        *second = y;
        return 0;
    });
}

} // extern "C"
