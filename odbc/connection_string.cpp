// Connection strings as the driver manager passes them: verbatim, so values
// may be wrapped in {...} (where ';' is literal and "}}" is a '}') or in
// "..." (where '""' is a '"'), and keys are case-insensitive.
#include "odbc/connection_string.h"

#include <algorithm>
#include <cctype>

namespace xlsodbc {
namespace {

std::string trim(const std::string &s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::optional<std::string> ConnectionString::get(const std::string &upper_key) const
{
    for (const auto &[k, v] : attributes)
        if (k == upper_key)
            return v;
    return std::nullopt;
}

ConnectionString parse_connection_string(const std::string &text)
{
    ConnectionString out;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        std::size_t eq = i;
        while (eq < n && text[eq] != '=' && text[eq] != ';')
            ++eq;
        std::string key = trim(text.substr(i, eq - i));
        if (eq >= n || text[eq] == ';') {
            if (!key.empty())
                out.malformed.push_back(key);
            i = eq + 1;
            continue;
        }
        std::size_t v = eq + 1;
        while (v < n && (text[v] == ' ' || text[v] == '\t'))
            ++v;
        std::string value;
        bool ok = true;
        if (v < n && (text[v] == '{' || text[v] == '"')) {
            const char close = text[v] == '{' ? '}' : '"';
            std::size_t p = v + 1;
            ok = false;
            while (p < n) {
                if (text[p] == close) {
                    if (p + 1 < n && text[p + 1] == close) {
                        value += close;
                        p += 2;
                        continue;
                    }
                    ok = true;
                    ++p;
                    break;
                }
                value += text[p++];
            }
            // Anything between the closing quote and the next ';' is ignored.
            while (p < n && text[p] != ';')
                ++p;
            i = p + 1;
        } else {
            std::size_t end = text.find(';', v);
            if (end == std::string::npos)
                end = n;
            value = trim(text.substr(v, end - v));
            i = end + 1;
        }
        if (key.empty() || !ok) {
            out.malformed.push_back(key.empty() ? text.substr(eq) : key);
            continue;
        }
        key = upper(key);
        if (!out.get(key))
            out.attributes.emplace_back(std::move(key), std::move(value));
    }
    return out;
}

std::optional<bool> parse_flag(const std::string &value)
{
    const std::string v = upper(trim(value));
    if (v == "1" || v == "TRUE" || v == "YES" || v == "ON")
        return true;
    if (v == "0" || v == "FALSE" || v == "NO" || v == "OFF")
        return false;
    return std::nullopt;
}

} // namespace xlsodbc
