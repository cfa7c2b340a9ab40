// cvstv pdm: make and fill a PDM store file, draw numbers, and show where a
// part number lives and how its names read (through the library's name
// functions, with the PDM manager active on the store of --pdm).
#include "commands.h"

#include "cvstvshare/pdm_names.h"
#include "vexahost/assemblies.h"
#include "vexahost/pdm.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace cvstv_cli {

std::string pdm_store_file;

bool open_pdm_store_file(const char *command)
{
    try {
        vexa::sim::open_pdm_store(pdm_store_file);
    } catch (const std::exception &e) {
        fail(command, e.what());
        return false;
    }
    vexa::sim::set_pdm_active(true);
    return true;
}

namespace {

constexpr const char *usage_text =
    "usage: cvstv --pdm FILE pdm <action> [arguments]\n\n"
    "Makes and fills the PDM store FILE (an SQLite database) and asks it through the\n"
    "library's PDM name functions.\n\n"
    "Actions:\n"
    "  create                          make a new, empty store (never over an existing file)\n"
    "  user ID                         add a user (with a folder ID below the root) and make it\n"
    "                                  the store's session user\n"
    "  folder-add PATH                 add the folders of PATH (\"user7:tools:cavity\")\n"
    "  item NUMBER TYPE REV... [--file PATH] [--folder PATH]\n"
    "                                  add an item with its revisions (oldest first), the local\n"
    "                                  file of its master model, filed in a folder\n"
    "  type NAME [INITIAL_REVISION]    add a part type the user may create\n"
    "  seed TYPE NAME                  add a seed part of a part type\n"
    "  set KEY VALUE                   a setting: default_part_type, revision_separator,\n"
    "                                  long_ids, new_revision_hook, default_container,\n"
    "                                  number_prefix, user\n"
    "  draw [COUNT]                    draw new part numbers (one per line)\n"
    "  encode NAME [FILE_TYPE]         the encoded name of NUMBER or NUMBER/REVISION\n"
    "  decode ENCODED                  the part number of an encoded name\n"
    "  cli NAME                        the command-line name of NUMBER or NUMBER/REVISION\n"
    "  folder NUMBER                   the folder path holding a part number\n"
    "  list [PATH]                     the entries of a folder (the root without PATH)\n\n"
    "Exit status: 0 done, 1 refused (the reason on standard error), 2 usage error.\n";

int usage_error(const std::string &message)
{
    std::fprintf(stderr, "cvstv: pdm: %s\n", message.c_str());
    return 2;
}

int run_action(const std::string &action, const std::vector<std::string> &a)
{
    auto need = [&](std::size_t low, std::size_t high) { return a.size() >= low && a.size() <= high; };
    if (action == "user" && need(1, 1)) {
        vexa::sim::set_pdm_user(a[0]);
        return 0;
    }
    if (action == "folder-add" && need(1, 1)) {
        vexa::sim::add_pdm_folder(a[0]);
        return 0;
    }
    if (action == "item" && a.size() >= 2) {
        std::vector<std::string> revisions;
        std::string file, folder;
        for (std::size_t i = 2; i < a.size(); ++i) {
            if (a[i] == "--file" && i + 1 < a.size())
                file = a[++i];
            else if (a[i] == "--folder" && i + 1 < a.size())
                folder = a[++i];
            else
                revisions.push_back(a[i]);
        }
        vexa::sim::add_pdm_item(a[0], a[1], revisions, file);
        if (!folder.empty())
            vexa::sim::file_pdm_item(a[0], folder);
        return 0;
    }
    if (action == "type" && need(1, 2)) {
        vexa::sim::add_pdm_item_type(a[0], a.size() > 1 ? a[1] : "");
        return 0;
    }
    if (action == "seed" && need(2, 2)) {
        vexa::sim::add_pdm_seed_part(a[0], a[1]);
        return 0;
    }
    if (action == "set" && need(2, 2)) {
        vexa::sim::set_pdm_setting(a[0], a[1]);
        return 0;
    }
    if (action == "draw" && need(0, 1)) {
        long count = 1;
        if (!a.empty()) {
            char *end = nullptr;
            count = std::strtol(a[0].c_str(), &end, 10);
            if (*end || count < 1 || count > 1000000)
                return usage_error("draw: COUNT must be 1 to 1000000");
        }
        for (long i = 0; i < count; ++i)
            std::printf("%s\n", vexa::sim::draw_pdm_number().c_str());
        return 0;
    }
    char out[KT_PDM_NAME_BUFFER_SIZE] = "";
    if (action == "encode" && need(1, 2)) {
        if (int s = CV_KRMGR_encode_part_file_name(a[0].c_str(), a.size() > 1 ? a[1].c_str() : "master", out))
            return fail("pdm", "cannot encode " + a[0] + " (status " + std::to_string(s) + ")");
        std::printf("%s\n", out);
        return 0;
    }
    if (action == "decode" && need(1, 1)) {
        kt_ask_krmgr_decode_name(a[0].c_str(), out);
        if (!*out)
            return fail("pdm", "not an encoded name: " + a[0]);
        std::printf("%s\n", out);
        return 0;
    }
    if (action == "cli" && need(1, 1)) {
        if (int s = kt_convert_part_number_to_cli(a[0].c_str(), out))
            return fail("pdm", "no command-line name for " + a[0] + " (status " + std::to_string(s) + ")");
        std::printf("%s\n", out);
        return 0;
    }
    if (action == "folder" && need(1, 1)) {
        std::string path = vexa::sim::pdm_folder_of(a[0]);
        if (path.empty())
            return fail("pdm", "no folder holds " + a[0]);
        std::printf("%s\n", path.c_str());
        return 0;
    }
    if (action == "list" && need(0, 1)) {
        for (const auto &e : vexa::sim::pdm_folder_entries(a.empty() ? "" : a[0]))
            std::printf("%s %s\n", e.is_folder ? "folder" : "part  ", e.name.c_str());
        return 0;
    }
    return usage_error("unknown action or wrong arguments: " + action + " (see 'cvstv pdm --help')");
}

int run_pdm(const std::vector<std::string> &args)
{
    if (pdm_store_file.empty())
        return usage_error("no store: give --pdm FILE before the command");
    if (args.empty())
        return usage_error("no action (see 'cvstv pdm --help')");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (args[0] == "create") {
            if (!rest.empty())
                return usage_error("create takes no arguments");
            vexa::sim::create_pdm_store(pdm_store_file);
            return 0;
        }
        if (!open_pdm_store_file("pdm"))
            return 1;
        return run_action(args[0], rest);
    } catch (const std::exception &e) {
        return fail("pdm", e.what());
    }
}

} // namespace

const Command pdm_command{"pdm", "make and fill a PDM store, draw numbers, encode and find part numbers",
                          usage_text, run_pdm};

} // namespace cvstv_cli
