// cvstv: the library on the headless host, from the command line.
//
//   cvstv [--kit DIR] <command> [options] [arguments]
//
// --kit points the session's kit variables at a kit tree laid out as a
// KRAX_BASE_DIR (cavora/, strivo/, fulgo/, krautomotive/presdes/, tooling/).
// Messages the library shows in the host's message box or dialogs are printed
// to standard error; results go to standard output. Exit status 0 on
// success, 1 on failure, 2 on a usage error.
#include "commands.h"

#include "util/text_buffer.h"

#include "vexahost/session.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace cvstv_cli {

int fail(const char *command, const std::string &message)
{
    std::fprintf(stderr, "cvstv: %s: %s\n", command, message.c_str());
    return 1;
}

namespace {

const Command commands[] = {
    {"fspec", "resolve a kit, data or template file path", fspec_usage, run_fspec},
    {"search", "search the records of a sheet (tab-separated text) with a condition", search_usage, run_search},
    {"lookup", "read a kit workbook's sheet by a read method and search it", lookup_usage, run_lookup},
    {"sheets", "list the sheets of a kit workbook", sheets_usage, run_sheets},
};

void print_usage(std::FILE *out)
{
    std::fprintf(out, "usage: cvstv [--kit DIR] <command> [options] [arguments]\n\n"
                      "Global options:\n"
                      "  --kit DIR   use the kit tree DIR (sets KRAX_BASE_DIR, CAVORA_DIR, STRIVO_DIR,\n"
                      "              FULGO_DIR, KRPRESDES_DIR and TOOLING_BASE_DIR for the session)\n"
                      "  --help      this text; 'cvstv <command> --help' describes a command\n\n"
                      "Commands:\n");
    for (const Command &c : commands)
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
}

// Host paths keep '\' separators; the session maps them back to local paths.
std::string host_path(const std::filesystem::path &p)
{
    std::string s = p.string();
    cvstv::to_host_separators(s);
    return s;
}

bool setup_kit(const std::string &dir)
{
    std::error_code ec;
    std::filesystem::path base = std::filesystem::absolute(dir, ec);
    if (ec || !std::filesystem::is_directory(base, ec)) {
        std::fprintf(stderr, "cvstv: kit directory not found: %s\n", dir.c_str());
        return false;
    }
    base = base.lexically_normal();
    if (base.has_filename() == false)
        base = base.parent_path();
    using vexa::sim::set_env;
    set_env("KRAX_BASE_DIR", host_path(base));
    set_env("CAVORA_DIR", host_path(base / "cavora"));
    set_env("STRIVO_DIR", host_path(base / "strivo"));
    set_env("FULGO_DIR", host_path(base / "fulgo"));
    set_env("KRPRESDES_DIR", host_path(base / "krautomotive" / "presdes"));
    set_env("TOOLING_BASE_DIR", host_path(base / "tooling"));
    vexa::sim::unset_env("CV_STANDARDPARTPATH");
    return true;
}

void print_journal_entry(const vexa::sim::JournalEntry &e)
{
    using vexa::sim::Entry;
    switch (e.kind) {
    case Entry::message_box:
        std::fprintf(stderr, "cvstv: %s: %s\n", e.severity == 1 ? "error" : "message", e.text.c_str());
        break;
    case Entry::message_dialog:
        std::fprintf(stderr, "cvstv: dialog%s%s: %s\n", e.title.empty() ? "" : " ", e.title.c_str(),
                     e.text.c_str());
        break;
    case Entry::listing: {
        // Diagnostics, such as the workbook driver's own reason a connection
        // failed, go to the listing window.
        std::string text = e.text;
        while (!text.empty() && (text.front() == '\n' || text.front() == ' '))
            text.erase(text.begin());
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (!text.empty())
            std::fprintf(stderr, "cvstv: %s\n", text.c_str());
        break;
    }
    default: break;
    }
}

} // namespace
} // namespace cvstv_cli

int main(int argc, char **argv)
{
    using namespace cvstv_cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    vexa::sim::reset();
    vexa::sim::set_journal_sink(print_journal_entry);

    std::size_t i = 0;
    while (i < args.size() && args[i].rfind("--", 0) == 0) {
        if (args[i] == "--help") {
            print_usage(stdout);
            return 0;
        }
        if (args[i] == "--kit" && i + 1 < args.size()) {
            if (!setup_kit(args[i + 1]))
                return 1;
            i += 2;
            continue;
        }
        if (args[i].rfind("--kit=", 0) == 0) {
            if (!setup_kit(args[i].substr(6)))
                return 1;
            ++i;
            continue;
        }
        std::fprintf(stderr, "cvstv: unknown global option %s\n", args[i].c_str());
        print_usage(stderr);
        return 2;
    }
    if (i == args.size()) {
        print_usage(stderr);
        return 2;
    }
    for (const Command &c : commands) {
        if (args[i] == c.name) {
            std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
            for (const std::string &a : rest)
                if (a == "--help") {
                    std::fputs(c.usage, stdout);
                    return 0;
                }
            int status = c.run(rest);
            vexa::sim::set_journal_sink(nullptr);
            return status;
        }
    }
    std::fprintf(stderr, "cvstv: unknown command '%s'\n", args[i].c_str());
    print_usage(stderr);
    return 2;
}
