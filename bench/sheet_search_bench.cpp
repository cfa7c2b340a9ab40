// Sheet search and normalisation on a generated catalogue of 100,000
// records by 10 columns (numbers, number lists, ranges, text, fractions),
// each figure measured against a peer in the same run:
//
//  search_vs_sqlite       a two-condition search "D==7 && MAT==brass" (500
//                         matches, their L values listed) against SQLite
//                         answering the equivalent SELECT over the same rows;
//  search_vs_walk_floor   the same search against the least any search of
//                         this table must do (BM_walk_floor): how far the
//                         search is from the memory it has to read;
//  all_vs_one_per_record  a search that matches all records with distinct
//                         values against one that matches a single record
//                         over the same column: the cost per walked record,
//                         all / one (list building in linear time keeps it
//                         near 1); the cost per match of list building at
//                         100,000 and at 10,000 records is shown beside it;
//  normalize_vs_build     normalisation of a raw 100,000 x 10 grid against
//                         building that grid (one host allocation per cell).
//
// SQLite is set up the way a user of it would keep such a catalogue: an
// in-memory database (the sheet table is in memory too, so neither pays for
// a disk or a page cache), columns declared with the types their values
// have (REAL for D and L, INTEGER for K, TEXT for the rest), no index (a
// search is a full scan on both sides: the sheet table has no index
// either), and each search prepared from its SQL text, run and finalised,
// as a program that looks up one condition at a time does (preparing costs
// microseconds against milliseconds of scanning, so reusing a prepared
// statement would not change the figure). The values found are copied out
// as text on both sides.
//
// Both searches are warmed up before the first measurement: what is timed
// is a search on a catalogue that has been searched before, which is what a
// tooling application does during a session.
#include "cvstvshare/sheet.h"
#include "sheet/sheet_internal.h"

#include "hx_memory.h"

#include "bench_ratio.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int record_count = 100000;
constexpr int column_count = 10;
const char *const field_names[column_count] = {"NAME", "D", "L", "DL", "R", "MAT", "K", "T", "F", "V"};
const char *const materials[] = {"steel", "brass", "copper", "alu", "nylon", "ptfe", "bronze", "titanium"};

// Cell text of record i in column c.
std::string cell_text(int i, int c)
{
    char buf[64];
    switch (c) {
    case 0: std::snprintf(buf, sizeof buf, "P%06d", i); break;
    case 1: std::snprintf(buf, sizeof buf, "%d", i % 50); break;
    case 2: std::snprintf(buf, sizeof buf, "%.1f", (i % 200) * 0.5); break;
    case 3: std::snprintf(buf, sizeof buf, "%d,%d,%d", i % 7, i % 11 + 10, i % 13 + 20); break;
    case 4: std::snprintf(buf, sizeof buf, "%d~%d", i % 40, i % 40 + 15); break;
    case 5: std::snprintf(buf, sizeof buf, "%s", materials[i % 8]); break;
    case 6: std::snprintf(buf, sizeof buf, "%d", i); break;
    case 7: std::snprintf(buf, sizeof buf, "type %d", i % 17); break;
    case 8: std::snprintf(buf, sizeof buf, "%d+1/%d", i % 5, i % 4 + 2); break;
    default: std::snprintf(buf, sizeof buf, "v%06d", i); break;
    }
    return buf;
}

char *host_copy(const std::string &text)
{
    char *copy = HX_strdup(text.c_str());
    if (!copy) {
        std::fprintf(stderr, "out of host memory\n");
        std::abort();
    }
    return copy;
}

// A normalised catalogue table: a PARAMETERS row, the field names, the
// records and END.
sheet_table make_catalogue(int records)
{
    sheet_table t{};
    t.row_count = records + 3;
    t.column_count = column_count;
    t.found_row = -1;
    t.rows = static_cast<char ***>(
        HX_zero_allocate_memory(static_cast<std::size_t>(t.row_count) * sizeof(char **), nullptr));
    auto new_row = [] {
        return static_cast<char **>(HX_zero_allocate_memory(column_count * sizeof(char *), nullptr));
    };
    t.rows[0] = new_row();
    t.rows[0][0] = host_copy("PARAMETERS");
    t.rows[1] = new_row();
    for (int c = 0; c < column_count; ++c)
        t.rows[1][c] = host_copy(field_names[c]);
    for (int i = 0; i < records; ++i) {
        char **row = new_row();
        for (int c = 0; c < column_count; ++c)
            row[c] = host_copy(cell_text(i, c));
        t.rows[i + 2] = row;
    }
    t.rows[records + 2] = new_row();
    t.rows[records + 2][0] = host_copy("END");
    return t;
}

