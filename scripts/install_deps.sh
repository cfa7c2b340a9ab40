#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test,
# benchmark and fuzz. Runs apt-get only for what is missing; needs root or
# sudo when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  unixodbc unixodbc-dev odbcinst
  libfreexl-dev libsqlite3-dev valgrind nlohmann-json3-dev
  python3 python3-xlrd python3-xlwt python3-pyodbc python3-pandas gnumeric
  locales
  clang libclang-rt-14-dev clang-format
  util-linux
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [[ $(id -u) -eq 0 ]]; then
  SUDO=()
else
  SUDO=(sudo)
fi

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -qq
  "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A decimal-comma locale for the tests that check number reading and writing
# do not depend on LC_NUMERIC.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  echo "Generating locale de_DE.UTF-8"
  "${SUDO[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
