// cvstv part: the assembly tree of a part file, with its components,
// reference sets and project attributes, and the attributes stored in a
// part file.
//
// The part is opened in the headless session with its components; the
// tree is walked through the session's occurrences, and part names and
// project attributes are read through the library (kt_ask_part_name,
// kt_ask_part_str_attr), as an application would.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/assembly.h"
#include "cvstvshare/part_attributes.h"

#include "vexahost/session.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace cvstv_cli {

namespace {

const char *const usage =
    "usage: cvstv [--kit DIR] part tree [--json] FILE\n"
    "       cvstv [--kit DIR] part attrs [--json] FILE\n"
    "\n"
    "tree   opens the part file with its components and prints its assembly tree:\n"
    "       each component as NAME -> PART, with its reference set in [ ], the\n"
    "       project attributes of its part in { } (KT_TOP, STV_PROJECT, KT_PROJECT,\n"
    "       KT_PROD_LIST, KT_PROD, KT_LAYOUT, CV_MASTER, KT_SHRINKAGE, ORG_PART_NAME),\n"
    "       '(not loaded)' or '(suppressed)' where so; then the reference sets of\n"
    "       the parts. Components that could not be loaded are reported on\n"
    "       standard error.\n"
    "attrs  prints the attributes stored in the part file, read without loading\n"
    "       it: TITLE (type) = value, in file order.\n"
    "\n"
    "FILE is a part file; a relative name that does not exist from the current\n"
    "directory is looked for in the kit (--kit, else the example kit).\n"
    "\n"
    "  --json   print a JSON object instead\n"
    "\n"
    "Example: cvstv part tree projects/P100/P100_top.prt\n";

const char *const project_titles[] = {"KT_TOP",    "STV_PROJECT", "KT_PROJECT",   "KT_PROD_LIST", "KT_PROD",
                                      "KT_LAYOUT", "CV_MASTER",   "KT_SHRINKAGE", "ORG_PART_NAME"};

// The part file named on the command line, as a host path.
bool find_file(const std::string &given, std::string &file, std::string &error)
{
    std::error_code ec;
    std::filesystem::path path(given);
    if (!std::filesystem::exists(path, ec) && path.is_relative())
        if (auto kit = vexa::sim::env_value("KRAX_BASE_DIR"))
            if (std::filesystem::exists(std::filesystem::path(vexa::sim::local_path(*kit)) / path, ec))
                path = std::filesystem::path(vexa::sim::local_path(*kit)) / path;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = "no part file '" + given + "'";
        return false;
    }
    file = vexa::sim::host_path(std::filesystem::absolute(path, ec).lexically_normal().string());
    return true;
}

std::string short_name(tag_t part)
{
    char name[KT_NAME_BUFFER_SIZE] = "";
    kt_ask_part_name(nullptr, part, name);
    return name;
}

// The project attributes a part carries, as title and value.
std::vector<std::pair<std::string, std::string>> project_attributes(tag_t part)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::string full = vexa::sim::part_name(part);
    for (const char *title : project_titles) {
        char value[KT_NAME_BUFFER_SIZE] = "";
        if (kt_ask_part_str_attr(full.c_str(), title, value) == 0)
            out.emplace_back(title, value);
    }
    return out;
}

std::string attributes_text(const std::vector<std::pair<std::string, std::string>> &attributes)
{
    if (attributes.empty())
        return {};
    std::string text = " {";
    for (std::size_t i = 0; i < attributes.size(); ++i)
        text += (i ? ", " : "") + attributes[i].first +
                (attributes[i].second.empty() ? "" : "=" + attributes[i].second);
    return text + "}";
}

std::string attributes_json(const std::vector<std::pair<std::string, std::string>> &attributes)
{
    std::string out = "{";
    for (std::size_t i = 0; i < attributes.size(); ++i)
        out += (i ? ", " : "") + json_string(attributes[i].first) + ": " + json_string(attributes[i].second);
    return out + "}";
}

void print_tree(tag_t occurrence, int depth)
{
    for (tag_t child : vexa::sim::occurrence_children(occurrence)) {
        vexa::sim::ComponentInfo info;
        if (!vexa::sim::component_info(child, info))
            continue;
        std::string line(static_cast<std::size_t>(depth) * 2, ' ');
        line += (info.name.empty() ? std::string("(unnamed)") : info.name) + " -> ";
        line += info.part ? short_name(info.part)
                          : std::filesystem::path(vexa::sim::local_path(info.part_file)).stem().string();
        if (!info.reference_set.empty())
            line += " [" + info.reference_set + "]";
        if (info.suppressed)
            line += " (suppressed)";
        if (!info.part)
            line += " (not loaded)";
        else
            line += attributes_text(project_attributes(info.part));
        std::printf("%s\n", line.c_str());
        if (info.part)
            print_tree(child, depth + 1);
    }
}

