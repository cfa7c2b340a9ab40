// The headless host's preference store (hx_prefs.h, vexahost/preferences.h).
//
// A value is kept as the text it was written as, with the type it was set
// or written with (a list also keeps its entries). Every ask reads the text
// in the type asked for, so a value answers any request it can answer
// sensibly: an integer or logical of a text "26" or "yes", a logical of an
// integer (non-zero: true), an integer of an integral real, a list of a
// text (split at ','). A request the value cannot answer is refused with
// HX_ERR_WRONG_TYPE and the outputs left alone.
#include "session_state.h"

#include "../src/host/hx_memory.h"
#include "../src/host/hx_prefs.h"

#include "vexahost/text_files.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

using vexa::sim::host_call;
using vexa::sim::PreferenceEntry;
using vexa::sim::PreferenceType;

namespace {

struct PreferencesState {
    std::map<std::string, PreferenceEntry, std::less<>> values;
};

vexa::sim::AreaState<PreferencesState> preferences{"preferences"};

constexpr std::size_t max_preference_file = 1 << 20;

std::string trimmed(const std::string &s)
{
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool read_logical(const std::string &text, int &value)
{
    std::string lower;
    for (char c : trimmed(text))
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "true" || lower == "yes" || lower == "on") {
        value = 1;
        return true;
    }
    if (lower == "false" || lower == "no" || lower == "off") {
        value = 0;
        return true;
    }
    return false;
}

bool read_real(const std::string &text, double &value)
{
    std::string t = trimmed(text);
    if (t.empty() || t.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return false; // decimal forms only: no hexadecimal, infinity or NaN
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || errno != 0 || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool read_int(const std::string &text, int &value)
{
    double real = 0;
    if (read_real(text, real) && real == std::trunc(real) && real >= INT_MIN && real <= INT_MAX) {
        value = static_cast<int>(real);
        return true;
    }
    return read_logical(text, value);
}

std::vector<std::string> read_list(const PreferenceEntry &e)
{
    if (e.type == PreferenceType::list)
        return e.list;
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= e.text.size()) {
        std::size_t comma = e.text.find(',', start);
        std::string item = trimmed(e.text.substr(start, comma == std::string::npos ? comma : comma - start));
        if (!item.empty())
            out.push_back(std::move(item));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

void set(const std::string &key, PreferenceType type, std::string text, std::vector<std::string> list = {})
{
    PreferenceEntry &e = preferences->values[key];
    e.key = key;
    e.type = type;
    e.text = std::move(text);
    e.list = std::move(list);
}

// The entry of a key, or the status of the refusal.
template <class Answer> int ask(const char *key, Answer answer)
{
    if (!key)
        return HX_ERR_BAD_ARGUMENT;
    auto it = preferences->values.find(std::string_view(key));
    if (it == preferences->values.end())
        return HX_ERR_NOT_FOUND;
    return answer(it->second);
}

} // namespace

namespace vexa::sim {

void set_string_preference(const std::string &key, const std::string &value)
{
    set(key, PreferenceType::string, value);
}

void set_int_preference(const std::string &key, int value)
{
    set(key, PreferenceType::integer, std::to_string(value));
}

void set_real_preference(const std::string &key, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    // The shortest text that reads back as the same value.
    for (int digits = 1; digits <= 17; ++digits) {
        char shorter[64];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, value);
        if (std::strtod(shorter, nullptr) == value) {
            std::snprintf(text, sizeof text, "%s", shorter);
            break;
        }
    }
    set(key, PreferenceType::real, text);
}

void set_logical_preference(const std::string &key, bool value)
{
    set(key, PreferenceType::logical, value ? "true" : "false");
}

void set_list_preference(const std::string &key, const std::vector<std::string> &values)
{
    std::string text;
    for (const std::string &v : values)
        text += (text.empty() ? "" : ",") + v;
    set(key, PreferenceType::list, text, values);
}

bool set_preference_text(const std::string &key, const std::string &value)
{
    if (value.find_first_of("\r\n") != std::string::npos)
        return false;
    std::vector<PreferenceEntry> entries;
    TextFileError error;
    if (!parse_preference_file(key + "=" + value, entries, error) || entries.size() != 1)
        return false;
    preferences->values[key] = std::move(entries.front());
    return true;
}

void remove_preference(const std::string &key)
{
    preferences->values.erase(key);
}

std::size_t preference_count()
{
    return preferences->values.size();
}

PreferenceLoad load_preferences(const std::string &local_file)
{
    PreferenceLoad load;
    std::string text;
    // The file is named by a local path; the host's reader takes host paths,
    // which map to local ones by separator only, so a local path reads as is.
    int status = read_host_file(local_file, text, max_preference_file);
    if (status != HX_OK) {
        load.ok = false;
        load.error = status == HX_ERR_NOT_FOUND ? "no such file" : "cannot be read (or larger than 1 MiB)";
        return load;
    }
    std::vector<PreferenceEntry> entries;
    TextFileError error;
    if (!parse_preference_file(text, entries, error)) {
        load.ok = false;
        load.line = error.line;
        load.error = error.reason;
        return load;
    }
    for (PreferenceEntry &e : entries)
        preferences->values[e.key] = std::move(e);
    return load;
}

} // namespace vexa::sim

extern "C" {

HX_API int PMAN_ask_string(const char *key, char **value)
{
    return host_call("PMAN_ask_string", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        return ask(key, [&](const PreferenceEntry &e) -> int {
            char *copy = HX_strdup(e.text.c_str());
            if (!copy)
                return HX_ERR_NO_MEMORY;
            *value = copy;
            return HX_OK;
        });
    });
}

HX_API int PMAN_ask_int(const char *key, int *value)
{
    return host_call("PMAN_ask_int", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        return ask(key, [&](const PreferenceEntry &e) -> int {
            return read_int(e.text, *value) ? HX_OK : HX_ERR_WRONG_TYPE;
        });
    });
}

HX_API int PMAN_ask_real(const char *key, double *value)
{
    return host_call("PMAN_ask_real", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        return ask(key, [&](const PreferenceEntry &e) -> int {
            return read_real(e.text, *value) ? HX_OK : HX_ERR_WRONG_TYPE;
        });
    });
}

