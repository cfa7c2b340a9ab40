// Parsing of ODBC connection strings ("KEY=value;KEY={value};KEY="value"").
#ifndef CVSTV_ODBC_CONNECTION_STRING_H
#define CVSTV_ODBC_CONNECTION_STRING_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xlsodbc {

struct ConnectionString {
    // Keys upper-cased, values with their braces or double quotes removed, in
    // the order given. A key given twice keeps its first value.
    std::vector<std::pair<std::string, std::string>> attributes;
    // Pieces that are not KEY=value (no '=', empty key, unterminated quote).
    std::vector<std::string> malformed;

    std::optional<std::string> get(const std::string &upper_key) const;
};

ConnectionString parse_connection_string(const std::string &text);

// True for TRUE/YES/ON/1 (any case), false for FALSE/NO/OFF/0; nullopt for
// anything else.
std::optional<bool> parse_flag(const std::string &value);

} // namespace xlsodbc

#endif