// A raw grid as a reader hands it to normalisation: comments in some cells,
// empty cells to fill down (every other record leaves MAT..V empty), and an
// empty workbook row every 100 records.
sheet_table make_raw_grid(const std::vector<std::vector<std::string>> &texts)
{
    sheet_table t{};
    t.row_count = static_cast<int>(texts.size());
    t.column_count = column_count;
    t.found_row = -1;
    t.rows = static_cast<char ***>(HX_zero_allocate_memory(texts.size() * sizeof(char **), nullptr));
    for (std::size_t r = 0; r < texts.size(); ++r) {
        if (texts[r].empty())
            continue;
        auto **row = static_cast<char **>(HX_zero_allocate_memory(column_count * sizeof(char *), nullptr));
        for (int c = 0; c < column_count; ++c)
            if (!texts[r][static_cast<std::size_t>(c)].empty())
                row[c] = host_copy(texts[r][static_cast<std::size_t>(c)]);
        t.rows[r] = row;
    }
    return t;
}

std::vector<std::vector<std::string>> raw_texts()
{
    std::vector<std::vector<std::string>> texts;
    texts.push_back({"SHEET_TYPE", "catalogue", "", "", "", "", "", "", "", ""});
    texts.push_back({"PARAMETERS", "", "", "", "", "", "", "", "", ""});
    texts.push_back(std::vector<std::string>(field_names, field_names + column_count));
    for (int i = 0; i < record_count; ++i) {
        if (i % 100 == 99)
            texts.emplace_back();
        std::vector<std::string> row;
        for (int c = 0; c < column_count; ++c)
            row.push_back(i % 2 == 1 && c >= 5 ? "" : cell_text(i, c));
        if (i % 10 == 0)
            row[9] += " ## checked";
        texts.push_back(std::move(row));
    }
    texts.push_back({"END", "", "", "", "", "", "", "", "", ""});
    return texts;
}

sheet_table &catalogue()
{
    static sheet_table table = make_catalogue(record_count);
    return table;
}

sheet_table &small_catalogue()
{
    static sheet_table table = make_catalogue(record_count / 10);
    return table;
}

sqlite3 *database()
{
    static sqlite3 *db = [] {
        sqlite3 *d = nullptr;
        if (sqlite3_open(":memory:", &d) != SQLITE_OK)
            std::abort();
        sqlite3_exec(
            d,
            "CREATE TABLE t(NAME TEXT, D REAL, L REAL, DL TEXT, R TEXT, MAT TEXT, K INTEGER, T TEXT, "
            "F TEXT, V TEXT)",
            nullptr, nullptr, nullptr);
        sqlite3_exec(d, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(d, "INSERT INTO t VALUES(?,?,?,?,?,?,?,?,?,?)", -1, &insert, nullptr);
        for (int i = 0; i < record_count; ++i) {
            for (int c = 0; c < column_count; ++c) {
                std::string text = cell_text(i, c);
                if (c == 1 || c == 2)
                    sqlite3_bind_double(insert, c + 1, std::atof(text.c_str()));
                else if (c == 6)
                    sqlite3_bind_int(insert, c + 1, i);
                else
                    sqlite3_bind_text(insert, c + 1, text.c_str(), -1, SQLITE_TRANSIENT);
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(d, "COMMIT", nullptr, nullptr, nullptr);
        return d;
    }();
    return db;
}

// ---- (a) two conditions against SQLite ------------------------------------

const char *const two_conditions = "D==7 && MAT==brass";
const char *const sqlite_two_conditions = "SELECT L FROM t WHERE D = 7 AND MAT = 'brass'";

void BM_sheet_two_conditions(benchmark::State &state)
{
    sheet_table &t = catalogue();
    int matches = 0;
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        char **list = nullptr;
        int count = 0;
        matches = sheet_search_record(&t, two_conditions, &list, &count);
        benchmark::DoNotOptimize(list);
        sheet_free_mem(list);
    }
    state.counters["matches"] = matches;
}

void BM_sqlite_two_conditions(benchmark::State &state)
{
    sqlite3 *db = database();
    int matches = 0;
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        sqlite3_stmt *query = nullptr;
        sqlite3_prepare_v2(db, sqlite_two_conditions, -1, &query, nullptr);
        std::vector<std::string> values;
        matches = 0;
        while (sqlite3_step(query) == SQLITE_ROW) {
            ++matches;
            values.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(query, 0)));
        }
        sqlite3_finalize(query);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["matches"] = matches;
}

// The least a search of this table can do: read every record's first cell
// (a record without one is skipped, END ends the walk) and the cell of the
// first condition's column, here D, with nothing to compare. Each cell is a
// heap block of its own, so this is a walk over memory (prefetching does
// not make it faster: it is bound by the memory's bandwidth).
void BM_walk_floor(benchmark::State &state)
{
    sheet_table &t = catalogue();
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        unsigned sum = 0;
        for (int r = 2; r < t.row_count - 1; ++r) {
            char **row = t.rows[r];
            sum += static_cast<unsigned char>(row[0][0]) + static_cast<unsigned char>(row[1][0]);
        }
        benchmark::DoNotOptimize(sum);
    }
}

