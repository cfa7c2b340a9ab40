// A small command-line parser for cvstv: long options with or without a
// value, repeatable options, and positional arguments.
#ifndef CVSTV_TOOLS_OPTIONS_H
#define CVSTV_TOOLS_OPTIONS_H

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cvstv_cli {

struct OptionSpec {
    std::string name; // without the leading "--"
    bool takes_value;
};

struct ParsedArgs {
    std::map<std::string, std::vector<std::string>> options; // every value, in order
    std::vector<std::string> positional;
    std::string error; // empty when parsing succeeded

    bool has(const std::string &name) const { return options.count(name) > 0; }
    std::optional<std::string> value(const std::string &name) const;
    std::vector<std::string> values(const std::string &name) const;
};

// Parses args against the specs; "--help" is always accepted.
ParsedArgs parse_args(const std::vector<std::string> &args, const std::vector<OptionSpec> &specs);

// A whole-number option value; nullopt with an error message when malformed.
std::optional<int> parse_int(const std::string &text, std::string &error);

} // namespace cvstv_cli

#endif
