// Object lists of the headless host, for the areas that hand lists out
// (the faces of a feature).
#ifndef VEXAHOST_LISTS_H
#define VEXAHOST_LISTS_H

#include "vexahost/common.h"

#include "hx_lists.h"

#include <vector>

namespace vexa::sim {

// A new list holding items, as HX_LIST_create and HX_LIST_append would
// make it. Throws std::bad_alloc when the host allocator refuses.
hx_list_p_t new_list(const std::vector<tag_t> &items);

} // namespace vexa::sim

#endif
