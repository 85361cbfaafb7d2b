# Makes the Debian package of this build tree, unpacks it into a folder of its own and runs the
# tool from there: it must find its bundles and libraries with no help from the environment. With
# PYTHON_TESTS (the build has the Python module), the unpacked module passes the module's tests with
# the unpacked tool as their reference, and a one-liner run from SOURCE_DIR prints EXPECTED_MARKDOWN.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DEXAMPLE=... -DEXPECTED=...
#         [-DPYTHON_TESTS=... -DSOURCE_DIR=... -DEXPECTED_MARKDOWN=... [-DGENDOC=...]] -P PackageTest.cmake
foreach(var BUILD_DIR WORK_DIR EXAMPLE EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "PackageTest.cmake needs -D${var}=...")
  endif()
endforeach()

include("${CMAKE_CURRENT_LIST_DIR}/../support/RunStep.cmake")

file(REMOVE_RECURSE "${WORK_DIR}")
run_step("cpack" cpack --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}")
file(GLOB packages "${WORK_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${WORK_DIR}, found: ${packages}")
endif()

run_step("reading the package's fields" dpkg-deb -f "${packages}" Package Depends)
if(NOT step_output MATCHES "Package: richmarkup\n" OR NOT step_output MATCHES "Depends: [^\n]*libboost-log")
  message(FATAL_ERROR "the package's fields:\n${step_output}")
endif()

set(root "${WORK_DIR}/unpacked")
run_step("unpacking" dpkg-deb -x "${packages}" "${root}")
foreach(file
    usr/bin/richmarkup-build
    usr/lib/libztrichmarkup_build_json_richtext.so
    usr/lib/libztrichmarkup_build_json_code.so
    usr/lib/librichmarkup_host.so.0
    usr/include/richmarkup/host/DocumentHost.hpp
    usr/lib/cmake/richmarkup/richmarkupConfig.cmake
    usr/lib/pkgconfig/richmarkup.pc
    usr/share/richmarkup/richtext.schema.json
    usr/share/man/man1/richmarkup-build.1.gz
    usr/share/bash-completion/completions/richmarkup-build)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "the package has no ${file}")
  endif()
endforeach()

run_step("the unpacked tool" "${CMAKE_COMMAND}" -E env --unset=LD_LIBRARY_PATH
         "${root}/usr/bin/richmarkup-build" "${EXAMPLE}")
file(READ "${EXPECTED}" expected)
if(NOT step_output STREQUAL expected)
  message(FATAL_ERROR "the unpacked tool printed:\n${step_output}")
endif()

if(PYTHON_TESTS)
  foreach(var SOURCE_DIR EXPECTED_MARKDOWN)
    if(NOT DEFINED ${var})
      message(FATAL_ERROR "PackageTest.cmake needs -D${var}=... with PYTHON_TESTS")
    endif()
  endforeach()
  set(site "${root}/usr/lib/python3/dist-packages")
  file(GLOB extension "${site}/richmarkup/_richmarkup*.so")
  foreach(file __init__.py __init__.pyi py.typed)
    if(NOT EXISTS "${site}/richmarkup/${file}")
      message(FATAL_ERROR "the package has no usr/lib/python3/dist-packages/richmarkup/${file}")
    endif()
  endforeach()
  if(NOT extension)
    message(FATAL_ERROR "the package has no usr/lib/python3/dist-packages/richmarkup/_richmarkup*.so")
  endif()
  # As the package's Python users run it: /usr/bin/python3, nothing in the environment but where
  # the package was unpacked to.
  set(python "${CMAKE_COMMAND}" -E env --unset=LD_LIBRARY_PATH "PYTHONPATH=${site}" PYTHONDONTWRITEBYTECODE=1)
  run_step("importing the unpacked module" ${python} /usr/bin/python3 -c "import richmarkup\nprint(richmarkup.__file__)")
  if(NOT step_output STREQUAL "${site}/richmarkup/__init__.py\n")
    message(FATAL_ERROR "python3 imported ${step_output}, not the unpacked module")
  endif()
  run_step("the Python module's tests on the unpacked module"
           ${python} "RICHMARKUP_TOOL=${root}/usr/bin/richmarkup-build" "RICHMARKUP_EXAMPLES=${SOURCE_DIR}/examples"
           "RICHMARKUP_GENDOC=${GENDOC}" /usr/bin/python3 -m pytest -q -p no:cacheprovider "${PYTHON_TESTS}")
  # From a folder of its own: the source tree's root may hold a richmarkup link to the build tree's
  # module, which python3 -c would import first. Not through run_step: its arguments would split
  # the program at its semicolon.
  set(oneliner_dir "${WORK_DIR}/oneliner")
  file(COPY "${SOURCE_DIR}/examples/showcase.json" DESTINATION "${oneliner_dir}/examples")
  execute_process(COMMAND ${python} /usr/bin/python3 -c
                  "import richmarkup; print(richmarkup.convert(open('examples/showcase.json').read(), to='markdown'))"
                  WORKING_DIRECTORY "${oneliner_dir}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(READ "${EXPECTED_MARKDOWN}" expected)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "${expected}\n")
    message(FATAL_ERROR "the Python one-liner (${rc}) printed:\n${out}\n${err}")
  endif()
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
