// The PDM manager of the headless host, as far as part names go (hx_pdm.h):
// the active switch, items with their part type, revisions and the local
// file of their master model, the encoded and command-line name forms.
//
// Encoded form (the host's): "PDM|number|revision|file type|file name". It
// holds no '/', so it is never mistaken for a command-line name
// ("@DB/number/revision", with "/file type/file name" for non-master files).
// Values may not contain '/' or '|'. A loaded PDM part is named by its
// encoded name; opening and finding it also take its command-line name.
#include "model.h"
#include "session_state.h"

#include "../src/host/hx_pdm.h"

#include <cstring>
#include <map>

using vexa::sim::copy_out;
using vexa::sim::host_call;
using vexa::sim::tag_t;

namespace {

struct Item {
    std::string type;
    std::vector<std::string> revisions;
    std::string master_file;
};

struct PdmState {
    bool active = false;
    std::map<std::string, Item> items;
    std::map<std::string, std::string> initial_revisions; // by part type
    std::string default_part_type;
};

vexa::sim::AreaState<PdmState> pdm{"pdm"};

constexpr const char *encoded_prefix = "PDM|";

struct PdmName {
    std::string number, revision, type = "master", file;
};

bool clean(const std::string &value)
{
    return value.find_first_of("/|") == std::string::npos;
}

std::vector<std::string> split(const std::string &text, char by)
{
    std::vector<std::string> out(1);
    for (char c : text)
        if (c == by)
            out.emplace_back();
        else
            out.back() += c;
    return out;
}

bool decode(const std::string &encoded, PdmName &n)
{
    if (encoded.rfind(encoded_prefix, 0) != 0)
        return false;
    auto parts = split(encoded.substr(std::strlen(encoded_prefix)), '|');
    if (parts.size() != 4 || parts[0].empty())
        return false;
    n = {parts[0], parts[1], parts[2], parts[3]};
    return true;
}

bool parse_cli(const std::string &cli, PdmName &n)
{
    if (cli.rfind("@DB/", 0) != 0)
        return false;
    auto parts = split(cli.substr(4), '/');
    if ((parts.size() != 2 && parts.size() != 4) || parts[0].empty())
        return false;
    n.number = parts[0];
    n.revision = parts[1];
    if (parts.size() == 4) {
        n.type = parts[2];
        n.file = parts[3];
    }
    return true;
}

std::string cli_of(const PdmName &n)
{
    std::string cli = "@DB/" + n.number + "/" + n.revision;
    if (n.type != "master")
        cli += "/" + n.type + "/" + n.file;
    return cli;
}

std::string encoded_of(const PdmName &n)
{
    return encoded_prefix + n.number + "|" + n.revision + "|" + n.type + "|" + n.file;
}

} // namespace

