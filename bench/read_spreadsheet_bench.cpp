// Reading a whole workbook sheet into a sheet_table, by the two .xls
// methods, against reading the same file directly with libfreexl, in the
// same run.
//
// A 50,000-record by 10-column sheet (the .xls format holds at most 65,536
// rows) is written once with the workbook writer. Measured:
//   BM_read_by_odbc     the ODBC reader (what CVSTVSHARE_read_spreadsheet
//                       calls for a non-zero read method), through the
//                       unixODBC driver manager and the workbook driver;
//   BM_read_by_port     CVSTVSHARE_read_spreadsheet with Excel the default
//                       and a spreadsheet port open (read method 0);
//   BM_freexl_grid      libfreexl opening the file and copying every cell,
//                       as text, into a grid of heap strings.
// Figures (goal: at most 1.3):
//   read_odbc_vs_freexl   BM_read_by_odbc / BM_freexl_grid
//   read_port_vs_freexl   BM_read_by_port / BM_freexl_grid
//
// The peer does what a program that wants a sheet as a grid of texts would
// do with libfreexl: freexl_open, every cell fetched, numbers formatted with
// "%.15g" (integers with "%d") and every text copied into its own heap
// string. The sheet tables are released inside the timed loop on our side,
// as the peer frees its grid inside its loop.
#include "cvstvshare/sheet.h"
#include "cvstvshare/sheet_gxdb.h"
#include "cvstvshare/sheet_loading.h"
#include "vexahost/session.h"
#include "workbook/workbook.h"

#include "hx_spreadsheet.h"

#include "bench_ratio.h"

#include <freexl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int record_count = 50000;
constexpr int column_count = 10;

workbook::Cell cell(int i, int c)
{
    char buf[64];
    switch (c) {
    case 0: std::snprintf(buf, sizeof buf, "P%06d", i); return workbook::Cell::make_text(buf);
    case 1: return workbook::Cell::make_integer(i % 50);
    case 2: return workbook::Cell::make_real((i % 200) * 0.5);
    case 3: std::snprintf(buf, sizeof buf, "%d,%d,%d", i % 7, i % 11 + 10, i % 13 + 20); break;
    case 4: std::snprintf(buf, sizeof buf, "%d~%d", i % 40, i % 40 + 15); break;
    case 5: return workbook::Cell::make_text(i % 3 ? "steel" : "brass");
    case 6: return workbook::Cell::make_integer(i);
    case 7: std::snprintf(buf, sizeof buf, "type %d", i % 17); break;
    case 8: std::snprintf(buf, sizeof buf, "%d+1/%d", i % 5, i % 4 + 2); break;
    default: std::snprintf(buf, sizeof buf, "v%06d", i); break;
    }
    return workbook::Cell::make_text(buf);
}

struct Fixture {
    std::string dir, local, host;
    Fixture()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "read_bench_XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        local = dir + "/catalogue.xls";
        host = local;
        for (char &ch : host)
            if (ch == '/')
                ch = '\\';
        workbook::Workbook book;
        book.sheets.push_back({"Catalogue", {}});
        auto &rows = book.sheets.back().rows;
        rows.push_back({});
        for (const char *name : {"NAME", "D", "L", "DL", "R", "MAT", "K", "T", "F", "V"})
            rows.back().push_back(workbook::Cell::make_text(name));
        for (int i = 0; i < record_count; ++i) {
            rows.push_back({});
            for (int c = 0; c < column_count; ++c)
                rows.back().push_back(cell(i, c));
        }
        if (auto s = workbook::write_workbook(local, book); !s) {
            std::fprintf(stderr, "%s\n", s.error.c_str());
            std::abort();
        }
        setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 0);
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void check(benchmark::State &state, int status, const sheet_table &table)
{
    if (status != 0 || table.row_count != record_count + 1)
        state.SkipWithError(("reading failed, status " + std::to_string(status)).c_str());
}

void BM_read_by_odbc(benchmark::State &state)
{
    vexa::sim::set_default_spreadsheet_excel(true);
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        sheet_table table{};
        int status = GXDB_read_spreadsheet(fixture().host.c_str(), &table);
        check(state, status, table);
        sheet_release_memo(&table);
    }
}

void BM_read_by_port(benchmark::State &state)
{
    vexa::sim::set_default_spreadsheet_excel(true);
    int port = 0;
    HX_SS_create_port(&port);
    CVSTVSHARE_set_xls_port(port);
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        sheet_table table{};
        int status = CVSTVSHARE_read_spreadsheet(1, fixture().host.c_str(), &table);
        check(state, status, table);
        sheet_release_memo(&table);
    }
}

void BM_freexl_grid(benchmark::State &state)
{
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        const void *handle = nullptr;
        if (freexl_open(fixture().local.c_str(), &handle) != FREEXL_OK) {
            state.SkipWithError("freexl_open failed");
            break;
        }
        freexl_select_active_worksheet(handle, 0);
        unsigned int rows = 0;
        unsigned short columns = 0;
        freexl_worksheet_dimensions(handle, &rows, &columns);
        std::vector<char *> grid(static_cast<std::size_t>(rows) * columns, nullptr);
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                    continue;
                char buf[64];
                const char *text = nullptr;
                switch (v.type) {
                case FREEXL_CELL_INT:
                    std::snprintf(buf, sizeof buf, "%d", v.value.int_value);
                    text = buf;
                    break;
                case FREEXL_CELL_DOUBLE:
                    std::snprintf(buf, sizeof buf, "%.15g", v.value.double_value);
                    text = buf;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT: text = v.value.text_value; break;
                default: break;
                }
                if (text)
                    grid[static_cast<std::size_t>(r) * columns + c] = strdup(text);
            }
        freexl_close(handle);
        benchmark::DoNotOptimize(grid.data());
        for (char *p : grid)
            std::free(p);
    }
}

BENCHMARK(BM_read_by_odbc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_read_by_port)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_freexl_grid)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    cvstv::bench::RatioSession session(argc, argv);
    vexa::sim::reset();
    fixture();
    bool ok = session.run();
    std::printf("\n%d records x %d columns\n", record_count, column_count);
    session.ratio("read_odbc_vs_freexl", "BM_read_by_odbc", "BM_freexl_grid",
                  "read by ODBC into a sheet table / libfreexl into a grid of texts");
    session.ratio("read_port_vs_freexl", "BM_read_by_port", "BM_freexl_grid",
                  "read through a spreadsheet port / libfreexl into a grid of texts");
    return ok ? 0 : 1;
}
