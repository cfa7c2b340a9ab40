// libFuzzer harness: arbitrary bytes as an .xls file. Reading must fail
// cleanly or succeed; what was read must then encode and read back without
// trouble, both as it is (the editor's rewrite of the file's records) and
// after changes: a cell replaced, a row cleared, a row and a sheet added,
// the last sheet dropped. A change may be refused (a cell of an array
// formula), but what the writer wrote, the reader must read. The reader
// reads from a path, so the input goes to a per-process file.
#include "workbook/workbook.h"

#include <unistd.h>

#include <algorithm>
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
    auto round_trip = [&](const workbook::Workbook &b) {
        std::vector<std::uint8_t> bytes;
        if (workbook::encode_xls(b, bytes) && write_bytes(path, bytes.data(), bytes.size())) {
            workbook::Workbook again;
            if (!workbook::read_workbook(path, again))
                __builtin_trap(); // what the writer wrote, the reader must read
        }
    };
    round_trip(book);
    if (!book.sheets.empty()) {
        using workbook::Cell;
        workbook::Sheet &first = book.sheets.front();
        if (first.rows.empty())
            first.rows.emplace_back();
        first.rows.front().resize(std::max<std::size_t>(first.rows.front().size(), 2));
        first.rows.front()[1] = Cell::make_text("changed");
        if (first.rows.size() > 1)
            for (Cell &c : first.rows[1])
                c = Cell{};
        if (first.rows.size() < 65536)
            first.rows.push_back({Cell::make_integer(7), Cell::make_serial(workbook::CellType::date, 45000),
                                  Cell::make_boolean(true)});
        if (book.sheets.size() > 1)
            book.sheets.pop_back();
        if (!book.find_sheet("Added by the fuzzer"))
            book.sheets.push_back(workbook::Sheet{"Added by the fuzzer", {{Cell::make_text("x")}}});
        round_trip(book);
    }
    return 0;
}
