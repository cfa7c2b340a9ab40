#!/usr/bin/env bash
# Formats the project's C and C++ sources with the committed .clang-format,
# or with --check lists the files that differ from it and fails.
#
#   scripts/format.sh            rewrite every tracked source in place
#   scripts/format.sh --check    change nothing; exit 1 if a file is unformatted
#   scripts/format.sh FILE...    rewrite only these files
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

# The style is pinned to one clang-format release: another may lay the same
# code out differently.
CLANG_FORMAT=${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format || true)}
if [[ -z $CLANG_FORMAT ]]; then
  echo "format.sh: clang-format not found (scripts/install_deps.sh installs it)" >&2
  exit 2
fi

check=0
if [[ ${1:-} == --check ]]; then
  check=1
  shift
fi
if (($# > 0)); then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.c' '*.h' '*.cpp')
fi
((${#files[@]} > 0)) || exit 0

if ((check)); then
  # One run over every file; each place it would change is reported as
  # "file:line:column: error: ...".
  status=0
  out=$("$CLANG_FORMAT" --dry-run --Werror "${files[@]}" 2>&1) || status=$?
  mapfile -t unformatted < <(printf '%s\n' "$out" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u)
  if ((status != 0 && ${#unformatted[@]} == 0)); then
    printf '%s\n' "$out" >&2
    exit 2
  fi
  if ((${#unformatted[@]} > 0)); then
    echo "Not formatted with the committed .clang-format (run scripts/format.sh):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
  fi
  echo "${#files[@]} files formatted"
else
  "$CLANG_FORMAT" -i "${files[@]}"
fi
