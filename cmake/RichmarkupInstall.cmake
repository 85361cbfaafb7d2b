# What `cmake --install` puts in place: the tool, the bundles, the libraries, the Python module,
# the public headers, and a package configuration so that another project can
#   find_package(richmarkup)  and  target_link_libraries(app PRIVATE richmarkup::host)
# Include once, after every library, bundle and tool target is defined.
include_guard(GLOBAL)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(richmarkup_install_cmakedir "${CMAKE_INSTALL_LIBDIR}/cmake/richmarkup")

# Libraries, exported as richmarkup::<name without the prefix> (richmarkup::host, ...).
set(richmarkup_exported "")
foreach(library
    richmarkup_i18n richmarkup_json richmarkup_log richmarkup_model richmarkup_core
    richmarkup_framework_access richmarkup_formats richmarkup_pandoc richmarkup_host)
  if(TARGET ${library})
    string(REGEX REPLACE "^richmarkup_" "" export_name "${library}")
    set_target_properties(${library} PROPERTIES EXPORT_NAME ${export_name})
    list(APPEND richmarkup_exported ${library})
  endif()
endforeach()
# Shared libraries carry the ABI in their SONAME (librichmarkup_host.so.0): a program built against
# one release finds the libraries it can run with.
foreach(library IN LISTS richmarkup_exported)
  set_target_properties(${library} PROPERTIES VERSION "${PROJECT_VERSION}" SOVERSION "${PROJECT_VERSION_MAJOR}")
endforeach()

# The bundled runtime goes with them as richmarkup::runtime; a CppMicroServices install is
# the consumer's own, found again by the package configuration.
if(RICHMARKUP_RUNTIME STREQUAL "bundled")
  set_target_properties(CppMicroServices PROPERTIES EXPORT_NAME runtime
    VERSION "${PROJECT_VERSION}" SOVERSION "${PROJECT_VERSION_MAJOR}")
  list(APPEND richmarkup_exported CppMicroServices)
