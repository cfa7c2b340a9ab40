// Host allocator of the headless host.
//
// Every block carries a small header with a marker and its size, so that the
// allocator can count live blocks, catch a block that did not come from it,
// and fail on request (fault injection). The count is what tests check to
// prove that nothing handed out by the library leaked.
#include "session_state.h"

#include "hx_memory.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint64_t block_marker = 0x5658484f53544d4dULL; // "VXHOSTMM"

struct alignas(std::max_align_t) BlockHeader {
    std::uint64_t marker;
    std::size_t size;
};

struct AllocatorState {
    std::size_t live = 0;
    long successes_left = -1; // -1: never fail
};

// A reset switches failures off but keeps the live count: a block leaked
// before the reset is still a leak.
vexa::sim::AreaState<AllocatorState> allocator{"allocator", [](AllocatorState &s) { s.successes_left = -1; }};

bool refuse_now()
{
    long &left = allocator->successes_left;
    if (left < 0)
        return false;
    if (left == 0)
        return true;
    --left;
    return false;
}

void set_status(int *status, int value)
{
    if (status)
        *status = value;
}

BlockHeader *header_of(void *block)
{
    BlockHeader *h = static_cast<BlockHeader *>(block) - 1;
    if (h->marker != block_marker) {
        std::fprintf(stderr, "vexahost: block %p was not allocated by the host\n", block);
        std::abort();
    }
    return h;
}

} // namespace

namespace vexa::sim {
std::size_t live_blocks()
{
    return allocator->live;
}
void fail_allocations_after(long successes)
{
    allocator->successes_left = successes < 0 ? -1 : successes;
}
} // namespace vexa::sim

extern "C" {

HX_API void *HX_allocate_memory(size_t size, int *status)
{
    if (refuse_now() || size > SIZE_MAX - sizeof(BlockHeader)) {
        set_status(status, HX_ERR_NO_MEMORY);
        return nullptr;
    }
    auto *h = static_cast<BlockHeader *>(std::malloc(sizeof(BlockHeader) + size));
    if (!h) {
        set_status(status, HX_ERR_NO_MEMORY);
        return nullptr;
    }
    h->marker = block_marker;
    h->size = size;
    ++allocator->live;
    set_status(status, HX_OK);
    return h + 1;
}

HX_API void *HX_zero_allocate_memory(size_t size, int *status)
{
    void *block = HX_allocate_memory(size, status);
    if (block)
        std::memset(block, 0, size);
    return block;
}

HX_API void *HX_reallocate_memory(void *block, size_t size, int *status)
{
    if (!block)
        return HX_allocate_memory(size, status);
    BlockHeader *old = header_of(block);
    if (refuse_now() || size > SIZE_MAX - sizeof(BlockHeader)) {
        set_status(status, HX_ERR_NO_MEMORY);
        return nullptr;
    }
    auto *h = static_cast<BlockHeader *>(std::realloc(old, sizeof(BlockHeader) + size));
    if (!h) {
        set_status(status, HX_ERR_NO_MEMORY);
        return nullptr;
    }
    h->size = size;
    set_status(status, HX_OK);
    return h + 1;
}

HX_API void HX_free(void *block)
{
    if (!block)
        return;
    BlockHeader *h = header_of(block);
    h->marker = 0;
    --allocator->live;
    std::free(h);
}

HX_API char *HX_strdup(const char *text)
{
    if (!text)
        return nullptr;
    size_t n = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(HX_allocate_memory(n, nullptr));
    if (copy)
        std::memcpy(copy, text, n);
    return copy;
}

HX_API char *HX_sprintf(const char *format, ...)
{
    if (!format)
        return nullptr;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    char *out = nullptr;
    if (n >= 0) {
        out = static_cast<char *>(HX_allocate_memory(static_cast<size_t>(n) + 1, nullptr));
        if (out)
            std::vsnprintf(out, static_cast<size_t>(n) + 1, format, again);
    }
    va_end(again);
    return out;
}

} // extern "C"