std::string tree_json(tag_t occurrence)
{
    std::string out = "[";
    bool first = true;
    for (tag_t child : vexa::sim::occurrence_children(occurrence)) {
        vexa::sim::ComponentInfo info;
        if (!vexa::sim::component_info(child, info))
            continue;
        out += first ? "" : ", ";
        first = false;
        out += "{\"name\": " + json_string(info.name) +
               ", \"file\": " + json_string(vexa::sim::local_path(info.part_file)) +
               ", \"part\": " + (info.part ? json_string(short_name(info.part)) : std::string("null")) +
               ", \"reference_set\": " +
               (info.reference_set.empty() ? std::string("null") : json_string(info.reference_set)) +
               ", \"suppressed\": " + (info.suppressed ? "true" : "false") +
               ", \"loaded\": " + (info.part ? "true" : "false");
        if (info.part)
            out += ", \"attributes\": " + attributes_json(project_attributes(info.part)) +
                   ", \"components\": " + tree_json(child);
        out += "}";
    }
    return out + "]";
}

int run_tree(const std::string &file, bool json)
{
    auto opened = vexa::sim::open_part(file);
    for (const auto &failure : opened.failures)
        if (opened.status == 0)
            warn("part",
                 "component not loaded: " + vexa::sim::local_path(failure.file) + ": " + failure.reason);
    if (opened.status != 0) {
        std::string why = opened.failures.empty() ? "status " + std::to_string(opened.status)
                                                  : opened.failures.front().reason;
        std::string where = opened.failures.empty() ? file : opened.failures.front().file;
        return fail("part", "'" + vexa::sim::local_path(where) + "' cannot be opened: " + why);
    }
    tag_t top = opened.part;
    tag_t root = vexa::sim::root_occurrence(top);
    if (json) {
        std::string out = "{\"file\": " + json_string(vexa::sim::local_path(file)) +
                          ", \"part\": " + json_string(short_name(top)) +
                          ", \"attributes\": " + attributes_json(project_attributes(top)) +
                          ", \"components\": " + tree_json(root) + ", \"reference_sets\": [";
        bool first = true;
        for (tag_t part : vexa::sim::loaded_parts())
            for (const auto &set : vexa::sim::reference_sets(part)) {
                out += std::string(first ? "" : ", ") + "{\"part\": " + json_string(short_name(part)) +
                       ", \"name\": " + json_string(set.name) + ", \"members\": [";
                first = false;
                for (std::size_t i = 0; i < set.members.size(); ++i)
                    out += (i ? ", " : "") + json_string(set.members[i]);
                out += "]}";
            }
        out += "], \"not_loaded\": [";
        for (std::size_t i = 0; i < opened.failures.size(); ++i)
            out += (i ? ", " : "") + json_string(vexa::sim::local_path(opened.failures[i].file));
        std::printf("%s]}\n", out.c_str());
        return 0;
    }
    std::printf("%s%s\n", short_name(top).c_str(), attributes_text(project_attributes(top)).c_str());
    print_tree(root, 1);
    bool heading = false;
    for (tag_t part : vexa::sim::loaded_parts())
        for (const auto &set : vexa::sim::reference_sets(part)) {
            if (!heading)
                std::printf("reference sets:\n");
            heading = true;
            std::string members;
            for (std::size_t i = 0; i < set.members.size(); ++i)
                members += (i ? ", " : "") + set.members[i];
            std::printf("  %s: %s = %s\n", short_name(part).c_str(), set.name.c_str(), members.c_str());
        }
    return 0;
}

const char *type_name(int type)
{
    switch (type) {
    case 1: return "integer";
    case 2: return "real";
    case 3: return "time";
    case 7: return "reference";
    default: return "string";
    }
}

int run_attrs(const std::string &file, bool json)
{
    int status = 0;
    auto attributes = vexa::sim::part_file_attributes(file, status);
    if (status != 0)
        return fail("part", "'" + vexa::sim::local_path(file) + "' cannot be read (status " +
                                std::to_string(status) + ")");
    if (json) {
        std::string out = "{\"file\": " + json_string(vexa::sim::local_path(file)) + ", \"attributes\": [";
        for (std::size_t i = 0; i < attributes.size(); ++i)
            out += std::string(i ? ", " : "") + "{\"title\": " + json_string(attributes[i].title) +
                   ", \"type\": " + json_string(type_name(attributes[i].type)) +
                   ", \"value\": " + json_string(attributes[i].text) + "}";
        std::printf("%s]}\n", out.c_str());
        return 0;
    }
    for (const auto &a : attributes)
        std::printf("%s (%s) = %s\n", a.title.c_str(), type_name(a.type), a.text.c_str());
    return 0;
}

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"json", false}});
    if (!parsed.error.empty())
        return fail("part", parsed.error);
    if (parsed.positional.size() != 2 || (parsed.positional[0] != "tree" && parsed.positional[0] != "attrs"))
        return fail("part", "expected 'tree FILE' or 'attrs FILE' (see cvstv part --help)");
    std::string file, error;
    if (!find_file(parsed.positional[1], file, error))
        return fail("part", error);
    bool json = parsed.has("json");
    return parsed.positional[0] == "tree" ? run_tree(file, json) : run_attrs(file, json);
}

} // namespace

const Command part_command = {"part", "print the assembly tree or the attributes of a part file", usage, run};

} // namespace cvstv_cli
