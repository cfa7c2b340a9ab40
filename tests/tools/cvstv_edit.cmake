# cvstv edit on a workbook that does not exist yet, under a directory whose
# name a shell would run: the workbook is made from the progressive die's
# template, the program (the spawn probe) receives its path as one argument,
# and nothing in the name is ever run.
file(REMOVE_RECURSE ${SCRATCH})
set(odd "${SCRATCH}/a b;$(touch x)")
file(MAKE_DIRECTORY "${odd}")
set(asked "${odd}/new 'book'.xs4::Sheet1")
set(expected "${odd}/new 'book'.xls")
execute_process(COMMAND ${CMAKE_COMMAND} -E env SPAWN_PROBE_OUT=${SCRATCH}/args.out
                        ${CVSTV} --kit ${KIT} edit --wizard 2 --wait --program ${PROBE} "${asked}"
  WORKING_DIRECTORY ${SCRATCH}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cvstv edit failed (${status}): ${out}${err}")
endif()
if(NOT out STREQUAL "${expected} (created from the template)\n")
  message(FATAL_ERROR "unexpected output: ${out}")
endif()
file(SHA256 "${expected}" made)
file(SHA256 "${KIT}/strivo/templates/stv_template.xls" template)
if(NOT made STREQUAL template)
  message(FATAL_ERROR "the workbook is not a copy of the template")
endif()
file(READ ${SCRATCH}/args.out args HEX)
string(HEX "${expected}" wanted)
if(NOT args STREQUAL "${wanted}00")
  message(FATAL_ERROR "the program did not get the workbook as its one argument: ${args}")
endif()
if(EXISTS "${SCRATCH}/x" OR EXISTS "${odd}/x")
  message(FATAL_ERROR "a part of the path was run")
endif()

# Opened again: the workbook is kept as it is.
execute_process(COMMAND ${CMAKE_COMMAND} -E env SPAWN_PROBE_OUT=${SCRATCH}/args.out
                        ${CVSTV} --kit ${KIT} edit --wizard 2 --wait --program ${PROBE} "${expected}"
  OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "${expected}\n")
  message(FATAL_ERROR "cvstv edit of an existing workbook: ${status} ${out}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
