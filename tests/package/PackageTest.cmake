# Makes the Debian package of this build tree, unpacks it into a folder of its own and runs the
# tool from there: it must find its bundles and libraries with no help from the environment.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DEXAMPLE=... -DEXPECTED=... -P PackageTest.cmake
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
    usr/share/richmarkup/richtext.schema.json)
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
file(REMOVE_RECURSE "${WORK_DIR}")
