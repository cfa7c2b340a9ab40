// The shared session and reporter of the benchmark programs (see
// bench_ratio.h).
#include "bench_ratio.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define CVSTV_BENCH_CALLGRIND 1
#else
#define CVSTV_BENCH_CALLGRIND 0
#endif

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <cstdio>
#include <cstdlib>
#include <map>

#include <malloc.h>
#include <unistd.h>

namespace cvstv::bench {

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

namespace {

// A field of /proc/self/status in KiB; -1 when it cannot be read.
long status_kib(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    std::size_t n = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':')
            return std::atol(line.c_str() + n + 1);
    return -1;
}

} // namespace

double peak_bytes_added(const std::function<bool()> &work)
{
    if (under_valgrind())
        return -1;
    malloc_trim(0);
    long before = status_kib("VmRSS");
    std::ofstream clear("/proc/self/clear_refs");
    if (!(clear << "5" << std::flush) || before < 0)
        return -1;
    bool ok = work();
    long peak = status_kib("VmHWM");
    malloc_trim(0);
    return ok && peak >= before ? static_cast<double>(peak - before) * 1024.0 : -1;
}

bool under_valgrind()
{
#if CVSTV_BENCH_CALLGRIND
    return RUNNING_ON_VALGRIND != 0;
#else
    return false;
#endif
}

// Collection is off outside Timed scopes (callgrind runs with
// --collect-atstart=no); each scope ends with a dump that also zeroes the
// counters, so one dump holds exactly one scope.
Timed::Timed(benchmark::State &state, const char *name) : state_(state), name_(name)
{
#if CVSTV_BENCH_CALLGRIND
    CALLGRIND_TOGGLE_COLLECT;
#endif
}

Timed::~Timed()
{
#if CVSTV_BENCH_CALLGRIND
    CALLGRIND_TOGGLE_COLLECT;
    if (under_valgrind()) {
        std::string label = std::string(name_) + " " + std::to_string(state_.iterations());
        CALLGRIND_DUMP_STATS_AT(label.c_str());
    }
#endif
}

void Timed::pause()
{
    state_.PauseTiming();
#if CVSTV_BENCH_CALLGRIND
    CALLGRIND_TOGGLE_COLLECT;
#endif
}

void Timed::resume()
{
#if CVSTV_BENCH_CALLGRIND
    CALLGRIND_TOGGLE_COLLECT;
#endif
    state_.ResumeTiming();
}

// Keeps the CPU time per iteration of every repetition; shows people the
// median and the coefficient of variation of repeated benchmarks (every run
// of a single one).
class RatioSession::Reporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        std::vector<Run> shown;
        for (const Run &run : runs) {
            if (run.error_occurred) {
                failed = true;
                shown.push_back(run);
                continue;
            }
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                cpu_ns[run.run_name.function_name].push_back(run.cpu_accumulated_time * 1e9 /
                                                             static_cast<double>(run.iterations));
            if (run.repetitions <= 1 || run.aggregate_name == "median" || run.aggregate_name == "cv")
                shown.push_back(run);
        }
        ConsoleReporter::ReportRuns(shown);
    }

    std::map<std::string, std::vector<double>> cpu_ns;
    bool failed = false;
};

RatioSession::RatioSession(int &argc, char **argv) : reporter_(std::make_unique<Reporter>())
{
    arguments_.emplace_back(argc > 0 ? argv[0] : "bench");
    if (under_valgrind()) {
        // Instructions do not vary: one short repetition is enough.
        arguments_.emplace_back("--benchmark_repetitions=1");
        arguments_.emplace_back("--benchmark_min_time=0.01");
    } else {
        if (!::isatty(STDOUT_FILENO))
            arguments_.emplace_back("--benchmark_color=false");
        arguments_.emplace_back("--benchmark_repetitions=5");
        arguments_.emplace_back("--benchmark_enable_random_interleaving=true");
        arguments_.emplace_back("--benchmark_min_time=0.2");
    }
    for (int i = 1; i < argc; ++i)
        arguments_.emplace_back(argv[i]);
    for (std::string &a : arguments_)
        argv_.push_back(a.data());
    argv_.push_back(nullptr);
    int count = static_cast<int>(argv_.size()) - 1;
    benchmark::Initialize(&count, argv_.data());
    if (benchmark::ReportUnrecognizedArguments(count, argv_.data()))
        std::exit(1);
}

RatioSession::~RatioSession()
{
    benchmark::Shutdown();
}

bool RatioSession::run()
{
    benchmark::RunSpecifiedBenchmarks(reporter_.get());
    return !reporter_->failed;
}

double RatioSession::cpu_ns(const std::string &benchmark) const
{
    auto it = reporter_->cpu_ns.find(benchmark);
    return it == reporter_->cpu_ns.end() ? 0.0 : median(it->second);
}

void RatioSession::header()
{
    if (header_printed_)
        return;
    header_printed_ = true;
    std::printf("\n%s:\n", under_valgrind() ? "Ratios (pairs for the instruction counts)"
                                            : "Ratios (median CPU time per iteration, same run)");
}

double RatioSession::ratio(const char *name, const char *ours, const char *peer, const char *description)
{
    header();
    if (under_valgrind()) {
        std::printf("  %-26s %s\nRATIO_OF %s %s %s\n", name, description, name, ours, peer);
        return 0.0;
    }
    double a = cpu_ns(ours), b = cpu_ns(peer);
    if (a <= 0 || b <= 0) {
        std::printf("  %-26s (not measured)  %s\n", name, description);
        return 0.0;
    }
    double value = a / b;
    std::printf("  %-26s %8.3f  %s\nRATIO %s %.4f\n", name, value, description, name, value);
    return value;
}

void RatioSession::figure(const char *name, double value, const char *description)
{
    header();
    if (under_valgrind())
        return;
    std::printf("  %-26s %8.3f  %s\nRATIO %s %.4f\n", name, value, description, name, value);
}

} // namespace cvstv::bench
