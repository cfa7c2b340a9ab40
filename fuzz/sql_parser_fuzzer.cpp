// libFuzzer harness: arbitrary text as SQL and as a connection string. Only
// SqlError may come out of the parser; statements that parse are run on a
// read-only database over a small workbook, which answers or refuses them
// with an SQLSTATE (changes are refused before they touch the file).
#include "odbc/connection_string.h"
#include "odbc/database.h"
#include "odbc/sql_parser.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

const std::string &workbook_path()
{
    static const std::string path = "/tmp/sql_parser_fuzzer_" + std::to_string(::getpid()) + ".xls";
    return path;
}

xlsodbc::Database &database()
{
    static std::unique_ptr<xlsodbc::Database> db = [] {
        using workbook::Cell;
        const std::string &path = workbook_path();
        workbook::Workbook book;
        book.sheets.push_back({"Parts", {{Cell::make_text("NAME"), Cell::make_text("QTY"), Cell{}, Cell::make_text("DIA")},
                                         {Cell::make_text("bolt"), Cell::make_integer(3), Cell{}, Cell::make_real(2.5)},
                                         {},
                                         {Cell::make_text("12"), Cell::make_real(12), Cell::make_text("x")}}});
        book.sheets.push_back({"Empty", {}});
        if (!workbook::write_workbook(path, book))
            __builtin_trap();
        xlsodbc::DatabaseOptions options{path, "/tmp/fuzz", true, true};
        std::atexit([] { ::unlink(workbook_path().c_str()); });
        return std::make_unique<xlsodbc::Database>(options, false);
    }();
    return *db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    auto cs = xlsodbc::parse_connection_string(text);
    (void)cs.get("DBQ");
    (void)xlsodbc::parse_flag(text);
    (void)xlsodbc::sheet_name_of(text);
    (void)xlsodbc::matches_pattern("Parts$", text);
    try {
        (void)xlsodbc::parse_sql(text);
    } catch (const xlsodbc::SqlError &) {
        return 0;
    }
    try {
        xlsodbc::Outcome o = database().execute(text);
        if (o.result)
            for (std::size_t r = 0; r < o.result->row_count(); ++r)
                for (std::size_t c = 0; c < o.result->columns.size(); ++c)
                    if (const workbook::Cell *cell = o.result->cell(r, c))
                        (void)cell->as_text();
    } catch (const xlsodbc::SqlError &) {
    }
    return 0;
}