endif()
install(TARGETS ${richmarkup_exported}
  EXPORT richmarkupTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

# The bundles install themselves (richmarkup_install_bundle() beside each one) into the library
# directory, where the host looks for them.

if(TARGET richmarkup-build)
  install(TARGETS richmarkup-build RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  # Tab completion, where Debian's bash-completion loads it on the first Tab after the command.
  install(FILES "${PROJECT_SOURCE_DIR}/tools/richmarkup-build/completion/richmarkup-build"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
  # richmarkup-build(1): pandoc makes the roff of the Markdown source at build time, so that the
  # source is all there is to edit; gzip -9n as Debian compresses manual pages (no name, no time
  # stamp: the same bytes every build). RICHMARKUP_MANUAL_PAGE is the roff, for the tests.
  find_program(RICHMARKUP_PANDOC pandoc)
  find_program(RICHMARKUP_GZIP gzip)
  if(RICHMARKUP_PANDOC AND RICHMARKUP_GZIP)
    set(RICHMARKUP_MANUAL_PAGE "${PROJECT_BINARY_DIR}/man/richmarkup-build.1")
    set(richmarkup_manual_source "${PROJECT_SOURCE_DIR}/docs/man/richmarkup-build.1.md")
    add_custom_command(OUTPUT "${RICHMARKUP_MANUAL_PAGE}" "${RICHMARKUP_MANUAL_PAGE}.gz"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/man"
      COMMAND "${RICHMARKUP_PANDOC}" --standalone --from=markdown-smart --to=man
              "--variable=footer:richmarkup ${PROJECT_VERSION}" "--output=${RICHMARKUP_MANUAL_PAGE}"
              "${richmarkup_manual_source}"
      COMMAND "${RICHMARKUP_GZIP}" -9nkf "${RICHMARKUP_MANUAL_PAGE}"
      DEPENDS "${richmarkup_manual_source}"
      COMMENT "Making the manual page richmarkup-build(1)"
      VERBATIM)
    add_custom_target(richmarkup_manual ALL DEPENDS "${RICHMARKUP_MANUAL_PAGE}.gz")
    install(FILES "${RICHMARKUP_MANUAL_PAGE}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  else()
    set(RICHMARKUP_MANUAL_PAGE "")
    message(WARNING "pandoc or gzip not found: the manual page richmarkup-build(1) is neither made nor installed")
  endif()
endif()

# The Python package, where Debian's python3 looks (dist-packages, not the multiarch library
# folder); the extension finds the libraries from there, wherever the tree is unpacked.
if(TARGET richmarkup_python)
  set(RICHMARKUP_PYTHON_INSTALL_DIR "lib/python3/dist-packages/richmarkup" CACHE STRING
    "The folder of the Python package richmarkup, under the install prefix unless absolute")
  if(IS_ABSOLUTE "${RICHMARKUP_PYTHON_INSTALL_DIR}")
    set(python_install_full_dir "${RICHMARKUP_PYTHON_INSTALL_DIR}")
  else()
    set(python_install_full_dir "${CMAKE_INSTALL_PREFIX}/${RICHMARKUP_PYTHON_INSTALL_DIR}")
  endif()
  file(RELATIVE_PATH python_to_lib "${python_install_full_dir}" "${CMAKE_INSTALL_FULL_LIBDIR}")
  string(REGEX REPLACE "/$" "" python_to_lib "${python_to_lib}")
  set_target_properties(richmarkup_python PROPERTIES INSTALL_RPATH "$ORIGIN/${python_to_lib}")
  install(TARGETS richmarkup_python LIBRARY DESTINATION "${RICHMARKUP_PYTHON_INSTALL_DIR}")
  install(FILES
    "${PROJECT_SOURCE_DIR}/python/richmarkup/__init__.py"
    "${PROJECT_SOURCE_DIR}/python/richmarkup/__init__.pyi"
    "${PROJECT_SOURCE_DIR}/python/richmarkup/py.typed"
    DESTINATION "${RICHMARKUP_PYTHON_INSTALL_DIR}")
endif()

# Public headers: the service interfaces, the platform libraries, the host; the runtime's
# apart, where a CppMicroServices install does not put its own.
if(RICHMARKUP_RUNTIME STREQUAL "bundled")
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/runtime/include/"
    DESTINATION "${RICHMARKUP_RUNTIME_INSTALL_INCLUDEDIR}"
    FILES_MATCHING PATTERN "*.h" PATTERN "*.hpp")
endif()
foreach(include_dir
    include
    platform/i18n/include platform/json/include platform/log/include platform/model/include
    platform/core/include platform/framework/include
    formats/include pandoc/include host/include host/startup/include)
  if(IS_DIRECTORY "${PROJECT_SOURCE_DIR}/${include_dir}")
    install(DIRECTORY "${PROJECT_SOURCE_DIR}/${include_dir}/"
      DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
      FILES_MATCHING PATTERN "*.h" PATTERN "*.hpp")
  endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/schema/richtext.schema.json DESTINATION ${CMAKE_INSTALL_DATADIR}/richmarkup)

install(EXPORT richmarkupTargets
  NAMESPACE richmarkup::
  DESTINATION "${richmarkup_install_cmakedir}")
configure_package_config_file(
  "${PROJECT_SOURCE_DIR}/cmake/richmarkupConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/richmarkupConfig.cmake"
  INSTALL_DESTINATION "${richmarkup_install_cmakedir}"
  PATH_VARS CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(
  "${PROJECT_BINARY_DIR}/richmarkupConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}"
  COMPATIBILITY SameMinorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/richmarkupConfig.cmake"
  "${PROJECT_BINARY_DIR}/richmarkupConfigVersion.cmake"
  DESTINATION "${richmarkup_install_cmakedir}")

# pkg-config: richmarkup.pc finds its prefix from where it lies, so the tree can be installed
# anywhere (cmake --install --prefix, or the Debian package under /usr).
file(RELATIVE_PATH richmarkup_pc_to_prefix "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" richmarkup_pc_to_prefix "${richmarkup_pc_to_prefix}")
configure_file("${PROJECT_SOURCE_DIR}/cmake/richmarkup.pc.in" "${PROJECT_BINARY_DIR}/richmarkup.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/richmarkup.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
