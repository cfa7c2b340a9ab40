// What every benchmark program of this folder shares: one run of its
// benchmarks and its figures printed as ratios against a peer measured in
// the same run.
//
// A program registers its benchmarks as usual, builds its fixtures before
// the first benchmark runs (so that every benchmark sees the same heap,
// whatever the order), then hands over to a RatioSession:
//
//     cvstv::bench::RatioSession session(argc, argv);
//     if (!session.run())
//         return 1;
//     session.ratio("search_vs_sqlite", "BM_ours", "BM_peer", "what it means");
//
// Unless the command line says otherwise, each benchmark is measured in
// several repetitions, randomly interleaved with the repetitions of every
// other benchmark of the program, so ours and the peer share the machine's
// good and bad moments. A ratio is the median CPU time per iteration of
// ours over the peer's. It is printed for people and once more as
//     RATIO <name> <value>
// for bench/run.sh, which runs each program several times and reports the
// median and range of every ratio.
//
// Under callgrind (bench/run.sh --instructions) the programs count
// instructions instead: a Timed guard in each benchmark turns collection on
// for exactly the timed part of the loop and dumps the count with the
// benchmark's name and iterations when the loop ends, and the session
// prints RATIO_OF <name> <ours> <peer> so the script can pair the dumps.
// Instruction counts do not depend on what else runs on the machine.
#ifndef CVSTV_BENCH_BENCH_RATIO_H
#define CVSTV_BENCH_BENCH_RATIO_H

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <functional>
#include <vector>

namespace cvstv::bench {

// True when the program runs under valgrind.
bool under_valgrind();

// What running `work` once adds to the process's peak resident memory, in
// bytes: the heap is given back to the system, the peak is reset
// (/proc/self/clear_refs) and compared with the resident size before.
// -1 when the kernel does not allow resetting the peak, under valgrind, or
// when `work` answers false.
double peak_bytes_added(const std::function<bool()> &work);

// Scope of a benchmark's timed loop. Construct it right before
// `for (auto _ : state)` with the benchmark's name (__func__); route every
// PauseTiming / ResumeTiming through it. Without valgrind it only forwards
// the pauses.
class Timed {
  public:
    Timed(benchmark::State &state, const char *name);
    ~Timed();
    Timed(const Timed &) = delete;
    Timed &operator=(const Timed &) = delete;

    void pause();
    void resume();

  private:
    benchmark::State &state_;
    const char *name_;
};

class RatioSession {
  public:
    // Adds the defaults (repetitions, interleaving, time per repetition)
    // ahead of the caller's arguments, which win, and initialises the
    // benchmark library. Exits with status 1 on an unknown argument.
    RatioSession(int &argc, char **argv);
    ~RatioSession();
    RatioSession(const RatioSession &) = delete;
    RatioSession &operator=(const RatioSession &) = delete;

    // Runs the registered benchmarks. False when one of them failed.
    bool run();

    // Median CPU time per iteration in nanoseconds over the repetitions of
    // a benchmark (its function name); 0 when it did not run.
    double cpu_ns(const std::string &benchmark) const;

    // Prints the ratio of two benchmarks' median CPU times, with the
    // description for people and the RATIO line for scripts. Returns it
    // (0 when either did not run; no RATIO line then).
    double ratio(const char *name, const char *ours, const char *peer, const char *description);

    // Prints a figure that is not a ratio of two benchmarks (computed by
    // the program) in the same two forms.
    void figure(const char *name, double value, const char *description);

  private:
    class Reporter;
    std::unique_ptr<Reporter> reporter_;
    std::vector<std::string> arguments_;
    std::vector<char *> argv_;
    bool header_printed_ = false;
    void header();
};

} // namespace cvstv::bench

#endif
