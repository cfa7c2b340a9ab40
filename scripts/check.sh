#!/usr/bin/env bash
# The whole test suite, twice: a normal build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build. Installs what is missing first (Debian 12,
# root or sudo). Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$ROOT/scripts/install_deps.sh"

echo "== normal build"
configure_and_build build
echo "== tests (normal build)"
ctest --test-dir "$ROOT/build" --output-on-failure -j "$JOBS"

echo "== sanitizer build (address, undefined)"
configure_and_build build-asan -DCVSTV_SANITIZE=ON
echo "== tests (sanitizer build)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$JOBS"

echo "== all checks passed"
