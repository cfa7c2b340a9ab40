// Reading every cell of a 50,000-row by 10-column workbook through the driver
// manager and the workbook driver (connect, SELECT *, SQLFetch, SQLGetData as
// text for every cell, disconnect), against libfreexl reading the same file
// directly (open, select the sheet, get every cell). Figures:
//   driver_vs_freexl                BM_driver_manager_select_all / BM_freexl_direct
//   driver_peak_memory_vs_freexl    what one read adds to the process's peak
//                                   resident memory, driver over libfreexl
//
// libfreexl is used as its users use it: the file opened with freexl_open,
// the sheet selected, every cell fetched with freexl_get_cell_value, values
// left in the form the library gives them (numbers as numbers); the file
// comes from the page cache on both sides, as it has just been written. The
// driver side pays for what an ODBC client pays for: the driver manager, a
// connection per read and every value converted to text.
#include "catalog_workbook.h"
#include "workbook/workbook.h"

#include "bench_ratio.h"

#include <freexl.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

constexpr int record_count = 50000;
constexpr int column_count = 10;
std::string workbook_path;

void make_workbook()
{
    const workbook::Workbook book = cvstv::bench::catalog_workbook(record_count, column_count);
    workbook_path = (std::filesystem::temp_directory_path() /
                     ("cvstv_odbc_read_bench_" + std::to_string(::getpid()) + ".xls"))
                        .string();
    workbook::Status s = workbook::write_workbook(workbook_path, book);
    if (!s) {
        std::fprintf(stderr, "cannot write the benchmark workbook: %s\n", s.error.c_str());
        std::exit(1);
    }
}

// One read through the driver manager: the cells read and their bytes.
bool driver_read(std::size_t &bytes)
{
    const std::string cs =
        "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};FIRSTROWHASNAMES=1;READONLY=TRUE;DBQ=" + workbook_path;
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)cs.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                        SQL_DRIVER_NOPROMPT))) {
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        return false;
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    SQLExecDirect(stmt, (SQLCHAR *)"SELECT * FROM `Catalog$`", SQL_NTS);
    char buf[256];
    SQLLEN len;
    std::size_t cells = 0;
    bytes = 0;
    while (SQLFetch(stmt) == SQL_SUCCESS)
        for (SQLUSMALLINT c = 1; c <= column_count; ++c)
            if (SQL_SUCCEEDED(SQLGetData(stmt, c, SQL_C_CHAR, buf, sizeof buf, &len))) {
                ++cells;
                bytes += static_cast<std::size_t>(len);
            }
    SQLCloseCursor(stmt);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return cells == static_cast<std::size_t>(record_count) * column_count;
}

// One read with libfreexl.
bool freexl_read()
{
    const void *h = nullptr;
    if (freexl_open(workbook_path.c_str(), &h) != FREEXL_OK || !h)
        return false;
    freexl_select_active_worksheet(h, 0);
    unsigned int rows = 0;
    unsigned short cols = 0;
    freexl_worksheet_dimensions(h, &rows, &cols);
    std::size_t cells = 0;
    for (unsigned int r = 1; r < rows; ++r)
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(h, r, c, &v) == FREEXL_OK && v.type != FREEXL_CELL_NULL)
                ++cells;
        }
    freexl_close(h);
    return cells == static_cast<std::size_t>(record_count) * column_count;
}

void BM_driver_manager_select_all(benchmark::State &state)
{
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        std::size_t bytes = 0;
        if (!driver_read(bytes)) {
            state.SkipWithError("driver read failed");
            break;
        }
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_freexl_direct(benchmark::State &state)
{
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state)
        if (!freexl_read()) {
            state.SkipWithError("libfreexl read failed");
            break;
        }
}

BENCHMARK(BM_driver_manager_select_all)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_freexl_direct)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    cvstv::bench::RatioSession session(argc, argv);
    ::setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
    make_workbook();
    // Peaks first, on a heap no benchmark has grown yet; the driver is
    // loaded (and its first connection made) before, so that the figure is
    // one read's and not the driver library's.
    std::size_t bytes = 0;
    driver_read(bytes);
    const double driver_peak = cvstv::bench::peak_bytes_added([&] { return driver_read(bytes); });
    const double freexl_peak = cvstv::bench::peak_bytes_added(freexl_read);
    bool ok = session.run();
    std::filesystem::remove(workbook_path);
    std::printf("\n%d records x %d columns, every cell\n", record_count, column_count);
    session.ratio("driver_vs_freexl", "BM_driver_manager_select_all", "BM_freexl_direct",
                  "driver manager + workbook driver / libfreexl directly, goal at most 1.3");
    if (driver_peak > 0 && freexl_peak > 0) {
        std::printf("  peak resident memory added by one read: driver %.1f MB, libfreexl %.1f MB\n",
                    driver_peak / 1e6, freexl_peak / 1e6);
        session.figure("driver_peak_memory_vs_freexl", driver_peak / freexl_peak,
                       "peak resident memory of one read, driver / libfreexl, goal at most 2");
    }
    return ok ? 0 : 1;
}
