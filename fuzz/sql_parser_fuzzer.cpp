// libFuzzer harness: arbitrary text as SQL and as a connection string. Only
// SqlError may come out of the parser; statements that parse are run, with
// a text value for each parameter, on two read-only databases over a small
// workbook (the first row as names, and the catalogue layout), which answer
// or refuse them with an SQLSTATE (changes are refused before they touch
// the file).
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

xlsodbc::Database &database(bool catalogue)
{
    static const bool written = [] {
        using workbook::Cell;
        const std::string &path = workbook_path();
        workbook::Workbook book;
        book.sheets.push_back(
            {"Parts",
             {{Cell::make_text("NAME"), Cell::make_text("QTY"), Cell{}, Cell::make_text("DIA")},
              {Cell::make_text("bolt"), Cell::make_integer(3), Cell{}, Cell::make_real(2.5)},
              {},
              {Cell::make_text("12"), Cell::make_real(12), Cell::make_text("x")}}});
        book.sheets.push_back(
            {"Kit",
             {{Cell::make_text("COMMENT"), Cell::make_text("a catalogue")},
              {Cell::make_text("PARAMETERS")},
              {Cell::make_text("D"), Cell::make_text("L"), Cell::make_text("PART")},
              {Cell::make_integer(8), Cell::make_integer(10), Cell::make_text("M8x10## note")},
              {Cell{}, Cell::make_integer(20), Cell::make_text("M8x20")},
              {Cell::make_text("// a comment row")},
              {Cell::make_text("END")}}});
        book.sheets.push_back({"Empty", {}});
        if (!workbook::write_workbook(path, book))
            __builtin_trap();
        std::atexit([] { ::unlink(workbook_path().c_str()); });
        return true;
    }();
    (void)written;
    auto open = [](bool catalogue_layout) {
        xlsodbc::DatabaseOptions options;
        options.path = workbook_path();
        options.catalog = "/tmp/fuzz";
        options.read_only = true;
        if (catalogue_layout)
            options.header.mode = xlsodbc::HeaderOptions::Mode::catalogue;
        return std::make_unique<xlsodbc::Database>(options, false);
    };
    static std::unique_ptr<xlsodbc::Database> plain = open(false), kit = open(true);
    return catalogue ? *kit : *plain;
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
    xlsodbc::ParsedSql sql;
    try {
        sql = xlsodbc::parse_sql(text);
    } catch (const xlsodbc::SqlError &) {
        return 0;
    }
    const std::vector<xlsodbc::Value> params(static_cast<std::size_t>(sql.parameter_count),
                                             xlsodbc::Value::make_text("8"));
    for (bool catalogue : {false, true}) {
        try {
            xlsodbc::Database &db = database(catalogue);
            for (int i = 0; i < sql.parameter_count; ++i)
                (void)db.describe_parameter(sql, i);
            xlsodbc::Outcome o = db.execute(sql, params);
            if (o.result)
                for (std::size_t r = 0; r < o.result->row_count(); ++r)
                    for (std::size_t c = 0; c < o.result->columns.size(); ++c)
                        if (const workbook::Cell *cell = o.result->cell(r, c))
                            (void)cell->as_text();
        } catch (const xlsodbc::SqlError &) {
        }
    }
    return 0;
}
