# cvstv part tree --json on the example project, read back by Python's json
# module: the tree's shape, a component's reference set, a part's project
# attributes and the reference sets.
execute_process(COMMAND ${CVSTV} --kit ${KIT} part tree --json projects/P100/P100_top.prt
  OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cvstv failed: ${status}")
endif()
set(check [=[
import json, sys
t = json.load(sys.stdin)
assert t["part"] == "P100_top", t["part"]
assert t["attributes"]["KT_PROD_LIST"] == "phone_cover"
layout, moldbase = t["components"]
assert [c["name"] for c in layout["components"]] == ["CAVITY_1", "CAVITY_2"]
core = layout["components"][1]["components"][1]
assert core["part"] == "P100_core" and core["reference_set"] == "TRUE" and core["loaded"], core
assert moldbase["reference_set"] is None
assert {"part": "screw_M8", "name": "FALSE", "members": ["POCKET"]} in t["reference_sets"]
assert t["not_loaded"] == []
]=])
set(json_file ${CMAKE_CURRENT_BINARY_DIR}/part_tree.json)
file(WRITE ${json_file} "${out}")
execute_process(COMMAND ${PYTHON} -c "${check}" INPUT_FILE ${json_file} RESULT_VARIABLE py)
if(NOT py EQUAL 0)
  message(FATAL_ERROR "the JSON tree is not as expected:\n${out}")
endif()