namespace vexa::sim {

void set_pdm_active(bool active)
{
    pdm->active = active;
}

void add_pdm_item(const std::string &number, const std::string &part_type,
                  const std::vector<std::string> &revisions, const std::string &master_file)
{
    pdm->items[number] = Item{part_type, revisions, master_file};
}

void set_pdm_initial_revision(const std::string &part_type, const std::string &revision)
{
    pdm->initial_revisions[part_type] = revision;
}

void set_pdm_default_part_type(const std::string &part_type)
{
    pdm->default_part_type = part_type;
}

std::string loaded_name_of(const std::string &name)
{
    PdmName n;
    return parse_cli(name, n) && clean(n.number) && clean(n.revision) ? encoded_of(n) : name;
}

bool is_pdm_name(const std::string &name)
{
    return name.rfind(encoded_prefix, 0) == 0 || name.rfind("@DB/", 0) == 0;
}

std::string pdm_number_of(const std::string &name)
{
    PdmName n;
    return decode(name, n) || parse_cli(name, n) ? n.number : std::string();
}

std::string display_name_of(const std::string &name)
{
    PdmName n;
    if (decode(name, n) || parse_cli(name, n))
        return n.number + "/" + n.revision;
    return short_name(name);
}

int pdm_part_file(const std::string &name, std::string &cli, std::string &local)
{
    PdmName n;
    if (!decode(name, n) && !parse_cli(name, n))
        return HX_ERR_WRONG_TYPE;
    if (!pdm->active)
        return HX_ERR_PDM;
    cli = cli_of(n);
    auto it = pdm->items.find(n.number);
    if (it == pdm->items.end() || n.type != "master" || it->second.master_file.empty())
        return HX_ERR_NOT_FOUND;
    const auto &revs = it->second.revisions;
    if (std::find(revs.begin(), revs.end(), n.revision) == revs.end())
        return HX_ERR_NOT_FOUND;
    local = it->second.master_file;
    return HX_OK;
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_is_krmanager_active(int *active)
{
    return host_call("HX_is_krmanager_active", [&]() -> int {
        if (!active)
            return HX_ERR_BAD_ARGUMENT;
        *active = pdm->active ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_KRMGR_encode_part_filename(const char *number, const char *revision, const char *file_type,
                                         const char *file_name, char encoded[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_KRMGR_encode_part_filename", [&]() -> int {
        if (!number || !revision || !file_type || !file_name || !encoded)
            return HX_ERR_BAD_ARGUMENT;
        encoded[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        PdmName n{number, revision, *file_type ? file_type : "master", file_name};
        if (n.number.empty() || !clean(n.number) || !clean(n.revision) || !clean(n.type) || !clean(n.file))
            return HX_ERR_BAD_ARGUMENT;
        if (n.number.size() > HX_PDM_NUMBER_SIZE || n.revision.size() > HX_PDM_REVISION_SIZE ||
            n.type.size() > HX_PDM_TYPE_SIZE || n.file.size() > HX_PDM_FILE_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        return copy_out(encoded_of(n), encoded, HX_MAX_FSPEC_SIZE);
    });
}

HX_API int HX_KRMGR_decode_part_filename(const char *encoded, char number[HX_PDM_NUMBER_SIZE + 1],
                                         char revision[HX_PDM_REVISION_SIZE + 1],
                                         char file_type[HX_PDM_TYPE_SIZE + 1],
                                         char file_name[HX_PDM_FILE_NAME_SIZE + 1])
{
    return host_call("HX_KRMGR_decode_part_filename", [&]() -> int {
        if (!encoded || !number || !revision || !file_type || !file_name)
            return HX_ERR_BAD_ARGUMENT;
        number[0] = revision[0] = file_type[0] = file_name[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        PdmName n;
        if (!decode(encoded, n))
            return HX_ERR_BAD_ARGUMENT;
        if (int s = copy_out(n.number, number, HX_PDM_NUMBER_SIZE))
            return s;
        if (int s = copy_out(n.revision, revision, HX_PDM_REVISION_SIZE))
            return s;
        if (int s = copy_out(n.type, file_type, HX_PDM_TYPE_SIZE))
            return s;
        return copy_out(n.file, file_name, HX_PDM_FILE_NAME_SIZE);
    });
}

HX_API int HX_KRMGR_convert_name_to_cli(const char *encoded, char cli[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_KRMGR_convert_name_to_cli", [&]() -> int {
        if (!encoded || !cli)
            return HX_ERR_BAD_ARGUMENT;
        cli[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        PdmName n;
        if (!decode(encoded, n))
            return HX_ERR_BAD_ARGUMENT;
        return copy_out(cli_of(n), cli, HX_MAX_FSPEC_SIZE);
    });
}

HX_API int HX_KRMGR_convert_cli_to_name(const char *cli, char encoded[HX_MAX_FSPEC_SIZE + 1])
{
    return host_call("HX_KRMGR_convert_cli_to_name", [&]() -> int {
        if (!cli || !encoded)
            return HX_ERR_BAD_ARGUMENT;
        encoded[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        PdmName n;
        if (!parse_cli(cli, n) || !clean(n.number) || n.number.find('|') != std::string::npos)
            return HX_ERR_BAD_ARGUMENT;
        return copy_out(encoded_of(n), encoded, HX_MAX_FSPEC_SIZE);
    });
}

HX_API int HX_KRMGR_ask_latest_revision(const char *number, char revision[HX_PDM_REVISION_SIZE + 1])
{
    return host_call("HX_KRMGR_ask_latest_revision", [&]() -> int {
        if (!number || !revision)
            return HX_ERR_BAD_ARGUMENT;
        revision[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        auto it = pdm->items.find(number);
        if (it == pdm->items.end() || it->second.revisions.empty())
            return HX_OK;
        return copy_out(it->second.revisions.back(), revision, HX_PDM_REVISION_SIZE);
    });
}

HX_API int HX_KRMGR_assign_initial_revision(const char *part_type, char revision[HX_PDM_REVISION_SIZE + 1])
{
    return host_call("HX_KRMGR_assign_initial_revision", [&]() -> int {
        if (!part_type || !revision)
            return HX_ERR_BAD_ARGUMENT;
        revision[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        auto it = pdm->initial_revisions.find(part_type);
        return it == pdm->initial_revisions.end() ? HX_OK
                                                  : copy_out(it->second, revision, HX_PDM_REVISION_SIZE);
    });
}

HX_API int HX_KRMGR_ask_default_part_type(char part_type[HX_PDM_TYPE_SIZE + 1])
{
    return host_call("HX_KRMGR_ask_default_part_type", [&]() -> int {
        if (!part_type)
            return HX_ERR_BAD_ARGUMENT;
        part_type[0] = '\0';
        if (!pdm->active)
            return HX_ERR_PDM;
        return copy_out(pdm->default_part_type, part_type, HX_PDM_TYPE_SIZE);
    });
}

HX_API int HX_KRMGR_ask_part_tag(const char *encoded, tag_t *part)
{
    return host_call("HX_KRMGR_ask_part_tag", [&]() -> int {
        if (!encoded || !part)
            return HX_ERR_BAD_ARGUMENT;
        *part = 0;
        if (!pdm->active)
            return HX_ERR_PDM;
        PdmName n;
        if (!decode(encoded, n))
            return HX_ERR_BAD_ARGUMENT;
        auto *p = vexa::sim::loaded_part_named(encoded_of(n));
        *part = p ? p->tag : 0;
        return HX_OK;
    });
}

} // extern "C"
