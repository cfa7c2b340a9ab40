# Shared by scripts/check.sh and scripts/demo.sh: where things are and how to
# configure and build a tree.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-2}"

# configure_and_build <build dir> [cmake options...]
# The build type is RelWithDebInfo unless the options name another.
configure_and_build() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$ROOT/$dir.configure.log" 2>&1 \
    || { cat "$ROOT/$dir.configure.log"; return 1; }
  cmake --build "$ROOT/$dir" -j "$JOBS"
}
