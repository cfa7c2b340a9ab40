// Reading every cell of a 50,000-row by 10-column workbook through the driver
// manager and the workbook driver (connect, SELECT *, SQLFetch, SQLGetData as
// text for every cell, disconnect), against libfreexl reading the same file
// directly (open, select the sheet, get every cell). Prints the ratio.
#include "workbook/workbook.h"

#include <benchmark/benchmark.h>
#include <freexl.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

constexpr int record_count = 50000;
constexpr int column_count = 10;
std::string workbook_path;

void make_workbook()
{
    using workbook::Cell;
    workbook::Workbook book;
    book.sheets.push_back({"Catalog", {}});
    auto &rows = book.sheets[0].rows;
    std::vector<Cell> header;
    for (int c = 0; c < column_count; ++c)
        header.push_back(Cell::make_text("COL" + std::to_string(c + 1)));
    rows.push_back(header);
    for (int r = 0; r < record_count; ++r) {
        std::vector<Cell> row;
        for (int c = 0; c < column_count; ++c) {
            switch (c % 3) {
            case 0: row.push_back(Cell::make_text("part-" + std::to_string(r) + "-" + std::to_string(c))); break;
            case 1: row.push_back(Cell::make_integer(r * 10 + c)); break;
            default: row.push_back(Cell::make_real(r + c / 8.0)); break;
            }
        }
        rows.push_back(std::move(row));
    }
    workbook_path = (std::filesystem::temp_directory_path() /
                     ("cvstv_odbc_read_bench_" + std::to_string(::getpid()) + ".xls"))
                        .string();
    workbook::Status s = workbook::write_workbook(workbook_path, book);
    if (!s) {
        std::fprintf(stderr, "cannot write the benchmark workbook: %s\n", s.error.c_str());
        std::exit(1);
    }
}

void BM_driver_manager_select_all(benchmark::State &state)
{
    const std::string cs = "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};FIRSTROWHASNAMES=1;READONLY=TRUE;DBQ=" + workbook_path;
    for (auto _ : state) {
        SQLHENV env;
        SQLHDBC dbc;
        SQLHSTMT stmt;
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR *)cs.c_str(), SQL_NTS, nullptr, 0, nullptr,
                                            SQL_DRIVER_NOPROMPT))) {
            state.SkipWithError("connect failed");
            break;
        }
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        SQLExecDirect(stmt, (SQLCHAR *)"SELECT * FROM `Catalog$`", SQL_NTS);
        char buf[256];
        SQLLEN len;
        std::size_t cells = 0, bytes = 0;
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
        if (cells != static_cast<std::size_t>(record_count) * column_count)
            state.SkipWithError("wrong cell count");
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_freexl_direct(benchmark::State &state)
{
    for (auto _ : state) {
        const void *h = nullptr;
        if (freexl_open(workbook_path.c_str(), &h) != FREEXL_OK || !h) {
            state.SkipWithError("freexl_open failed");
            break;
        }
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
        if (cells != static_cast<std::size_t>(record_count) * column_count)
            state.SkipWithError("wrong cell count");
    }
}

BENCHMARK(BM_driver_manager_select_all)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_freexl_direct)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        // The last run of each benchmark (with repetitions: their mean).
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean") {
                real[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> real, cpu;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ::setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
    make_workbook();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove(workbook_path);
    auto ratio = [](std::map<std::string, double> &t) {
        const double peer = t["BM_freexl_direct"];
        return peer > 0 ? t["BM_driver_manager_select_all"] / peer : 0.0;
    };
    std::printf("\nRatio (same run, %d records x %d columns, every cell):\n", record_count, column_count);
    std::printf("  driver manager + workbook driver / libfreexl directly: %.2f CPU time, %.2f real time"
                " (goal below 1.5)\n",
                ratio(reporter.cpu), ratio(reporter.real));
    return 0;
}
