// The headless host's allocator: live-block accounting and allocation
// failures on request.
#ifndef VEXAHOST_MEMORY_H
#define VEXAHOST_MEMORY_H

#include "vexahost/common.h"

#include <cstddef>

namespace vexa::sim {

// Number of blocks handed out by the host allocator and not yet freed. A
// reset of the session does not change it, so a leak stays visible.
VEXAHOST_API std::size_t live_blocks();
// Make the allocator refuse every request after `successes` more successful
// ones (0: the next request fails). A negative value switches failure off;
// a reset of the session switches it off too.
VEXAHOST_API void fail_allocations_after(long successes);

} // namespace vexa::sim

#endif
