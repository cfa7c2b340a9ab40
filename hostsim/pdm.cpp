// The PDM manager of the headless host (hx_pdm.h): the active switch, the
// encoded and command-line name forms, and the calls that read and change
// the PDM database (pdm_store.h): items with their part type, revisions and
// files, settings, item types, seed parts, numbers, users and folders. A
// session that never opened a store file works on an in-memory store.
//
// Encoded form (the host's): "PDM|number|revision|file type|file name". It
// holds no '/', so it is never mistaken for a command-line name
// ("@DB/number/revision", with "/file type/file name" for non-master files).
// Values may not contain '/' or '|'. A loaded PDM part is named by its
// encoded name; opening and finding it also take its command-line name.
#include "model.h"
#include "session_state.h"

#include "pdm_store.h"

#include "../src/host/hx_pdm.h"
#include "../src/host/hx_memory.h"
#include "vexahost/pdm.h"

#include <cstring>
#include <filesystem>
#include <map>

using vexa::sim::copy_out;
using vexa::sim::host_call;
using vexa::sim::tag_t;

namespace {

using vexa::sim::PdmStore;
using vexa::sim::PdmStoreError;

// A PDM folder handed out to the library: its tag stands for its id in the
// store.
struct PdmFolder : vexa::sim::HostObject {
    static constexpr vexa::sim::ObjectKind object_kind = vexa::sim::ObjectKind::pdm_folder;
    explicit PdmFolder(std::int64_t id_) : id(id_) {}
    std::int64_t id;
};

struct PdmState {
    bool active = false;
    std::unique_ptr<PdmStore> store;           // null until first used
    std::map<std::int64_t, tag_t> folder_tags; // by folder id
    tag_t default_folder = 0;                  // the session's folder for new parts
};

vexa::sim::AreaState<PdmState> pdm{"pdm"};

PdmStore &store()
{
    if (!pdm->store)
        pdm->store = PdmStore::in_memory();
    return *pdm->store;
}

tag_t folder_tag(std::int64_t id)
{
    if (id == 0)
        return 0;
    auto &tags = pdm->folder_tags;
    if (auto it = tags.find(id); it != tags.end() && vexa::sim::objects().find<PdmFolder>(it->second))
        return it->second;
    tag_t tag = vexa::sim::objects().create<PdmFolder>(id).tag;
    tags[id] = tag;
    return tag;
}

// The folder id of a tag; 0 for anything else.
std::int64_t folder_id(tag_t tag)
{
    auto *folder = vexa::sim::objects().find<PdmFolder>(tag);
    return folder ? folder->id : 0;
}

// A PDM call: the host's guard, the active check, and the store's failures
// answered as HX_ERR_PDM.
template <class Body> int pdm_call(const char *name, Body &&body)
{
    return host_call(name, [&]() -> int {
        if (!pdm->active)
            return HX_ERR_PDM;
        try {
            return body();
        } catch (const PdmStoreError &) {
            return HX_ERR_PDM;
        }
    });
}

// Hands out names in a host-allocated array of host-allocated strings.
int hand_out_names(const std::vector<std::string> &names, int *count, char ***array)
{
    *count = 0;
    *array = nullptr;
    if (names.empty())
        return HX_OK;
    auto *out = static_cast<char **>(HX_zero_allocate_memory(names.size() * sizeof(char *), nullptr));
    if (!out)
        return HX_ERR_NO_MEMORY;
    for (std::size_t i = 0; i < names.size(); ++i) {
        out[i] = HX_strdup(names[i].c_str());
        if (!out[i]) {
            for (std::size_t j = 0; j < i; ++j)
                HX_free(out[j]);
            HX_free(out);
            return HX_ERR_NO_MEMORY;
        }
    }
    *count = static_cast<int>(names.size());
    *array = out;
    return HX_OK;
}

// The revision after another: A, B, ... Z, AA, AB, ...; digits count up
// (1, 2, ... 9, 10); any other text gets "A" appended.
std::string next_revision(const std::string &revision)
{
    if (revision.empty())
        return "A";
    bool letters = std::all_of(revision.begin(), revision.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    bool digits = std::all_of(revision.begin(), revision.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!letters && !digits)
        return revision + "A";
    char low = letters ? 'A' : '0', high = letters ? 'Z' : '9';
    std::string next = revision;
    for (std::size_t i = next.size(); i-- > 0;) {
        if (next[i] != high) {
            ++next[i];
            return next;
        }
        next[i] = low;
    }
    return std::string(1, letters ? 'A' : '1') + next;
}

constexpr const char *encoded_prefix = "PDM|";

struct PdmName {
    std::string number, revision, type = "master", file;
};

bool clean(const std::string &value)
{
    return vexa::sim::pdm_clean_value(value, false);
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
    store().add_item(number, part_type, revisions, master_file, 0);
}

void set_pdm_initial_revision(const std::string &part_type, const std::string &revision)
{
    store().add_item_type(part_type, revision, true);
}

void set_pdm_default_part_type(const std::string &part_type)
{
    store().set_setting("default_part_type", part_type);
}

void create_pdm_store(const std::string &path)
{
    auto created = PdmStore::create(path);
    pdm->store = std::move(created);
    pdm->folder_tags.clear();
    pdm->default_folder = 0;
}

void open_pdm_store(const std::string &path)
{
    auto opened = PdmStore::open(path);
    pdm->store = std::move(opened);
    pdm->folder_tags.clear();
    pdm->default_folder = 0;
}

std::string pdm_store_path()
{
    return pdm->store ? pdm->store->path() : std::string();
}

void set_pdm_setting(const std::string &key, const std::string &value)
{
    store().set_setting(key, value);
}

std::string pdm_setting(const std::string &key)
{
    return store().setting(key);
}

void add_pdm_user(const std::string &id)
{
    store().add_user(id);
}

void set_pdm_user(const std::string &id)
{
    store().add_user(id);
    store().set_setting("user", id);
}

void add_pdm_folder(const std::string &path)
{
    auto &s = store();
    std::int64_t folder = s.root_folder();
    std::string sofar;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = path.find(':', start);
        std::string piece =
            path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        sofar += (sofar.empty() ? "" : ":") + piece;
        std::int64_t next = s.folder_at(sofar);
        folder = next ? next : s.add_folder(folder, piece);
        if (colon == std::string::npos)
            return;
        start = colon + 1;
    }
}

void file_pdm_item(const std::string &number, const std::string &folder_path)
{
    auto &s = store();
    std::int64_t folder = s.folder_at(folder_path);
    auto type = s.item_type(number);
    if (!folder || !type)
        throw PdmStoreError("PDM store: no folder " + folder_path + " or no item " + number);
    s.add_item(number, *type, {}, {}, folder);
}

void add_pdm_file(const std::string &number, const std::string &revision, const std::string &file_type,
                  const std::string &file_name, const std::string &local_path)
{
    store().add_file(number, revision, file_type, file_name, local_path);
}

void add_pdm_item_type(const std::string &part_type, const std::string &initial_revision, bool creatable)
{
    store().add_item_type(part_type, initial_revision, creatable);
}

void add_pdm_seed_part(const std::string &part_type, const std::string &name)
{
    store().add_seed_part(part_type, name);
}

std::string draw_pdm_number()
{
    return store().draw_number();
}

std::vector<PdmEntryInfo> pdm_folder_entries(const std::string &path)
{
    auto &s = store();
    std::int64_t folder = path.empty() ? s.root_folder() : s.folder_at(path);
    if (!folder)
        throw PdmStoreError("PDM store: no folder " + path);
    std::vector<PdmEntryInfo> out;
    for (const auto &e : s.entries(folder))
        out.push_back({e.is_folder, e.name});
    return out;
}

std::string pdm_folder_of(const std::string &number)
{
    auto &s = store();
    // Breadth-first over the tree; the first folder holding the number.
    std::vector<std::int64_t> queue{s.root_folder()};
    for (std::size_t i = 0; i < queue.size(); ++i) {
        for (const auto &e : s.entries(queue[i])) {
            if (e.is_folder)
                queue.push_back(e.folder);
            else if (e.name == number) {
                std::string path;
                for (const auto &name : s.folder_path(queue[i]))
                    path += (path.empty() ? "" : ":") + name;
                return path;
            }
        }
    }
    return {};
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
    try {
        auto file = store().file(n.number, n.revision, n.type, n.type == "master" ? "" : n.file);
        if (!file || file->empty())
            return HX_ERR_NOT_FOUND;
        local = *file;
        return HX_OK;
    } catch (const PdmStoreError &) {
        return HX_ERR_PDM;
    }
}

bool pdm_clone_source(const std::string &name, std::string &number, std::string &local)
{
    if (!pdm->active)
        return false;
    try {
        PdmName n;
        if (!decode(name, n) && !parse_cli(name, n)) {
            auto revs = store().revisions(name);
            if (revs.empty())
                return false;
            n = {name, revs.back(), "master", ""};
        }
        auto file = store().file(n.number, n.revision, "master", "");
        if (n.type != "master" || !file || file->empty())
            return false;
        number = n.number;
        local = *file;
        return true;
    } catch (const PdmStoreError &) {
        return false;
    }
}

int pdm_clone_item(const std::string &source_number, const std::string &source_local,
                   const std::string &number, const std::string &folder_path, std::string &cli)
{
    if (!pdm->active)
        return HX_ERR_PDM;
    if (!pdm_clean_value(number, true) || number.size() > HX_PDM_NUMBER_SIZE)
        return HX_ERR_BAD_ARGUMENT;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = fs::path(source_local).parent_path() / (number + ".prt");
    try {
        auto &s = store();
        if (s.item_type(number) || fs::exists(target, ec))
            return HX_ERR_EXISTS;
        std::string type = s.item_type(source_number).value_or("");
        std::string revision = s.initial_revision(type).value_or("");
        if (revision.empty())
            revision = "A";
        std::int64_t folder = folder_path.empty() ? 0 : s.folder_at(folder_path);
        if (!folder)
            folder = s.folder_at(s.setting("default_container"));
        if (!folder && !s.setting("user").empty())
            folder = s.user_folder(s.setting("user"));
        if (!fs::copy_file(source_local, target, ec) || ec)
            return HX_ERR_IO;
        try {
            s.add_item(number, type, {revision}, target.string(), folder);
        } catch (...) {
            fs::remove(target, ec);
            throw;
        }
        cli = cli_of({number, revision, "master", ""});
        return HX_OK;
    } catch (const PdmStoreError &) {
        return HX_ERR_PDM;
    }
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
    if (revision)
        revision[0] = '\0';
    return pdm_call("HX_KRMGR_ask_latest_revision", [&]() -> int {
        if (!number || !revision)
            return HX_ERR_BAD_ARGUMENT;
        auto revs = store().revisions(number);
        return revs.empty() ? HX_OK : copy_out(revs.back(), revision, HX_PDM_REVISION_SIZE);
    });
}

HX_API int HX_KRMGR_assign_initial_revision(const char *part_type, char revision[HX_PDM_REVISION_SIZE + 1])
{
    if (revision)
        revision[0] = '\0';
    return pdm_call("HX_KRMGR_assign_initial_revision", [&]() -> int {
        if (!part_type || !revision)
            return HX_ERR_BAD_ARGUMENT;
        auto initial = store().initial_revision(part_type);
        return initial ? copy_out(*initial, revision, HX_PDM_REVISION_SIZE) : HX_OK;
    });
}

HX_API int HX_KRMGR_ask_default_part_type(char part_type[HX_PDM_TYPE_SIZE + 1])
{
    if (part_type)
        part_type[0] = '\0';
    return pdm_call("HX_KRMGR_ask_default_part_type", [&]() -> int {
        if (!part_type)
            return HX_ERR_BAD_ARGUMENT;
        return copy_out(store().setting("default_part_type"), part_type, HX_PDM_TYPE_SIZE);
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

HX_API int HX_KRMGR_ask_long_ids(int *long_ids)
{
    if (long_ids)
        *long_ids = 0;
    return pdm_call("HX_KRMGR_ask_long_ids", [&]() -> int {
        if (!long_ids)
            return HX_ERR_BAD_ARGUMENT;
        *long_ids = store().setting("long_ids") == "1" ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_KRMGR_ask_revision_separator(char separator[HX_PDM_TYPE_SIZE + 1])
{
    if (separator)
        separator[0] = '\0';
    return pdm_call("HX_KRMGR_ask_revision_separator", [&]() -> int {
        if (!separator)
            return HX_ERR_BAD_ARGUMENT;
        return copy_out(store().setting("revision_separator"), separator, HX_PDM_TYPE_SIZE);
    });
}

HX_API int HX_KRMGR_ask_item_types(int *count, char ***types)
{
    if (count)
        *count = 0;
    if (types)
        *types = nullptr;
    return pdm_call("HX_KRMGR_ask_item_types", [&]() -> int {
        if (!count || !types)
            return HX_ERR_BAD_ARGUMENT;
        return hand_out_names(store().item_types(true), count, types);
    });
}

HX_API int HX_KRMGR_ask_seed_parts(const char *part_type, int *count, char ***names)
{
    if (count)
        *count = 0;
    if (names)
        *names = nullptr;
    return pdm_call("HX_KRMGR_ask_seed_parts", [&]() -> int {
        if (!part_type || !count || !names)
            return HX_ERR_BAD_ARGUMENT;
        return hand_out_names(store().seed_parts(part_type), count, names);
    });
}

HX_API int HX_KRMGR_ask_part_type(const char *number, char part_type[HX_PDM_TYPE_SIZE + 1])
{
    if (part_type)
        part_type[0] = '\0';
    return pdm_call("HX_KRMGR_ask_part_type", [&]() -> int {
        if (!number || !part_type)
            return HX_ERR_BAD_ARGUMENT;
        auto type = store().item_type(number);
        return type ? copy_out(*type, part_type, HX_PDM_TYPE_SIZE) : HX_ERR_NOT_FOUND;
    });
}

HX_API int HX_KRMGR_ask_new_rev_name(const char *number, const char *part_type,
                                     char revision[HX_PDM_REVISION_SIZE + 1], int *produced)
{
    if (revision)
        revision[0] = '\0';
    if (produced)
        *produced = 0;
    return pdm_call("HX_KRMGR_ask_new_rev_name", [&]() -> int {
        if (!number || !part_type || !revision || !produced)
            return HX_ERR_BAD_ARGUMENT;
        auto &s = store();
        if (s.setting("new_revision_hook") == "1")
            return HX_OK;
        auto revs = s.revisions(number);
        std::string next;
        if (!revs.empty())
            next = next_revision(revs.back());
        else if (auto initial = s.initial_revision(part_type); initial && !initial->empty())
            next = *initial;
        else
            next = "A";
        if (int st = copy_out(next, revision, HX_PDM_REVISION_SIZE))
            return st;
        *produced = 1;
        return HX_OK;
    });
}

HX_API int HX_KRMGR_assign_part_number(const char *part_type, char number[HX_PDM_NUMBER_SIZE + 1])
{
    if (number)
        number[0] = '\0';
    return pdm_call("HX_KRMGR_assign_part_number", [&]() -> int {
        if (!part_type || !number)
            return HX_ERR_BAD_ARGUMENT;
        auto &s = store();
        std::string type = *part_type ? part_type : s.setting("default_part_type");
        auto types = s.item_types(true);
        // A PDM without item types (or without a default type, asked for
        // none) lets every type be created.
        if (!types.empty() && !type.empty() && std::find(types.begin(), types.end(), type) == types.end())
            return HX_ERR_NOT_FOUND;
        return copy_out(s.draw_number(), number, HX_PDM_NUMBER_SIZE);
    });
}

HX_API int HX_KRMGR_ask_object_exists(const char *encoded, int kind, int *exists)
{
    if (exists)
        *exists = 0;
    return pdm_call("HX_KRMGR_ask_object_exists", [&]() -> int {
        PdmName n;
        if (!encoded || !exists || !decode(encoded, n) ||
            (kind != HX_PDM_MASTER && kind != HX_PDM_SPECIFICATION))
            return HX_ERR_BAD_ARGUMENT;
        if (n.type != (kind == HX_PDM_MASTER ? "master" : "specification"))
            return HX_OK;
        *exists = store().file(n.number, n.revision, n.type, n.file).has_value() ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_KRMGR_ask_user_id(char id[HX_PDM_NAME_SIZE + 1])
{
    if (id)
        id[0] = '\0';
    return pdm_call("HX_KRMGR_ask_user_id", [&]() -> int {
        return id ? copy_out(store().setting("user"), id, HX_PDM_NAME_SIZE) : HX_ERR_BAD_ARGUMENT;
    });
}

HX_API int HX_KRMGR_ask_user_folder(const char *id, tag_t *folder)
{
    if (folder)
        *folder = 0;
    return pdm_call("HX_KRMGR_ask_user_folder", [&]() -> int {
        if (!id || !folder)
            return HX_ERR_BAD_ARGUMENT;
        *folder = folder_tag(store().user_folder(id));
        return HX_OK;
    });
}

HX_API int HX_KRMGR_ask_root_folder(tag_t *folder)
{
    if (folder)
        *folder = 0;
    return pdm_call("HX_KRMGR_ask_root_folder", [&]() -> int {
        if (!folder)
            return HX_ERR_BAD_ARGUMENT;
        *folder = folder_tag(store().root_folder());
        return HX_OK;
    });
}

HX_API int HX_KRMGR_ask_default_container(tag_t *folder)
{
    if (folder)
        *folder = 0;
    return pdm_call("HX_KRMGR_ask_default_container", [&]() -> int {
        if (!folder)
            return HX_ERR_BAD_ARGUMENT;
        std::string path = store().setting("default_container");
        *folder = path.empty() ? 0 : folder_tag(store().folder_at(path));
        return HX_OK;
    });
}

HX_API int HX_KRMGR_ask_folder_path(tag_t folder, int *count, char ***names)
{
    if (count)
        *count = 0;
    if (names)
        *names = nullptr;
    return pdm_call("HX_KRMGR_ask_folder_path", [&]() -> int {
        std::int64_t id = folder_id(folder);
        if (!count || !names || !id)
            return HX_ERR_BAD_ARGUMENT;
        return hand_out_names(store().folder_path(id), count, names);
    });
}

HX_API int HX_KRMGR_ask_folder_contents(tag_t folder, int *count, HX_KRMGR_entry_t **entries)
{
    if (count)
        *count = 0;
    if (entries)
        *entries = nullptr;
    return pdm_call("HX_KRMGR_ask_folder_contents", [&]() -> int {
        std::int64_t id = folder_id(folder);
        if (!count || !entries || !id)
            return HX_ERR_BAD_ARGUMENT;
        auto list = store().entries(id);
        if (list.empty())
            return HX_OK;
        auto *out = static_cast<HX_KRMGR_entry_t *>(
            HX_zero_allocate_memory(list.size() * sizeof(HX_KRMGR_entry_t), nullptr));
        if (!out)
            return HX_ERR_NO_MEMORY;
        for (std::size_t i = 0; i < list.size(); ++i) {
            out[i].type = list[i].is_folder ? HX_PDM_FOLDER_ENTRY : HX_PDM_PART_ENTRY;
            out[i].folder = list[i].is_folder ? folder_tag(list[i].folder) : 0;
            copy_out(list[i].name, out[i].name, HX_PDM_NUMBER_SIZE);
        }
        *count = static_cast<int>(list.size());
        *entries = out;
        return HX_OK;
    });
}

HX_API int HX_KRMGR_set_default_folder(tag_t folder)
{
    return pdm_call("HX_KRMGR_set_default_folder", [&]() -> int {
        if (folder != 0 && !folder_id(folder))
            return HX_ERR_BAD_ARGUMENT;
        pdm->default_folder = folder;
        return HX_OK;
    });
}

HX_API int HX_KRMGR_ask_default_folder(tag_t *folder)
{
    if (folder)
        *folder = 0;
    return pdm_call("HX_KRMGR_ask_default_folder", [&]() -> int {
        if (!folder)
            return HX_ERR_BAD_ARGUMENT;
        *folder = pdm->default_folder;
        return HX_OK;
    });
}

} // extern "C"