HX_API int PMAN_ask_logical(const char *key, int *value)
{
    return host_call("PMAN_ask_logical", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        return ask(key, [&](const PreferenceEntry &e) -> int {
            int v = 0;
            if (read_logical(e.text, v) || read_int(e.text, v)) {
                *value = v != 0 ? 1 : 0;
                return HX_OK;
            }
            return HX_ERR_WRONG_TYPE;
        });
    });
}

HX_API int PMAN_ask_string_list(const char *key, char ***list, int *count)
{
    return host_call("PMAN_ask_string_list", [&]() -> int {
        if (!list || !count)
            return HX_ERR_BAD_ARGUMENT;
        return ask(key, [&](const PreferenceEntry &e) -> int {
            std::vector<std::string> items = read_list(e);
            if (items.empty()) {
                *list = nullptr;
                *count = 0;
                return HX_OK;
            }
            auto **array =
                static_cast<char **>(HX_zero_allocate_memory(items.size() * sizeof(char *), nullptr));
            if (!array)
                return HX_ERR_NO_MEMORY;
            for (std::size_t i = 0; i < items.size(); ++i) {
                array[i] = HX_strdup(items[i].c_str());
                if (!array[i]) {
                    for (std::size_t j = 0; j < i; ++j)
                        HX_free(array[j]);
                    HX_free(array);
                    return HX_ERR_NO_MEMORY;
                }
            }
            *list = array;
            *count = static_cast<int>(items.size());
            return HX_OK;
        });
    });
}

} // extern "C"
