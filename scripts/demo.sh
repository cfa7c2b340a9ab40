#!/usr/bin/env bash
# Builds the project and runs the main job on the example kit. Installs what
# is missing first (Debian 12, root or sudo).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$ROOT/scripts/install_deps.sh"
configure_and_build build >/dev/null

CVSTV="$ROOT/build/tools/cvstv/cvstv"
KIT="$ROOT/examples/kit"
run() { echo "\$ cvstv $*"; "$CVSTV" "$@"; echo; }

echo "== Kit paths on the example kit"
run --kit "$KIT" fspec --kind mold0 --wizard 1 /application cavora_toolbar.tbr
run --kit "$KIT" fspec --kind mold1 --wizard 2 /templates stv_add_in.xla
run --kit "$KIT" fspec --kind mold1 --wizard 3 /configuration presdes_config.txt
run --kit "$KIT" fspec --kind data --wizard 1 /configuration cv_material.xs4
run --kit "$KIT" fspec --kind menu --variable TOOLING_BASE_DIR /application libcvstv_share.dll
