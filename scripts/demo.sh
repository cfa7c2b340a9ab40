#!/usr/bin/env bash
# Builds the project and runs the main job on the example kit. Installs what
# is missing first (Debian 12, root or sudo).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$ROOT/scripts/install_deps.sh"
configure_and_build build >/dev/null

CVSTV="$ROOT/build/tools/cvstv/cvstv"
# The build generates a copy of the kit with its catalogues as .xls
# workbooks and .xs4 text exports; the demo works on that copy.
BUILT_KIT="$ROOT/build/examples/kit"
run() { echo "\$ cvstv $*"; "$CVSTV" "$@"; echo; }

echo "== Kit paths on the example kit"
run --kit "$BUILT_KIT" fspec --kind mold0 --wizard 1 /application kr_cavora.tbr
run --kit "$BUILT_KIT" fspec --kind mold1 --wizard 2 /templates stv_add_in.xla
run --kit "$BUILT_KIT" fspec --kind mold1 --wizard 3 /configuration presdes_config.txt
run --kit "$BUILT_KIT" fspec --kind data --wizard 1 / cv_material.xs4
run --kit "$BUILT_KIT" fspec --kind menu --variable TOOLING_BASE_DIR /application libcvstv_share.dll

echo "== Sheets of the thread-standard workbook, by each read method"
for method in xess excel odbc; do
  run --kit "$BUILT_KIT" sheets --method "$method" thread_standard_dat.xls
done

echo "== Socket head cap screws M8, at least 20 long, by each read method"
for method in xess excel odbc; do
  run --kit "$BUILT_KIT" lookup --dir /standard/screws --method "$method" \
    --field PART_NUMBER --field DK --field K --field S cap_screw.xls::Steel "D==8 && L>=20"
done

echo "== Shrinkage scale factor of PA66 and of POM"
run --kit "$BUILT_KIT" lookup --method xess --field FAMILY cv_material.xs4 "MATERIAL==PA66"
run --kit "$BUILT_KIT" lookup --method odbc --field SHRINK_MIN --field SHRINK_MAX cv_material.xs4 "MATERIAL==POM"

echo "== Tapped hole for M10x1.5 and for 1/4-20 UNC (JSON)"
run --kit "$BUILT_KIT" lookup --method excel --field TAP_DRILL_DIA --field MINOR_DIA --field DEPTH \
  thread_standard_dat.xls::Metric "SCREW_DIA==10 && THREAD_PITCH==1.5"
run --kit "$BUILT_KIT" lookup --json --method odbc --field TAP_DRILL_DIA --field MINOR_DIA \
  thread_standard_dat.xls::Unified "SCREW_DIA==1/4 && THREAD_PITCH==0.05"

echo "== Switching Cavora on: toolbar, drafting palettes, companion library, translation file"
run --kit "$BUILT_KIT" app on cavora

echo "== Customer defaults: a layer, the naming rules, a Strivo colour and length from its settings workbook"
run --kit "$BUILT_KIT" default --kind 1 CV_DatumLayer
run --kit "$BUILT_KIT" default --kind 7 CV_Part_Name_Rule
run --kit "$BUILT_KIT" default --wizard 2 --kind 3 CV_PartingLinesColor
run --kit "$BUILT_KIT" default --json --wizard 2 --kind 2 --units english STV_StripLiftClearance

echo "== Materials with their shrinkage scale factors"
run --kit "$BUILT_KIT" material

echo "== Tapped holes: 1/4-20 UNC in a metric part, M10x1.5 in an English part (JSON)"
run --kit "$BUILT_KIT" thread --units metric --form Unified 0.25 0.05
run --kit "$BUILT_KIT" thread --json --units english --form Metric 10 1.5

echo "== The example mould project: its assembly tree and the top part's attributes"
run --kit "$BUILT_KIT" part tree projects/P100/P100_top.prt
run --kit "$BUILT_KIT" part attrs projects/P100/P100_top.prt
