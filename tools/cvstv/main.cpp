// cvstv: the library on the headless host, from the command line.
//
//   cvstv [--kit DIR] [--defaults FILE] <command> [options] [arguments]
//
// The session's kit is the kit tree given with --kit; without it, the kit
// the environment's variables name; without those, the example kit shipped
// with cvstv. The host's preference store (the site's customer defaults) is
// loaded from --defaults FILE, else from the kit's
// tooling\customer_defaults.txt when there is one. The workbook driver is found through ODBCSYSINI, or else
// the registration shipped with cvstv. Messages the library shows in the host's message box or dialogs are
// printed to standard error; results go to standard output. Exit status 0 on success, 1 on failure, 2 on a
// usage error.
#include "commands.h"
#include "kit_setup.h"
#include "shipped_files.h"

#include "vexahost/session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace cvstv_cli {

int fail(const char *command, const std::string &message)
{
    std::fprintf(stderr, "cvstv: %s: %s\n", command, message.c_str());
    return 1;
}

void warn(const char *command, const std::string &message)
{
    std::fprintf(stderr, "cvstv: %s: warning: %s\n", command, message.c_str());
}

namespace {

// The commands, in the order 'cvstv --help' lists them.
const Command *const commands[] = {
    &fspec_command,    &search_command, &lookup_command, &sheets_command, &app_command, &default_command,
    &material_command, &thread_command, &part_command,   &edit_command,   &pdm_command,
};

void print_usage(std::FILE *out)
{
    const std::string &kit = shipped_files().kit;
    std::fprintf(out,
                 "usage: cvstv [--kit DIR] [--defaults FILE] <command> [options] [arguments]\n\n"
                 "Global options:\n"
                 "  --kit DIR        use the kit tree DIR (sets KRAX_BASE_DIR, CAVORA_DIR, STRIVO_DIR,\n"
                 "                   FULGO_DIR, KRPRESDES_DIR and TOOLING_BASE_DIR for the session);\n"
                 "                   default: the kit the environment's variables name, else the\n"
                 "                   example kit%s%s\n"
                 "  --defaults FILE  load the host's preference store (customer defaults) from FILE,\n"
                 "                   NAME=VALUE lines; default: the kit's tooling/customer_defaults.txt\n"
                 "  --pdm FILE       use the PDM store FILE (the PDM manager is active); see 'cvstv pdm'\n"
                 "  --help           this text; 'cvstv <command> --help' describes a command\n\n"
                 "Commands:\n",
                 kit.empty() ? "" : " in ", kit.c_str());
    for (const Command *c : commands)
        std::fprintf(out, "  %-10s %s\n", c->name, c->summary);
}

void print_journal_entry(const vexa::sim::JournalEntry &e)
{
    using vexa::sim::Entry;
    switch (e.kind) {
    case Entry::message_box:
        std::fprintf(stderr, "cvstv: %s: %s\n", e.severity == 1 ? "error" : "message", e.text.c_str());
        break;
    case Entry::message_dialog:
    case Entry::user_message:
        std::fprintf(stderr, "cvstv: dialog%s%s: %s%s%s\n", e.title.empty() ? "" : " ", e.title.c_str(),
                     e.text.c_str(), e.answer.empty() ? "" : " -> ", e.answer.c_str());
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

// Loads the preference store from a file; false after a message.
bool load_defaults(const std::string &file)
{
    vexa::sim::PreferenceLoad load = vexa::sim::load_preferences(file);
    if (load)
        return true;
    std::fprintf(stderr, "cvstv: customer defaults %s%s%s: %s\n", file.c_str(), load.line > 0 ? ":" : "",
                 load.line > 0 ? std::to_string(load.line).c_str() : "", load.error.c_str());
    return false;
}

// The session before the command runs: the example kit unless the
// environment names one, the shipped driver registration unless ODBCSYSINI
// names one, and the customer defaults of --defaults or of the kit. False
// after a message.
bool set_up_session(bool kit_given, const std::string &defaults)
{
    const ShippedFiles &shipped = shipped_files();
    if (!kit_given && !environment_names_a_kit() && !shipped.kit.empty())
        use_kit(shipped.kit);
    if (!std::getenv("ODBCSYSINI") && !shipped.odbc_ini.empty())
        setenv("ODBCSYSINI", shipped.odbc_ini.c_str(), 1);
    if (!defaults.empty())
        return load_defaults(defaults);
    if (auto tooling = vexa::sim::env_value("TOOLING_BASE_DIR")) {
        std::string site = vexa::sim::local_path(*tooling) + "/customer_defaults.txt";
        std::error_code ec;
        if (std::filesystem::is_regular_file(site, ec))
            return load_defaults(site);
    }
    return true;
}

int run(const std::vector<std::string> &args)
{
    bool kit_given = false;
    std::string defaults;
    std::size_t i = 0;
    while (i < args.size() && args[i].rfind("--", 0) == 0) {
        if (args[i] == "--help") {
            print_usage(stdout);
            return 0;
        }
        if (args[i] == "--defaults" && i + 1 < args.size()) {
            defaults = args[i + 1];
            i += 2;
            continue;
        }
        if (args[i] == "--pdm" && i + 1 < args.size()) {
            pdm_store_file = args[i + 1];
            i += 2;
            continue;
        }
        if (args[i].rfind("--defaults=", 0) == 0) {
            defaults = args[i].substr(11);
            ++i;
            continue;
        }
        std::string kit;
        if (args[i] == "--kit" && i + 1 < args.size()) {
            kit = args[i + 1];
            i += 2;
        } else if (args[i].rfind("--kit=", 0) == 0) {
            kit = args[i].substr(6);
            ++i;
        } else {
            std::fprintf(stderr, "cvstv: unknown global option %s\n", args[i].c_str());
            print_usage(stderr);
            return 2;
        }
        if (!use_kit(kit))
            return 1;
        kit_given = true;
    }
    if (i == args.size()) {
        print_usage(stderr);
        return 2;
    }
    for (const Command *c : commands) {
        if (args[i] != c->name)
            continue;
        std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
        for (const std::string &a : rest)
            if (a == "--help") {
                std::fputs(c->usage, stdout);
                return 0;
            }
        if (!set_up_session(kit_given, defaults))
            return 1;
        // The pdm command opens (or creates) the store itself.
        if (!pdm_store_file.empty() && c != &pdm_command && !open_pdm_store_file(c->name))
            return 1;
        return c->run(rest);
    }
    std::fprintf(stderr, "cvstv: unknown command '%s'\n", args[i].c_str());
    print_usage(stderr);
    return 2;
}

} // namespace
} // namespace cvstv_cli

int main(int argc, char **argv)
{
    vexa::sim::reset();
    vexa::sim::set_journal_sink(cvstv_cli::print_journal_entry);
    int status = cvstv_cli::run(std::vector<std::string>(argv + 1, argv + argc));
    vexa::sim::set_journal_sink(nullptr);
    return status;
}
