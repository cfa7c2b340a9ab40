#!/usr/bin/env bash
# The whole check. Installs what is missing first (Debian 12, root or sudo),
# then:
#   1. every C and C++ source is formatted with the committed .clang-format;
#   2. a GCC Release build with warnings as errors, benchmarks included, and
#      the whole test suite on it;
#   3. a clang build with AddressSanitizer and UndefinedBehaviorSanitizer,
#      warnings as errors, fuzz harnesses included, and the whole test suite
#      on it, which also replays every fuzz seed corpus once.
# Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

started=$SECONDS
step() { echo "== $* ($((SECONDS - started)) s)"; }

"$ROOT/scripts/install_deps.sh"

step "format"
"$ROOT/scripts/format.sh" --check

step "GCC Release build (warnings are errors, benchmarks)"
CC=gcc CXX=g++ configure_and_build build-release \
  -DCMAKE_BUILD_TYPE=Release -DCVSTV_WERROR=ON -DCVSTV_BUILD_BENCH=ON
step "tests (GCC Release)"
ctest --test-dir "$ROOT/build-release" --output-on-failure -j "$JOBS"

step "clang build with AddressSanitizer and UndefinedBehaviorSanitizer (warnings are errors, fuzz harnesses)"
CC=clang CXX=clang++ configure_and_build build-sanitize \
  -DCVSTV_SANITIZE=ON -DCVSTV_WERROR=ON -DCVSTV_BUILD_FUZZ=ON
step "tests and fuzz seed replay (clang, sanitizers)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$ROOT/build-sanitize" --output-on-failure -j "$JOBS"

step "all checks passed"
