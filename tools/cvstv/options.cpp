// Command-line parsing for cvstv.
#include "options.h"

#include <charconv>

namespace cvstv_cli {

std::optional<std::string> ParsedArgs::value(const std::string &name) const
{
    auto it = options.find(name);
    if (it == options.end() || it->second.empty())
        return std::nullopt;
    return it->second.back();
}

std::vector<std::string> ParsedArgs::values(const std::string &name) const
{
    auto it = options.find(name);
    return it == options.end() ? std::vector<std::string>{} : it->second;
}

ParsedArgs parse_args(const std::vector<std::string> &args, const std::vector<OptionSpec> &specs)
{
    ParsedArgs parsed;
    bool only_positional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (only_positional || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--")
                only_positional = true;
            else
                parsed.positional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inline_value;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inline_value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "help") {
            parsed.options["help"].push_back("");
            continue;
        }
        const OptionSpec *spec = nullptr;
        for (const OptionSpec &s : specs)
            if (s.name == name)
                spec = &s;
        if (!spec) {
            parsed.error = "unknown option --" + name;
            return parsed;
        }
        if (!spec->takes_value) {
            parsed.options[name].push_back("");
            continue;
        }
        if (inline_value) {
            parsed.options[name].push_back(*inline_value);
        } else if (i + 1 < args.size()) {
            parsed.options[name].push_back(args[++i]);
        } else {
            parsed.error = "option --" + name + " needs a value";
            return parsed;
        }
    }
    return parsed;
}

std::optional<int> parse_int(const std::string &text, std::string &error)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
        error = "not a whole number: '" + text + "'";
        return std::nullopt;
    }
    return value;
}

} // namespace cvstv_cli