// ---- (b) result list building -----------------------------------------------

void search_and_free(benchmark::State &state, const char *name, sheet_table &t, const char *condition)
{
    int matches = 0;
    cvstv::bench::Timed timed(state, name);
    for (auto _ : state) {
        char **list = nullptr;
        int count = 0;
        matches = sheet_search_record(&t, condition, &list, &count);
        timed.pause();
        sheet_free_mem(list);
        timed.resume();
    }
    state.counters["matches"] = matches;
}

// K holds distinct numbers: "K>=0" matches every record and lists every
// NAME; "K==4242" walks the same records and matches one.
void BM_sheet_match_all(benchmark::State &state)
{
    search_and_free(state, __func__, catalogue(), "K>=0");
}
void BM_sheet_match_one(benchmark::State &state)
{
    search_and_free(state, __func__, catalogue(), "K==4242");
}
void BM_sheet_match_all_small(benchmark::State &state)
{
    search_and_free(state, __func__, small_catalogue(), "K>=0");
}
void BM_sheet_match_one_small(benchmark::State &state)
{
    search_and_free(state, __func__, small_catalogue(), "K==4242");
}

// ---- (c) normalisation --------------------------------------------------------

const std::vector<std::vector<std::string>> &raw()
{
    static const std::vector<std::vector<std::string>> texts = raw_texts();
    return texts;
}

void BM_build_raw_grid(benchmark::State &state)
{
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        sheet_table t = make_raw_grid(raw());
        timed.pause();
        sheet_release_memo(&t);
        timed.resume();
    }
}

void BM_sheet_normalize(benchmark::State &state)
{
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        timed.pause();
        sheet_table t = make_raw_grid(raw());
        timed.resume();
        if (sheet_normalize(&t) != 0)
            state.SkipWithError("normalisation failed");
        timed.pause();
        sheet_release_memo(&t);
        timed.resume();
    }
}

BENCHMARK(BM_sheet_match_all)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sheet_match_one)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sheet_match_all_small)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sheet_match_one_small)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_build_raw_grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sheet_normalize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sheet_two_conditions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sqlite_two_conditions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_walk_floor)->Unit(benchmark::kMillisecond);

// Every fixture is built before the first benchmark runs, in one order, so
// that the heap every benchmark allocates from is the same whatever order
// the interleaving picks: the catalogues first, as a host has them after
// loading, then the SQLite database and the raw grid texts. Each search is
// run once, so what is measured is a catalogue searched before.
void build_fixtures()
{
    catalogue();
    small_catalogue();
    database();
    raw();
    for (sheet_table *t : {&catalogue(), &small_catalogue()}) {
        char **list = nullptr;
        int count = 0;
        sheet_search_record(t, two_conditions, &list, &count);
        sheet_free_mem(list);
    }
    sqlite3_exec(database(), sqlite_two_conditions, nullptr, nullptr, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    cvstv::bench::RatioSession session(argc, argv);
    build_fixtures();
    bool ok = session.run();

    session.ratio("search_vs_sqlite", "BM_sheet_two_conditions", "BM_sqlite_two_conditions",
                  "two-condition search / SQLite SELECT without index");
    session.ratio("search_vs_walk_floor", "BM_sheet_two_conditions", "BM_walk_floor",
                  "two-condition search / reading the first and the D cell of every record");
    session.ratio("all_vs_one_per_record", "BM_sheet_match_all", "BM_sheet_match_one",
                  "per walked record, all 100,000 match / one matches");
    session.ratio("normalize_vs_build", "BM_sheet_normalize", "BM_build_raw_grid",
                  "normalisation of a raw 100,000 x 10 grid / building it");
    // List building alone: what an all-match search costs beyond a
    // one-match search over the same records, per match, at two sizes.
    if (!cvstv::bench::under_valgrind()) {
        double build_large =
            (session.cpu_ns("BM_sheet_match_all") - session.cpu_ns("BM_sheet_match_one")) / record_count;
        double build_small =
            (session.cpu_ns("BM_sheet_match_all_small") - session.cpu_ns("BM_sheet_match_one_small")) /
            (record_count / 10);
        double cells = static_cast<double>(raw().size()) * column_count;
        std::printf("  list building per match: %.1f ns at 100,000 records, %.1f ns at 10,000\n", build_large,
                    build_small);
        std::printf("  normalisation: %.2f ns per cell\n", session.cpu_ns("BM_sheet_normalize") / cells);
    }

    sheet_release_memo(&catalogue());
    sheet_release_memo(&small_catalogue());
    sqlite3_close(database());
    return ok ? 0 : 1;
}
