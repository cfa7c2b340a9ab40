// Inserting 10,000 records into a 50,000-record workbook through the driver
// manager and the workbook driver as executemany does (one prepared INSERT,
// parameters bound once, one SQLExecute per record, one commit), against
// writing the same final workbook once with the project's writer. Prints
// the ratio as "RATIO bulk_insert_vs_write <CPU time ratio>".
#include "catalog_workbook.h"
#include "workbook/workbook.h"

#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

constexpr int base_records = 50000;
constexpr int new_records = 10000;
constexpr int column_count = 10;
std::string base_path, work_path, final_path;
workbook::Workbook final_book;

void make_workbooks()
{
    workbook::Workbook book = cvstv::bench::catalog_workbook(base_records, column_count);
    const auto dir = std::filesystem::temp_directory_path();
    const std::string pid = std::to_string(::getpid());
    base_path = (dir / ("cvstv_bulk_insert_base_" + pid + ".xls")).string();
    work_path = (dir / ("cvstv_bulk_insert_work_" + pid + ".xls")).string();
    final_path = (dir / ("cvstv_bulk_insert_final_" + pid + ".xls")).string();
    if (workbook::Status s = workbook::write_workbook(base_path, book); !s) {
        std::fprintf(stderr, "cannot write the benchmark workbook: %s\n", s.error.c_str());
        std::exit(1);
    }
    cvstv::bench::add_catalog_records(book, base_records, new_records, column_count);
    final_book = std::move(book);
}

void BM_executemany_one_commit(benchmark::State &state)
{
    const std::string cs = "DRIVER={MICROSOFT EXCEL DRIVER (*.XLS)};DBQ=" + work_path;
    std::string sql = "INSERT INTO [Catalog$] VALUES (";
    for (int c = 0; c < column_count; ++c)
        sql += c ? ", ?" : "?";
    sql += ")";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(base_path, work_path, std::filesystem::copy_options::overwrite_existing);
        state.ResumeTiming();
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
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        SQLPrepare(stmt, (SQLCHAR *)sql.c_str(), SQL_NTS);
        char texts[column_count][32];
        SQLBIGINT integers[column_count];
        double reals[column_count];
        SQLLEN lengths[column_count];
        for (int c = 0; c < column_count; ++c) {
            const auto n = static_cast<SQLUSMALLINT>(c + 1);
            lengths[c] = SQL_NTS;
            switch (c % 3) {
            case 0:
                SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 31, 0, texts[c],
                                 sizeof texts[c], &lengths[c]);
                break;
            case 1:
                lengths[c] = 0;
                SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &integers[c], 0,
                                 &lengths[c]);
                break;
            default:
                lengths[c] = 0;
                SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &reals[c], 0,
                                 &lengths[c]);
                break;
            }
        }
        bool ok = true;
        for (int r = base_records; r < base_records + new_records && ok; ++r) {
            for (int c = 0; c < column_count; ++c) {
                const workbook::Cell v = cvstv::bench::catalog_value(r, c);
                if (c % 3 == 0)
                    std::snprintf(texts[c], sizeof texts[c], "%s", v.text.c_str());
                else if (c % 3 == 1)
                    integers[c] = v.integer;
                else
                    reals[c] = v.real;
            }
            ok = SQL_SUCCEEDED(SQLExecute(stmt));
        }
        ok = ok && SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT));
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        if (!ok) {
            state.SkipWithError("insert or commit failed");
            break;
        }
    }
}

void BM_write_final_workbook(benchmark::State &state)
{
    for (auto _ : state)
        if (!workbook::write_workbook(final_path, final_book)) {
            state.SkipWithError("write failed");
            break;
        }
}

BENCHMARK(BM_executemany_one_commit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_write_final_workbook)->Unit(benchmark::kMillisecond);

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
    make_workbooks();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const std::string &p : {base_path, work_path, final_path})
        std::filesystem::remove(p);
    auto ratio = [](std::map<std::string, double> &t) {
        const double peer = t["BM_write_final_workbook"];
        return peer > 0 ? t["BM_executemany_one_commit"] / peer : 0.0;
    };
    std::printf(
        "\n%d records inserted into %d (executemany, one commit) / the final workbook written once:\n",
        new_records, base_records);
    std::printf("  %.2f CPU time, %.2f real time (goal below 2)\n", ratio(reporter.cpu),
                ratio(reporter.real));
    std::printf("RATIO bulk_insert_vs_write %.2f\n", ratio(reporter.cpu));
    return 0;
}
