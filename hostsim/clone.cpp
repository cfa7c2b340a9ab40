// The clone operation of the headless host (hx_clone.h), as far as numbered
// copies go: the parts added are copied under the names the naming rule
// makes, PDM items into new items of the PDM (pdm.cpp), part files into new
// files beside their source, and the copies are opened quietly. Nothing is
// copied while a new name is that of a loaded part.
#include "model.h"
#include "part_files.h"
#include "session_state.h"

#include "../src/host/hx_clone.h"

#include <filesystem>

using vexa::sim::host_call;

namespace {

struct Source {
    std::string name;  // the name the part was added by
    std::string key;   // the name the rule applies to: part number or file name
    std::string local; // its local file
    bool pdm = false;
};

struct CloneState {
    bool active = false;
    int operation_class = 0;
    std::string folder;
    std::vector<Source> parts;
    int rule = -1;
    std::string base, new_string;
    int technique = 0;
};

vexa::sim::AreaState<CloneState> clone_op{"clone"};

std::string new_name_of(const std::string &key)
{
    const auto &c = clone_op.get();
    if (c.technique != HX_CLONE_NAMING_RULE || c.base.empty())
        return key;
    if (c.rule == HX_CLONE_PREFIX_RULE)
        return key.rfind(c.base, 0) == 0 ? c.new_string + key : key;
    if (c.rule == HX_CLONE_REPLACE_RULE) {
        auto at = key.find(c.base);
        return at == std::string::npos ? key
                                       : key.substr(0, at) + c.new_string + key.substr(at + c.base.size());
    }
    return key;
}

} // namespace

extern "C" {

HX_API int HX_CLONE_initialise(int operation_class)
{
    return host_call("HX_CLONE_initialise", [&]() -> int {
        if (clone_op->active)
            return HX_ERR_EXISTS;
        if (operation_class != HX_CLONE_CLONE_OPERATION && operation_class != HX_CLONE_EXPORT_OPERATION &&
            operation_class != HX_CLONE_IMPORT_OPERATION)
            return HX_ERR_BAD_ARGUMENT;
        clone_op.get() = CloneState{};
        clone_op->active = true;
        clone_op->operation_class = operation_class;
        return HX_OK;
    });
}

HX_API int HX_CLONE_set_default_folder(const char *folder)
{
    return host_call("HX_CLONE_set_default_folder", [&]() -> int {
        if (!clone_op->active)
            return HX_ERR_WRONG_TYPE;
        if (!folder)
            return HX_ERR_BAD_ARGUMENT;
        clone_op->folder = folder;
        return HX_OK;
    });
}

HX_API int HX_CLONE_add_part(const char *name)
{
    return host_call("HX_CLONE_add_part", [&]() -> int {
        if (!clone_op->active)
            return HX_ERR_WRONG_TYPE;
        if (!name || !*name)
            return HX_ERR_BAD_ARGUMENT;
        Source s{name, {}, {}, false};
        if (vexa::sim::pdm_clone_source(name, s.key, s.local)) {
            s.pdm = true;
        } else {
            if (vexa::sim::is_pdm_name(name))
                return HX_ERR_NOT_FOUND;
            if (int st = vexa::sim::local_file_of(name, s.local))
                return st;
            std::error_code ec;
            if (!std::filesystem::is_regular_file(s.local, ec))
                return HX_ERR_NOT_FOUND;
            s.key = vexa::sim::short_name(name);
        }
        clone_op->parts.push_back(std::move(s));
        return HX_OK;
    });
}

HX_API int HX_CLONE_set_name_rule(int rule, const char *base, const char *new_string)
{
    return host_call("HX_CLONE_set_name_rule", [&]() -> int {
        if (!clone_op->active)
            return HX_ERR_WRONG_TYPE;
        if (!base || !new_string || (rule != HX_CLONE_PREFIX_RULE && rule != HX_CLONE_REPLACE_RULE))
            return HX_ERR_BAD_ARGUMENT;
        clone_op->rule = rule;
        clone_op->base = base;
        clone_op->new_string = new_string;
        return HX_OK;
    });
}

HX_API int HX_CLONE_set_def_naming(int technique)
{
    return host_call("HX_CLONE_set_def_naming", [&]() -> int {
        if (!clone_op->active)
            return HX_ERR_WRONG_TYPE;
        if (technique != HX_CLONE_NAMING_RULE && technique != HX_CLONE_USER_NAME)
            return HX_ERR_BAD_ARGUMENT;
        clone_op->technique = technique;
        return HX_OK;
    });
}

HX_API int HX_CLONE_perform(void)
{
    return host_call("HX_CLONE_perform", [&]() -> int {
        if (!clone_op->active)
            return HX_ERR_WRONG_TYPE;
        namespace fs = std::filesystem;
        std::vector<std::string> names;
        for (const auto &s : clone_op->parts) {
            std::string name = new_name_of(s.key);
            if (name == s.key || name.find_first_of("/\\\"") != std::string::npos)
                return HX_ERR_BAD_ARGUMENT;
            if (HX_PART_ask_part_tag(name.c_str()) != 0)
                return HX_ERR_EXISTS;
            names.push_back(name);
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto &s = clone_op->parts[i];
            std::string open_name;
            if (s.pdm) {
                if (int st = vexa::sim::pdm_clone_item(s.key, s.local, names[i], clone_op->folder, open_name))
                    return st;
            } else {
                fs::path target = fs::path(s.local).parent_path() / (names[i] + ".prt");
                std::error_code ec;
                if (fs::exists(target, ec))
                    return HX_ERR_EXISTS;
                if (!fs::copy_file(s.local, target, ec) || ec)
                    return HX_ERR_IO;
                open_name = target.string();
            }
            tag_t part = 0;
            HX_PART_load_status_t status{};
            int st = vexa::sim::open_part_file(open_name, true, part, status);
            vexa::sim::free_load_status(status);
            if (st)
                return st;
        }
        return HX_OK;
    });
}

HX_API int HX_CLONE_terminate(void)
{
    return host_call("HX_CLONE_terminate", [&]() -> int {
        clone_op.get() = CloneState{};
        return HX_OK;
    });
}

} // extern "C"
