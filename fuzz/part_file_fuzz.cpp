// Fuzzes the part-file reader of the headless host. The input is a part
// document opened under a fixed name with components not opened (so no file
// outside the input is read). The open must load the part or nothing; a
// part that loads is updated (its expressions evaluated, its features
// walked) and must write back to a document that opens again and writes
// back identically: the round trip is exact. No host memory may stay live.
// Seeds: fuzz/part_file_corpus/ (parts of the example project and formulas).
#include "hx_assem.h"
#include "hx_parts.h"
#include "vexahost/session.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char *name = "/nonexistent/fuzz/part.prt";

vexa::sim::OpenResult open(const std::string &text)
{
    vexa::sim::reset();
    ASSY_assy_options_t options{};
    ASSY_ask_assy_options(&options);
    options.option[ASSY_OPTION_LOAD_COMPONENTS] = 0;
    ASSY_set_assy_options(&options);
    return vexa::sim::open_part_text(name, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t blocks = vexa::sim::live_blocks();
    std::string text(reinterpret_cast<const char *>(data), size);
    auto first = open(text);
    if (first.status != 0) {
        if (first.part != 0 || !vexa::sim::loaded_parts().empty() || first.failures.size() != 1)
            std::abort(); // a refused file loads nothing and is named
    } else {
        std::string written = vexa::sim::part_file_text(first.part);
        HX_MODL_update();
        vexa::sim::occurrence_children(vexa::sim::root_occurrence(first.part));
        auto second = open(written);
        if (second.status != 0) {
            std::fprintf(stderr, "a written part does not open again (%d):\n%s\n", second.status,
                         written.c_str());
            std::abort();
        }
        if (vexa::sim::part_file_text(second.part) != written) {
            std::fprintf(stderr, "the round trip is not exact:\n%s\n", written.c_str());
            std::abort();
        }
    }
    vexa::sim::reset();
    if (vexa::sim::live_blocks() != blocks) {
        std::fprintf(stderr, "host memory leaked\n");
        std::abort();
    }
    return 0;
}
