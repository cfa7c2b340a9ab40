// The XESS text reader against the floor of any text reader, in the same run.
//
// A .xs4 export of a 100,000-record by 10-column catalogue (numbers, number
// lists, ranges, text, fractions, comments and values left for fill-down;
// one line per cell, about a million lines) is written once by the host's
// text export. Measured:
//   BM_xess_read        the reader: read the file, parse every line, build the
//                       grid from the host allocator, normalise (releasing
//                       the table is the caller's work and is not timed);
//   BM_line_scan        a plain line-by-line scan with fgets into a line
//                       buffer, each line's length taken and its line feed
//                       cut: what a simple line reader does before it looks
//                       at a line;
//   BM_block_line_split the file read in 64 KiB blocks and split at line
//                       feeds with memchr, the least any line reader can do;
//   BM_host_blocks      one host block per cell and row of the table the
//                       reader returns, written in the reader's order: the
//                       least a reader of this table can do beyond reading.
// Both peers read through stdio from the page cache, as the reader does (the
// file has just been written, so no figure includes a disk). Figures:
//   xess_vs_fgets              BM_xess_read / BM_line_scan (goal: at most 2)
//   xess_vs_block_split        BM_xess_read / BM_block_line_split
//   xess_vs_host_blocks        BM_xess_read / BM_host_blocks
//   xess_peak_memory_vs_file   what reading the file once adds to the
//                              process's peak resident memory, over the
//                              file's size (measured before the timed runs,
//                              on a heap with nothing else in it).
#include "cvstvshare/sheet.h"
#include "sheet/xess_reader.h"
#include "vexahost/xess_export.h"

#include "hx_memory.h"

#include "bench_ratio.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        sheet_table table{};
        int status = cvstv::xess::read_spreadsheet(path.c_str(), &table);
        if (status != 0 || table.row_count != record_count + 3) {
            state.SkipWithError("reading failed");
            break;
        }
        benchmark::DoNotOptimize(table.rows);
        timed.pause();
        sheet_release_memo(&table);
        timed.resume();
    }
}

void BM_line_scan(benchmark::State &state)
{
    const std::string &path = fixture().path;
    cvstv::bench::Timed timed(state, __func__);
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
    cvstv::bench::Timed timed(state, __func__);
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

// What the reader cannot avoid beyond reading the file: one host block per
// cell, row block and row array of the table it returns, each written, in
// the order the reader makes them (releasing the table is not timed, as for
// the reader).
void BM_host_blocks(benchmark::State &state)
{
    sheet_table model{};
    if (cvstv::xess::read_spreadsheet(fixture().path.c_str(), &model) != 0) {
        state.SkipWithError("reading failed");
        return;
    }
    cvstv::bench::Timed timed(state, __func__);
    for (auto _ : state) {
        sheet_table copy{};
        copy.row_count = model.row_count;
        copy.column_count = model.column_count;
        copy.rows = static_cast<char ***>(
            HX_zero_allocate_memory(static_cast<std::size_t>(model.row_count) * sizeof(char **), nullptr));
        for (int r = 0; r < model.row_count; ++r) {
            auto **row = static_cast<char **>(HX_zero_allocate_memory(
                static_cast<std::size_t>(model.column_count) * sizeof(char *), nullptr));
            for (int c = 0; c < model.column_count; ++c)
                if (const char *text = model.rows[r][c])
                    row[c] = HX_strdup(text);
            copy.rows[r] = row;
        }
        timed.pause();
        sheet_release_memo(&copy);
        timed.resume();
    }
    sheet_release_memo(&model);
}

BENCHMARK(BM_xess_read)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_host_blocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_line_scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_block_line_split)->Unit(benchmark::kMillisecond);

// What one read adds to the peak resident memory, in bytes.
double read_peak_bytes()
{
    return cvstv::bench::peak_bytes_added([] {
        sheet_table table{};
        int status = cvstv::xess::read_spreadsheet(fixture().path.c_str(), &table);
        sheet_release_memo(&table);
        return status == 0;
    });
}

} // namespace

int main(int argc, char **argv)
{
    cvstv::bench::RatioSession session(argc, argv);
    const double file_size = static_cast<double>(std::filesystem::file_size(fixture().path));
    double peak = read_peak_bytes();
    bool ok = session.run();
    std::printf("\n%d records x %d columns, %.1f MB\n", record_count, column_count, file_size / 1e6);
    session.ratio("xess_vs_fgets", "BM_xess_read", "BM_line_scan",
                  "XESS read and normalise / line-by-line scan (fgets), goal at most 2");
    session.ratio("xess_vs_block_split", "BM_xess_read", "BM_block_line_split",
                  "XESS read and normalise / block read + memchr split");
    session.ratio("xess_vs_host_blocks", "BM_xess_read", "BM_host_blocks",
                  "XESS read and normalise / making the table's host blocks alone");
    if (peak > 0) {
        std::printf("  peak resident memory added by one read: %.1f MB\n", peak / 1e6);
        session.figure("xess_peak_memory_vs_file", peak / file_size,
                       "peak resident memory of one read / file size");
    }
    return ok ? 0 : 1;
}
