// Directory listings of the headless host (HX_CFI_begin_dir_listing and its
// companions). A listing is a host object holding the matching entry names,
// read and sorted when it begins, so that it answers the same sequence
// whatever the file system's order; it lives until it is ended or the
// session is reset.
#include "session_state.h"

#include "../src/host/hx_files.h"

#include <fnmatch.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using vexa::sim::host_call;

namespace {

struct Listing : vexa::sim::HostObject {
    static constexpr vexa::sim::ObjectKind object_kind = vexa::sim::ObjectKind::dir_listing;
    std::vector<std::string> names;
    std::size_t next = 0;
};

// Whether an entry of this kind belongs to a listing of file_type.
bool type_matches(int file_type, const std::string &name, bool is_directory)
{
    switch (file_type) {
    case HX_CFI_TYPE_DIRECTORY: return is_directory;
    case HX_CFI_TYPE_PALETTE: return !is_directory && name.ends_with(".pax");
    default: return true;
    }
}

} // namespace

extern "C" {

HX_API int HX_CFI_begin_dir_listing(const char *directory, int option, int file_type, const char *pattern,
                                    tag_t *listing)
{
    return host_call("HX_CFI_begin_dir_listing", [&]() -> int {
        if (!listing)
            return HX_ERR_BAD_ARGUMENT;
        *listing = 0;
        if (!directory || !pattern)
            return HX_ERR_BAD_ARGUMENT;
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::path local = vexa::sim::local_path(directory);
        if (!fs::is_directory(local, ec))
            return HX_ERR_NOT_FOUND;
        std::vector<std::string> names;
        for (fs::directory_iterator it(local, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            bool is_directory = it->is_directory(ec);
            if ((option & HX_CFI_LIST_FILES) && is_directory)
                continue;
            if (type_matches(file_type, name, is_directory) && ::fnmatch(pattern, name.c_str(), 0) == 0)
                names.push_back(std::move(name));
        }
        if (ec)
            return HX_ERR_IO;
        std::sort(names.begin(), names.end());
        Listing &l = vexa::sim::objects().create<Listing>();
        l.names = std::move(names);
        *listing = l.tag;
        return HX_OK;
    });
}

HX_API int HX_CFI_next_dir_entry(tag_t listing, char name[HX_CFI_NAME_SIZE + 1], int *code)
{
    return host_call("HX_CFI_next_dir_entry", [&]() -> int {
        if (!name || !code)
            return HX_ERR_BAD_ARGUMENT;
        name[0] = '\0';
        *code = HX_CFI_END;
        Listing *l = vexa::sim::objects().find<Listing>(listing);
        if (!l)
            return HX_ERR_NOT_FOUND;
        if (l->next == l->names.size())
            return HX_OK;
        const std::string &entry = l->names[l->next++];
        if (entry.size() > HX_CFI_NAME_SIZE)
            return HX_ERR_TOO_LONG;
        std::memcpy(name, entry.c_str(), entry.size() + 1);
        *code = HX_CFI_ENTRY;
        return HX_OK;
    });
}

HX_API int HX_CFI_end_dir_listing(tag_t listing)
{
    return host_call("HX_CFI_end_dir_listing", [&]() -> int {
        return vexa::sim::objects().find<Listing>(listing) && vexa::sim::objects().erase(listing)
                   ? HX_OK
                   : HX_ERR_NOT_FOUND;
    });
}

} // extern "C"
