#!/usr/bin/env bash
# Builds the benchmark programs (Release) and runs each of them several
# times, then prints every ratio they report as
#     RATIO <name> <median> <min> <max>
# over the runs. Each program measures ours and its peer in the same
# process, interleaving their repetitions, and prints its own ratios as
# "RATIO <name> <value>"; any program of the bench folder that does is
# picked up, so a new one needs no change here.
#
# The runs go round the programs in turn (run 1 of every program, then run
# 2, ...), so a slow minute of a shared machine spreads over all figures
# instead of spoiling one. Logs of every run are kept in <build>/bench-logs.
#
# With --instructions the programs run once each under callgrind instead,
# counting instructions in exactly the timed part of each benchmark, and the
# script prints "INSTRUCTIONS <name> <ratio> <ours per iteration> <peer per
# iteration>": a figure that does not depend on the machine's load or speed
# (it does not see memory stalls either, so it complements the times).
#
# Usage: bench/run.sh [--runs N] [--build DIR] [--only REGEX] [--no-build]
#                     [--instructions] [-- benchmark arguments...]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS=5
BUILD="$ROOT/build-bench"
ONLY=""
DO_BUILD=1
INSTRUCTIONS=0
EXTRA=()

usage() { sed -n '2,21p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit "${1:-0}"; }

while (($#)); do
  case "$1" in
    --runs) RUNS="$2"; shift 2 ;;
    --build) BUILD="$(realpath -m "$2")"; shift 2 ;;
    --only) ONLY="$2"; shift 2 ;;
    --no-build) DO_BUILD=0; shift ;;
    --instructions) INSTRUCTIONS=1; shift ;;
    -h|--help) usage 0 ;;
    --) shift; EXTRA=("$@"); break ;;
    *) echo "unknown argument: $1" >&2; usage 2 ;;
  esac
done
[[ "$RUNS" =~ ^[1-9][0-9]*$ ]] || { echo "--runs needs a positive number" >&2; exit 2; }

if ((DO_BUILD)); then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DCVSTV_BUILD_BENCH=ON -DCVSTV_BUILD_TESTS=OFF \
    "${launcher[@]}" >"$BUILD.configure.log" 2>&1 || { cat "$BUILD.configure.log"; exit 1; }
  cmake --build "$BUILD" -j "${JOBS:-2}" --target benchmarks >"$BUILD.build.log" 2>&1 \
    || { tail -50 "$BUILD.build.log"; exit 1; }
fi

programs=()
while IFS= read -r p; do
  [[ -z "$ONLY" || "$(basename "$p")" =~ $ONLY ]] && programs+=("$p")
done < <(find "$BUILD/bench" -maxdepth 1 -type f -perm -u+x | sort)
((${#programs[@]})) || { echo "no benchmark programs in $BUILD/bench" >&2; exit 1; }

LOGS="$BUILD/bench-logs"
mkdir -p "$LOGS"

machine() {
  local cpu
  cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
  echo "machine: ${cpu:-unknown CPU}, $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
       "$(uname -sr), load average $(cut -d' ' -f1-3 /proc/loadavg)"
}

# Median, smallest and largest of the values of each name, in the order the
# names first appeared.
summarise() {
  awk '
    !($1 in count) { order[++names] = $1 }
    { values[$1, ++count[$1]] = $2 }
    END {
      for (i = 1; i <= names; ++i) {
        name = order[i]; n = count[name]
        for (j = 1; j <= n; ++j) v[j] = values[name, j] + 0
        for (j = 2; j <= n; ++j) { x = v[j]; k = j - 1; while (k > 0 && v[k] > x) { v[k + 1] = v[k]; --k } v[k + 1] = x }
        median = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
        printf "RATIO %s %.3f %.3f %.3f\n", name, median, v[1], v[n]
      }
    }' "$1"
}

if ((INSTRUCTIONS)); then
  command -v valgrind >/dev/null || { echo "--instructions needs valgrind" >&2; exit 1; }
  machine
  for p in "${programs[@]}"; do
    name="$(basename "$p")"
    dumps="$LOGS/$name.callgrind"
    rm -rf "$dumps" && mkdir -p "$dumps"
    echo "== $name under callgrind"
    if ! valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$dumps/out.%p" \
         "$p" "${EXTRA[@]}" >"$LOGS/$name.instructions.log" 2>"$LOGS/$name.valgrind.log"; then
      echo "   failed; see $LOGS/$name.instructions.log and $LOGS/$name.valgrind.log"
      continue
    fi
    # Instructions and iterations of every dump, summed per benchmark.
    for f in "$dumps"/out.*; do
      awk '/^desc: Trigger: Client Request: / { bench = $5; iters = $6 }
           /^(summary|totals): / { ir = $2 }
           END { if (bench != "" && iters > 0) print bench, iters, ir }' "$f"
    done | awk '{ it[$1] += $2; ir[$1] += $3 } END { for (b in it) print b, ir[b] / it[b] }' >"$dumps/per_iteration"
    grep '^RATIO_OF ' "$LOGS/$name.instructions.log" | while read -r _ ratio ours peer; do
      awk -v r="$ratio" -v a="$ours" -v b="$peer" '
        { per[$1] = $2 }
        END {
          if (per[a] > 0 && per[b] > 0) printf "INSTRUCTIONS %s %.3f %.0f %.0f\n", r, per[a] / per[b], per[a], per[b]
          else printf "INSTRUCTIONS %s (not counted)\n", r
        }' "$dumps/per_iteration"
    done
  done
  exit 0
fi

results="$LOGS/ratios.txt"
: >"$results"
machine
echo "runs: $RUNS of ${#programs[@]} programs (logs in $LOGS)"
for ((run = 1; run <= RUNS; ++run)); do
  for p in "${programs[@]}"; do
    name="$(basename "$p")"
    log="$LOGS/$name.$run.log"
    status=0
    "$p" "${EXTRA[@]}" >"$log" 2>&1 || status=$?
    found="$(awk '$1 == "RATIO" && NF == 3 { print $2, $3 }' "$log")"
    if ((status != 0)); then
      echo "run $run: $name failed (status $status); see $log"
    elif [[ -z "$found" ]]; then
      echo "run $run: $name printed no ratio"
    else
      echo "run $run: $name:" $(awk '$1 == "RATIO" && NF == 3 { printf "%s=%s ", $2, $3 }' "$log")
      echo "$found" >>"$results"
    fi
  done
done
echo "load average after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
summarise "$results"
