# Installs the build tree into a fresh prefix, builds the README's embedding example against that
# prefix alone (with the consumer project's CMake file, and again with pkg-config), and runs it and
# the installed tool. The example's source and its output are the README's ```cpp and ```text
# blocks under "## Embed", so the README cannot drift from what works.
#   cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DWORK_DIR=... -DGENERATOR=... [-DREADME=...]
#         [-DCXX=...] [-DCXX_FLAGS=...] -P ConsumerTest.cmake
foreach(var BUILD_DIR CONSUMER_DIR WORK_DIR GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ConsumerTest.cmake needs -D${var}=...")
  endif()
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/../support/RunStep.cmake")
if(NOT README)
  set(README "${CMAKE_CURRENT_LIST_DIR}/../../README.md")
endif()

set(prefix "${WORK_DIR}/prefix")
set(build "${WORK_DIR}/build")
set(source "${WORK_DIR}/source")
file(REMOVE_RECURSE "${WORK_DIR}")

# The text of the first ```LANG block after `text`'s start, and the rest after it.
function(next_block text lang out_block out_rest)
  string(FIND "${text}" "```${lang}\n" open)
  if(open EQUAL -1)
    message(FATAL_ERROR "${README}: no ```${lang} block under \"## Embed\"")
  endif()
  string(LENGTH "```${lang}\n" fence)
  math(EXPR open "${open} + ${fence}")
  string(SUBSTRING "${text}" ${open} -1 rest)
  string(FIND "${rest}" "```" close)
  string(SUBSTRING "${rest}" 0 ${close} block)
  math(EXPR close "${close} + 3")
  string(SUBSTRING "${rest}" ${close} -1 rest)
  set(${out_block} "${block}" PARENT_SCOPE)
  set(${out_rest} "${rest}" PARENT_SCOPE)
endfunction()

file(READ "${README}" readme)
string(FIND "${readme}" "\n## Embed\n" section)
if(section EQUAL -1)
  message(FATAL_ERROR "${README} has no \"## Embed\" section")
endif()
string(SUBSTRING "${readme}" ${section} -1 readme)
next_block("${readme}" "cpp" program readme)
next_block("${readme}" "text" expected readme)
file(WRITE "${source}/main.cpp" "${program}")
file(COPY "${CONSUMER_DIR}/CMakeLists.txt" DESTINATION "${source}")

run_step("install" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

set(compiler_args "")
if(CXX)
  set(compiler_args "-DCMAKE_CXX_COMPILER=${CXX}")
endif()
if(CXX_FLAGS)
  list(APPEND compiler_args "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}")
endif()
run_step("configure of the consumer" "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${GENERATOR}"
         "-DCMAKE_PREFIX_PATH=${prefix}" -DCMAKE_BUILD_TYPE=Release ${compiler_args})
run_step("build of the consumer" "${CMAKE_COMMAND}" --build "${build}")

run_step("the consumer" "${build}/consumer")
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
run_step("the pkg-config build" "${compiler}" -std=c++17 ${extra_flags} "${source}/main.cpp" ${pc_flags}
         -o "${WORK_DIR}/pc-consumer")
get_filename_component(lib_dir "${pc_dir}" DIRECTORY)
run_step("the pkg-config consumer" "${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${lib_dir}" "${WORK_DIR}/pc-consumer")
if(NOT step_output STREQUAL expected)
  message(FATAL_ERROR "the pkg-config consumer printed:\n${step_output}\nexpected:\n${expected}")
endif()

# The installed tool finds the installed bundles beside itself.
file(GLOB tool "${prefix}/bin/richmarkup-build")
run_step("the installed tool" "${tool}" --list-builders)
if(NOT step_output MATCHES "richmarkup::build::json::NodeBuilder\tRichTextParagraphNodeBuilderImpl")
  message(FATAL_ERROR "the installed tool listed:\n${step_output}")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
