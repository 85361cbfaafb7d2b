# Building a bundle: a shared library whose component factories are generated from its
# manifest and whose resource archive (the manifest, and any resource files) is appended
# to the library file after linking.
#
#   richmarkup_add_bundle(<target>
#     SYMBOLIC_NAME <name>           # also the archive's top directory and US_BUNDLE_NAME
#     OUTPUT_NAME <basename>         # lib<basename>.so
#     MANIFEST <manifest.json>
#     SOURCES <sources...>
#     [LINK_LIBRARIES <libraries...>]
#     [RESOURCES_DIR <dir>])
#
#   richmarkup_install_bundle(<target>)
#
# Bundles are compiled with hidden visibility: the generated factories and the context
# setter of CPPMICROSERVICES_INITIALIZE_BUNDLE are their only exports. Do not strip an
# installed bundle: stripping drops the appended archive.

include_guard(GLOBAL)

function(richmarkup_add_bundle target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "SYMBOLIC_NAME;OUTPUT_NAME;MANIFEST;RESOURCES_DIR"
                        "SOURCES;LINK_LIBRARIES")
  foreach(required SYMBOLIC_NAME OUTPUT_NAME MANIFEST SOURCES)
    if(NOT ARG_${required})
      message(FATAL_ERROR "richmarkup_add_bundle(${target}): ${required} is required")
    endif()
  endforeach()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "richmarkup_add_bundle(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_SYMBOLIC_NAME MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "richmarkup_add_bundle(${target}): SYMBOLIC_NAME '${ARG_SYMBOLIC_NAME}' must be a C identifier")
  endif()
  foreach(tool richmarkup_factorygen richmarkup_resourcecompiler)
    if(NOT TARGET ${tool})
      message(FATAL_ERROR "richmarkup_add_bundle(${target}): the tool ${tool} is not defined yet")
    endif()
  endforeach()

  get_filename_component(manifest "${ARG_MANIFEST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(manifest_dir "${manifest}" DIRECTORY)
  if(NOT EXISTS "${manifest}")
    message(FATAL_ERROR "richmarkup_add_bundle(${target}): manifest ${manifest} does not exist")
  endif()

  # The factories follow the manifest: editing it regenerates them, which relinks the
  # library, which appends the new archive.
  set(factories "${CMAKE_CURRENT_BINARY_DIR}/${target}_factories.cpp")
  add_custom_command(
    OUTPUT "${factories}"
    COMMAND richmarkup_factorygen --manifest "${manifest}" --out "${factories}"
    DEPENDS "${manifest}" richmarkup_factorygen
    COMMENT "Generating the component factories of ${ARG_SYMBOLIC_NAME}"
    VERBATIM)

  add_library(${target} SHARED ${ARG_SOURCES} "${factories}")
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME "${ARG_OUTPUT_NAME}"
    PREFIX "lib"
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    RICHMARKUP_SYMBOLIC_NAME "${ARG_SYMBOLIC_NAME}")
  if(CMAKE_LIBRARY_OUTPUT_DIRECTORY)
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
  endif()
  target_compile_definitions(${target} PRIVATE US_BUNDLE_NAME=${ARG_SYMBOLIC_NAME})
  target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}" "${manifest_dir}")
  target_link_libraries(${target} PRIVATE richmarkup_runtime ${ARG_LINK_LIBRARIES})
  # Hidden visibility still lets the standard library's template instances through (its
  # namespace is declared visible); the version script keeps the dynamic symbol table to
  # the factories and the context setter.
  set(version_script "${CMAKE_CURRENT_BINARY_DIR}/${target}_exports.map")
  file(WRITE "${version_script}"
       "{\n  global:\n    NewInstance_*;\n    DeleteInstance_*;\n    _us_set_bundle_context_instance_*;\n  local:\n    *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${version_script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${version_script}")

  set(resource_args "")
  set(link_depends "${manifest}")
  if(ARG_RESOURCES_DIR)
    get_filename_component(resources "${ARG_RESOURCES_DIR}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(resource_args --res-dir "${resources}")
    # Re-link (and so re-append) when a resource file changes.
    file(GLOB_RECURSE resource_files CONFIGURE_DEPENDS "${resources}/*")
    list(APPEND link_depends ${resource_files})
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${link_depends})

  add_dependencies(${target} richmarkup_resourcecompiler)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND richmarkup_resourcecompiler
            --bundle-name "${ARG_SYMBOLIC_NAME}"
            --manifest "${manifest}"
            ${resource_args}
            --append-to "$<TARGET_FILE:${target}>"
    COMMENT "Appending the resource archive of ${ARG_SYMBOLIC_NAME}"
    VERBATIM)
endfunction()

function(richmarkup_install_bundle target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "richmarkup_install_bundle: ${target} is not a target")
  endif()
  include(GNUInstallDirs)
  install(TARGETS ${target} LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}")
endfunction()
