#!/usr/bin/env bash
# The installed copy on its own. Installs the build into a scratch prefix,
# hides the build tree (an empty file system mounted over it in a private
# mount namespace; where namespaces are not allowed, the tree is moved away
# for the moment), then runs the installed cvstv (--help, a look-up by every
# read method) and builds and runs a C application against the prefix with
# pkg-config and with find_package.
#
# usage: installed_copy_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

if [[ ${1:-} == --hidden ]]; then
  phase=hidden
  shift
else
  phase=outer
fi
build=$1
source=$2

checks() {
  local prefix=$1 work=$2
  cd "$work"
  if [[ -e $build/CMakeCache.txt ]]; then
    echo "the build tree is still visible"
    return 1
  fi
  local cvstv=$prefix/bin/cvstv
  unset ODBCSYSINI KRAX_BASE_DIR CAVORA_DIR STRIVO_DIR FULGO_DIR KRPRESDES_DIR TOOLING_BASE_DIR CV_STANDARDPARTPATH

  "$cvstv" --help | grep -q "example kit in $prefix/share/cvstvshareint/kit"
  echo "cvstv --help: runs, names the installed kit"

  local kit=$prefix/share/cvstvshareint/kit
  for method in xess excel odbc; do
    local got expected
    got=$("$cvstv" lookup --dir /standard/screws --method "$method" --field PART_NUMBER --field DK \
          cap_screw.xls::Steel "D==8 && L>=20")
    expected="workbook: $kit/cavora/standard/screws/cap_screw.xls::Steel ($method)
20
25
30
35
40
45
50
55
60
65
70
80
matches: 12 values: 12
PART_NUMBER=SHCS129-M8x20
DK=13"
    if [[ $got != "$expected" ]]; then
      printf 'cvstv lookup --method %s printed:\n%s\n' "$method" "$got"
      return 1
    fi
    echo "cvstv lookup --method $method: 12 matches from the installed kit"
  done

  # A C application, built with pkg-config; the prefix is no system library
  # directory, so the run path is given at link time.
  export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
  # shellcheck disable=SC2046
  cc -std=c11 -Wall -Wextra -Werror "$source/consumer.c" $(pkg-config --cflags --libs cvstvshareint vexahost) \
     -Wl,-rpath,"$prefix/lib" -o "$work/consumer_pc"
  echo "pkg-config: $("$work/consumer_pc")"

  # The same application built with find_package.
  mkdir -p "$work/app"
  cat >"$work/app/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(consumer C)
find_package(cvstvshareint REQUIRED COMPONENTS vexahost)
add_executable(consumer $source/consumer.c)
target_link_libraries(consumer PRIVATE cvstvshareint::cvstvshareint cvstvshareint::vexahost)
CMAKE
  cmake -S "$work/app" -B "$work/app/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$work/app/build" >/dev/null
  echo "find_package: $("$work/app/build/consumer")"
}

if [[ $phase == hidden ]]; then
  work=$3
  mount -t tmpfs tmpfs "$build"
  checks "$work/prefix" "$work"
  exit
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/cvstv-installed.XXXXXX")
moved=""
cleanup() {
  if [[ -n $moved ]]; then
    mv "$moved" "$build"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
self=$(readlink -f "$0")
if unshare --mount --propagation private true 2>/dev/null; then
  unshare --mount --propagation private "$self" --hidden "$build" "$source" "$work"
elif unshare --user --map-root-user --mount true 2>/dev/null; then
  unshare --user --map-root-user --mount --propagation private "$self" --hidden "$build" "$source" "$work"
else
  echo "no private mount namespace: moving the build tree away for the test"
  moved="$build.hidden-$$"
  mv "$build" "$moved"
  (checks "$work/prefix" "$work")
fi
