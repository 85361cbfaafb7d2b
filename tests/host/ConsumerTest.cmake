# Installs the build tree into a fresh prefix, builds the consumer project against that prefix
# alone, and runs both the consumer and the installed tool.
#   cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DWORK_DIR=... -DGENERATOR=... [-DCXX=...] [-DCXX_FLAGS=...]
#         -P ConsumerTest.cmake
foreach(var BUILD_DIR CONSUMER_DIR WORK_DIR GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ConsumerTest.cmake needs -D${var}=...")
  endif()
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/../support/RunStep.cmake")

set(prefix "${WORK_DIR}/prefix")
set(build "${WORK_DIR}/build")
file(REMOVE_RECURSE "${WORK_DIR}")

run_step("install" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

set(compiler_args "")
if(CXX)
  set(compiler_args "-DCMAKE_CXX_COMPILER=${CXX}")
endif()
if(CXX_FLAGS)
  list(APPEND compiler_args "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
endif()
run_step("configure of the consumer" "${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${build}" -G "${GENERATOR}"
         "-DCMAKE_PREFIX_PATH=${prefix}" -DCMAKE_BUILD_TYPE=Release ${compiler_args})
run_step("build of the consumer" "${CMAKE_COMMAND}" --build "${build}")

run_step("the consumer" "${build}/consumer")
set(expected "RichTextParagraphNode alignment=left\n  RichTextNode \"installed\"\n")
if(NOT step_output STREQUAL expected)
  message(FATAL_ERROR "the consumer printed:\n${step_output}\nexpected:\n${expected}")
endif()

# The same program built with pkg-config alone, as a Makefile would build it.
file(GLOB_RECURSE pc_file "${prefix}/*/richmarkup.pc")
if(NOT pc_file)
  message(FATAL_ERROR "the install tree has no richmarkup.pc")
endif()
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
run_step("pkg-config" "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${pc_dir}" pkg-config --cflags --libs richmarkup)
string(STRIP "${step_output}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS}")
set(compiler "${CXX}")
if(NOT compiler)
  set(compiler c++)
endif()
run_step("the pkg-config build" "${compiler}" -std=c++17 ${extra_flags} "${CONSUMER_DIR}/main.cpp" ${pc_flags}
         -o "${WORK_DIR}/pc-consumer")
get_filename_component(lib_dir "${pc_dir}" DIRECTORY)
run_step("the pkg-config consumer" "${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${lib_dir}" "${WORK_DIR}/pc-consumer")
if(NOT step_output STREQUAL expected)
  message(FATAL_ERROR "the pkg-config consumer printed:\n${step_output}")
endif()

# The installed tool finds the installed bundles beside itself.
file(GLOB tool "${prefix}/bin/richmarkup-build")
run_step("the installed tool" "${tool}" --list-builders)
if(NOT step_output MATCHES "richmarkup::build::json::NodeBuilder\tRichTextParagraphNodeBuilderImpl")
  message(FATAL_ERROR "the installed tool listed:\n${step_output}")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
