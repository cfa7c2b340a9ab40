// Settings of the headless host's spreadsheets: the default spreadsheet
// application (the host's own XESS unless a test or the CLI chooses the
// separate spreadsheet program) and the registry that HX_CV_read_register
// answers from (empty until the session is given values).
//
// Registry keys and value names compare without regard to case, as the
// registry they stand for does; they are stored lower-cased.
#include "session_state.h"

#include "hx_spreadsheet.h"

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <utility>

using vexa::sim::host_call;

namespace {

struct SpreadsheetSettings {
    bool default_spreadsheet_excel = false;
    std::map<std::pair<std::string, std::string>, std::string> registry;
};

vexa::sim::AreaState<SpreadsheetSettings> settings{"spreadsheet settings"};

std::string lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

namespace vexa::sim {

void set_default_spreadsheet_excel(bool excel)
{
    settings->default_spreadsheet_excel = excel;
}

void set_registry_value(const std::string &key, const std::string &value_name, const std::string &value)
{
    settings->registry[{lower(key), lower(value_name)}] = value;
}

void clear_registry()
{
    settings->registry.clear();
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_ask_default_spreadsheet(int *application)
{
    return host_call("HX_ask_default_spreadsheet", [&]() -> int {
        if (!application)
            return HX_ERR_BAD_ARGUMENT;
        *application = settings->default_spreadsheet_excel ? HX_SPREADSHEET_EXCEL : HX_SPREADSHEET_XESS;
        return HX_OK;
    });
}

HX_API int HX_kt_ask_default_spreadsheet_format(int *format)
{
    return host_call("HX_kt_ask_default_spreadsheet_format", [&]() -> int {
        if (!format)
            return HX_ERR_BAD_ARGUMENT;
        *format = settings->default_spreadsheet_excel ? HX_SPREADSHEET_EXCEL : HX_SPREADSHEET_XESS;
        return HX_OK;
    });
}

HX_API int HX_CV_read_register(const char *key, const char *value_name, char *value, size_t capacity)
{
    return host_call("HX_CV_read_register", [&]() -> int {
        if (!key || !value_name || !value || capacity == 0)
            return HX_ERR_BAD_ARGUMENT;
        value[0] = '\0';
        const auto &registry = settings->registry;
        auto it = registry.find({lower(key), lower(value_name)});
        if (it == registry.end())
            return HX_ERR_NOT_FOUND;
        if (it->second.size() >= capacity)
            return HX_ERR_TOO_LONG;
        std::memcpy(value, it->second.c_str(), it->second.size() + 1);
        return HX_OK;
    });
}

} // extern "C"
