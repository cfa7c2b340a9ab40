# Helpers for the project's components.
#
# Include paths are given per component: a target sees the public headers of
# the components it links and nothing else of the source tree, so no target
# includes another component's internals by accident.

# cvstv_expose_folder(<target>): consumers of <target> include the headers of
# the current source folder as "<folder>/<name>.h" ("workbook/workbook.h"),
# and only those. The include path is a directory of the build tree holding
# one link, named after the folder, to the folder itself.
function(cvstv_expose_folder target)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(root ${CMAKE_CURRENT_BINARY_DIR}/exposed)
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
endfunction()
