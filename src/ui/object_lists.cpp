// Host object lists and tag arrays, and objects of the work part found by
// name.
#include "cvstvshare/selection.h"
#include "util/boundary.h"

#include "hx_cxx.h"
#include "hx_lists.h"
#include "hx_memory.h"
#include "hx_objects.h"
#include "hx_parts.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

// Names are compared on at most this many characters.
constexpr std::size_t compared_name_size = 30;
// Where a host error raised during the search by name is recorded.
constexpr const char *search_source = "cvstvshare_kt_share";
constexpr int search_line = 6902;

// The leaf of a name (after its last '\' or '/'), lower-cased.
std::string leaf_key(std::string name)
{
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// Records a failed host step of the search and passes its status on.
int search_failed(int status, const char *text)
{
    HX_log_error(search_source, search_line, status, text);
    return status;
}

} // namespace

extern "C" {

CVSTV_API bool CVSTVSHARE_is_object_in_list(tag_t object, struct hx_list_s *list) noexcept
{
    return cvstv::guarded("CVSTVSHARE_is_object_in_list", false, [&] {
        int count = 0;
        if (object == 0 || !list || HX_LIST_ask_count(list, &count) != 0)
            return false;
        for (int i = 0; i < count; ++i) {
            tag_t item = 0;
            if (HX_LIST_ask_item(list, i, &item) == 0 && item == object)
                return true;
        }
        return false;
    });
}

CVSTV_API int CVSTVSHARE_pack_tags_to_list(int count, const tag_t *objects, struct hx_list_s **list) noexcept
{
    return cvstv::guarded("CVSTVSHARE_pack_tags_to_list", -1, [&] {
        if (!list || count < 0 || (count > 0 && !objects))
            return -1;
        *list = nullptr;
        if (int status = HX_LIST_create(list))
            return status;
        for (int i = 0; i < count; ++i) {
            if (int status = HX_LIST_append(*list, objects[i])) {
                HX_LIST_delete(list);
                return status;
            }
        }
        return 0;
    });
}

CVSTV_API int CVSTVSHARE_unpack_list_to_tags(struct hx_list_s *list, int *count, tag_t **objects) noexcept
{
    return cvstv::guarded("CVSTVSHARE_unpack_list_to_tags", -1, [&] {
        if (!count || !objects)
            return -1;
        *count = 0;
        *objects = nullptr;
        int n = 0;
        if (HX_LIST_ask_count(list, &n) != 0 || n <= 0)
            return -1;
        auto *array =
            static_cast<tag_t *>(HX_allocate_memory(static_cast<std::size_t>(n) * sizeof(tag_t), nullptr));
        if (!array)
            return -1;
        for (int i = 0; i < n; ++i) {
            if (HX_LIST_ask_item(list, i, &array[i]) != 0) {
                HX_free(array);
                return -1;
            }
        }
        *objects = array;
        *count = n;
        return 0;
    });
}

} // extern "C"

CVSTV_API int CVSTVSHARE_cycle_object_by_name(const Orvel::UString &name, tag_t *object) noexcept
{
    return cvstv::guarded("CVSTVSHARE_cycle_object_by_name", -1, [&] {
        tag_t part = HX_ASSEM_ask_work_part();
        if (part == 0 || !object)
            return -1;
        tag_t from = *object;
        *object = 0;
        if (name.IsEmpty())
            return 0;
        try {
            std::string wanted = leaf_key(name.GetLocaleText().substr(0, compared_name_size));
            tag_t candidate = from;
            while (true) {
                if (int status = HX_OBJ_cycle_objs_in_part(part, 0, &candidate))
                    return search_failed(status, "HX_OBJ_cycle_objs_in_part");
                if (candidate == 0)
                    return 0;
                char candidate_name[HX_OBJ_NAME_SIZE + 1] = "";
                if (int status = HX_OBJ_ask_name(candidate, candidate_name))
                    return search_failed(status, "HX_OBJ_ask_name");
                if (leaf_key(std::string(candidate_name).substr(0, compared_name_size)) == wanted) {
                    *object = candidate;
                    return 0;
                }
            }
        } catch (const Orvel::HostError &e) {
            return search_failed(e.Code(), e.what());
        }
    });
}
