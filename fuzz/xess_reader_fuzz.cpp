// Fuzzes the XESS text reader. The first byte chooses the sheet asked for
// (none, one that the seeds name, or a name taken from the input) and, with
// its high bit, makes the host allocator fail after a few allocations; the
// rest is the export text. Seeds: tests/resources/xess/. The reader must answer 0, -1 or -2, hand back a grid
// within its limits, normalise it like every reader's sheet, and leave no
// host memory behind.
#include "cvstvshare/sheet.h"
#include "sheet/sheet_internal.h"
#include "sheet/xess_reader.h"
#include "vexahost/session.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::size_t blocks = vexa::sim::live_blocks();
    std::string_view text(reinterpret_cast<const char *>(data) + 1, size - 1);
    std::string sheet;
    switch (data[0] % 4) {
    case 0: break;
    case 1: sheet = "Prices"; break;
    case 2: sheet = "S"; break;
    default: sheet = std::string(text.substr(0, data[0] % 16)); break;
    }

    if (data[0] & 0x80)
        vexa::sim::fail_allocations_after((data[0] >> 4 & 7) * 3);
    sheet_table table{};
    int status = cvstv::xess::parse_sheet(text, sheet.empty() ? nullptr : sheet.c_str(), &table);
    if (status != 0 && status != -1 && status != -2 && status != cvstv::xess::xess_missing_sheet)
        std::abort();
    if (status == 0) {
        if (table.row_count > cvstv::xess::xess_max_rows || table.column_count > cvstv::xess::xess_max_columns)
            std::abort();
        status = sheet_normalize(&table);
        if (status != 0 && status != -2 && status != -1)
            std::abort();
        sheet_release_memo(&table);
    } else if (table.rows) {
        std::abort(); // a failed read leaves the table empty
    }
    vexa::sim::fail_allocations_after(-1);
    auto names = cvstv::xess::parse_sheet_names(text);
    for (const std::string &n : names)
        if (n.empty() || n.size() > cvstv::xess::xess_line_length)
            std::abort();
    if (vexa::sim::live_blocks() != blocks) {
        std::fprintf(stderr, "host memory leaked\n");
        std::abort();
    }
    return 0;
}
