# Script mode: install, then build and run a consumer two ways.
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed")
endif()
file(GLOB_RECURSE pc_files ${prefix}/*/cvstvshareint.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
get_filename_component(libdir ${pc_dir} DIRECTORY)

# pkg-config
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs cvstvshareint vexahost
  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "pkg-config does not know cvstvshareint and vexahost")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
execute_process(COMMAND cc -std=c11 -Wall -Werror ${SOURCE}/consumer.c ${flags} -Wl,-rpath,${libdir}
  -o ${WORK}/consumer_pc RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer does not build with pkg-config flags")
endif()
execute_process(COMMAND ${WORK}/consumer_pc OUTPUT_VARIABLE out RESULT_VARIABLE rc)
message("pkg-config: ${out}")

# find_package
file(WRITE ${WORK}/app/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(consumer C)
find_package(cvstvshareint REQUIRED COMPONENTS vexahost)
add_executable(consumer ${SOURCE}/consumer.c)
target_link_libraries(consumer PRIVATE cvstvshareint::cvstvshareint cvstvshareint::vexahost)
set_target_properties(consumer PROPERTIES BUILD_RPATH ${libdir})
")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK}/app -B ${WORK}/app/build -DCMAKE_PREFIX_PATH=${prefix}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "find_package(cvstvshareint) failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/app/build RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "consumer does not build with find_package")
endif()
execute_process(COMMAND ${WORK}/app/build/consumer OUTPUT_VARIABLE out)
message("find_package: ${out}")
