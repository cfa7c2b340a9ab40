// libFuzzer harness: arbitrary bytes as an .xls file. Reading must fail
// cleanly or succeed; what was read must then encode and read back without
// trouble. The reader reads from a path, so the input goes to a per-process file.
#include "workbook/workbook.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const std::string &scratch_path()
{
    static const std::string path = "/tmp/workbook_reader_fuzzer_" + std::to_string(::getpid()) + ".xls";
    return path;
}

bool write_bytes(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string &path = scratch_path();
    if (!write_bytes(path, data, size))
        return 0;
    std::vector<std::string> names;
    (void)workbook::read_sheet_names(path, names);
    workbook::Workbook book;
    if (!workbook::read_workbook(path, book))
        return 0;
    for (const auto &sheet : book.sheets)
        for (const auto &row : sheet.rows)
            for (const auto &cell : row)
                (void)cell.as_text();
    std::vector<std::uint8_t> bytes;
    if (workbook::encode_xls(book, bytes) && write_bytes(path, bytes.data(), bytes.size())) {
        workbook::Workbook again;
        if (!workbook::read_workbook(path, again))
            __builtin_trap(); // what the writer wrote, the reader must read
    }
    return 0;
}
