// Object lists of the headless host (hx_lists.h).
//
// A list handle points to a block from the host allocator, so a list the
// library forgets to delete shows as a live block, like any leak. The host
// keeps the set of live handles and answers HX_ERR_BAD_ARGUMENT for any
// other pointer (deleted, never created, or from before a reset) without
// reading through it.
#include "lists.h"
#include "session_state.h"

#include "hx_lists.h"
#include "hx_memory.h"

#include <new>
#include <set>

struct hx_list_s {
    std::vector<vexa::sim::tag_t> items;
};

namespace vexa::sim {

namespace {

struct ListsState {
    std::set<hx_list_p_t> live;
};

AreaState<ListsState> lists{"lists"};

hx_list_s *live_list(hx_list_p_t list)
{
    return lists->live.count(list) ? list : nullptr;
}

} // namespace

hx_list_p_t new_list(const std::vector<tag_t> &items)
{
    void *block = HX_allocate_memory(sizeof(hx_list_s), nullptr);
    if (!block)
        throw std::bad_alloc();
    hx_list_s *list = nullptr;
    try {
        list = new (block) hx_list_s{items};
        lists->live.insert(list);
    } catch (...) {
        if (list)
            list->~hx_list_s();
        HX_free(block);
        throw;
    }
    return list;
}

} // namespace vexa::sim

using vexa::sim::host_call;

extern "C" {

HX_API int HX_LIST_create(hx_list_p_t *list)
{
    return host_call("HX_LIST_create", [&]() -> int {
        if (!list)
            return HX_ERR_BAD_ARGUMENT;
        *list = nullptr;
        *list = vexa::sim::new_list({});
        return HX_OK;
    });
}

HX_API int HX_LIST_append(hx_list_p_t list, tag_t object)
{
    return host_call("HX_LIST_append", [&]() -> int {
        hx_list_s *l = vexa::sim::live_list(list);
        if (!l || object == 0)
            return HX_ERR_BAD_ARGUMENT;
        l->items.push_back(object);
        return HX_OK;
    });
}

HX_API int HX_LIST_ask_count(hx_list_p_t list, int *count)
{
    return host_call("HX_LIST_ask_count", [&]() -> int {
        hx_list_s *l = vexa::sim::live_list(list);
        if (!l || !count)
            return HX_ERR_BAD_ARGUMENT;
        *count = static_cast<int>(l->items.size());
        return HX_OK;
    });
}

HX_API int HX_LIST_ask_item(hx_list_p_t list, int index, tag_t *object)
{
    return host_call("HX_LIST_ask_item", [&]() -> int {
        hx_list_s *l = vexa::sim::live_list(list);
        if (!l || !object || index < 0 || static_cast<std::size_t>(index) >= l->items.size())
            return HX_ERR_BAD_ARGUMENT;
        *object = l->items[static_cast<std::size_t>(index)];
        return HX_OK;
    });
}

HX_API int HX_LIST_delete(hx_list_p_t *list)
{
    return host_call("HX_LIST_delete", [&]() -> int {
        if (!list)
            return HX_ERR_BAD_ARGUMENT;
        if (!*list)
            return HX_OK;
        hx_list_s *l = vexa::sim::live_list(*list);
        if (!l)
            return HX_ERR_BAD_ARGUMENT;
        vexa::sim::lists->live.erase(l);
        l->~hx_list_s();
        HX_free(l);
        *list = nullptr;
        return HX_OK;
    });
}

} // extern "C"
