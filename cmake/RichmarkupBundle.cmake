# Building a bundle: a shared library whose component factories are generated from its
# manifest and whose resource archive (the manifest) is appended to the library file after
# linking.
#
#   richmarkup_add_bundle(<target>
#     SYMBOLIC_NAME <name>           # the manifest's "bundle.symbolic_name", US_BUNDLE_NAME
#     OUTPUT_NAME <basename>         # lib<basename>.so
#     MANIFEST <manifest.json>
#     SOURCES <sources...>
#     [LINK_LIBRARIES <libraries...>])
#
#   richmarkup_install_bundle(<target>)
#
# Written against the CMake surface of a CppMicroServices install (the targets
# CppMicroServices, usServiceComponent, SCRCodeGen and usResourceCompiler, and the
# usFunction... resource functions), which the bundled runtime provides in-tree as well: a
# bundle takes this one path whichever framework it is built for.
#
# The factory generator includes one header per implementation class, named after the
# class (richmarkup::build::json::text::TableNodeBuilderImpl: TableNodeBuilderImpl.hpp),
# found in the bundle's source folder or the manifest's.
#
# Bundles are compiled with hidden visibility: the generated factories and the context
# setter of CPPMICROSERVICES_INITIALIZE_BUNDLE are their only exports. Do not strip an
# installed bundle: stripping drops the appended archive.

include_guard(GLOBAL)
include(GNUInstallDirs)

# The manifest as the bundle carries it: its "zt" "installpath" names where
# richmarkup_install_bundle() really puts the library. Rewritten only when it changes, so
# that a new configure does not relink the bundle.
function(_richmarkup_bundle_manifest target source library_file out)
  file(READ "${source}" text)
  set(installpath "${CMAKE_INSTALL_LIBDIR}/${library_file}")
  string(REGEX REPLACE "(\"installpath\"[ \t\r\n]*:[ \t\r\n]*)\"[^\"]*\"" "\\1\"${installpath}\"" text "${text}")
  set(configured "${CMAKE_CURRENT_BINARY_DIR}/${target}/manifest.json")
  set(current "")
  if(EXISTS "${configured}")
    file(READ "${configured}" current)
  endif()
  if(NOT current STREQUAL text)
    file(WRITE "${configured}" "${text}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
  set(${out} "${configured}" PARENT_SCOPE)
endfunction()

# The header of each "implementation-class" the manifest declares.
function(_richmarkup_bundle_headers target manifest_text out)
  set(headers "")
  string(JSON count ERROR_VARIABLE error LENGTH "${manifest_text}" "scr" "components")
  if(error)
    set(count 0)
  endif()
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(index RANGE ${last})
      string(JSON class ERROR_VARIABLE error GET "${manifest_text}" "scr" "components" ${index} "implementation-class")
      if(error)
        message(FATAL_ERROR "richmarkup_add_bundle(${target}): component ${index} has no \"implementation-class\"")
      endif()
      string(REGEX REPLACE "^.*::" "" short_name "${class}")
      list(APPEND headers "${short_name}.hpp")
    endforeach()
  endif()
  set(${out} "${headers}" PARENT_SCOPE)
endfunction()

function(richmarkup_add_bundle target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "SYMBOLIC_NAME;OUTPUT_NAME;MANIFEST" "SOURCES;LINK_LIBRARIES")
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
  foreach(needed CppMicroServices usServiceComponent SCRCodeGen usResourceCompiler)
    if(NOT TARGET ${needed})
      message(FATAL_ERROR "richmarkup_add_bundle(${target}): the framework's target ${needed} is not defined")
    endif()
  endforeach()

  get_filename_component(source_manifest "${ARG_MANIFEST}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  get_filename_component(manifest_dir "${source_manifest}" DIRECTORY)
  if(NOT EXISTS "${source_manifest}")
    message(FATAL_ERROR "richmarkup_add_bundle(${target}): manifest ${source_manifest} does not exist")
  endif()
  set(library_file "lib${ARG_OUTPUT_NAME}${CMAKE_SHARED_LIBRARY_SUFFIX}")
  _richmarkup_bundle_manifest(${target} "${source_manifest}" "${library_file}" manifest)
  file(READ "${manifest}" manifest_text)
  string(JSON declared_name ERROR_VARIABLE error GET "${manifest_text}" "bundle.symbolic_name")
  if(error OR NOT declared_name STREQUAL ARG_SYMBOLIC_NAME)
    message(FATAL_ERROR "richmarkup_add_bundle(${target}): the manifest's \"bundle.symbolic_name\" must be "
                        "\"${ARG_SYMBOLIC_NAME}\"")
  endif()
  _richmarkup_bundle_headers(${target} "${manifest_text}" headers)

  # The factories follow the manifest: editing it regenerates them and the archive, which
  # relinks the library, which appends the new archive.
  set(factories "${CMAKE_CURRENT_BINARY_DIR}/${target}/factories.cpp")
  add_custom_command(
    OUTPUT "${factories}"
    COMMAND SCRCodeGen --manifest "${manifest}" --out-file "${factories}" --include-headers ${headers}
    DEPENDS "${manifest}" SCRCodeGen
    COMMENT "Generating the component factories of ${ARG_SYMBOLIC_NAME}"
    VERBATIM)
  set(resource_source "")
  usFunctionGetResourceSource(TARGET ${target} OUT resource_source)

  add_library(${target} SHARED ${ARG_SOURCES} "${factories}" ${resource_source})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME "${ARG_OUTPUT_NAME}"
    PREFIX "lib"
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    US_BUNDLE_NAME "${ARG_SYMBOLIC_NAME}")
  if(CMAKE_LIBRARY_OUTPUT_DIRECTORY)
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
  endif()
  target_compile_definitions(${target} PRIVATE US_BUNDLE_NAME=${ARG_SYMBOLIC_NAME})
  target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}" "${manifest_dir}")
  target_link_libraries(${target} PRIVATE CppMicroServices usServiceComponent ${ARG_LINK_LIBRARIES})
  # Hidden visibility still lets the standard library's template instances through (its
  # namespace is declared visible); the version script keeps the dynamic symbol table to
  # the factories and the context setter.
  set(version_script "${CMAKE_CURRENT_BINARY_DIR}/${target}/exports.map")
  file(WRITE "${version_script}"
       "{\n  global:\n    NewInstance_*;\n    DeleteInstance_*;\n    _us_set_bundle_context_instance_*;\n  local:\n    *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${version_script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${version_script}")

  usFunctionAddResources(TARGET ${target} WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}/${target}"
                         FILES manifest.json)
  usFunctionEmbedResources(TARGET ${target})
endfunction()

function(richmarkup_install_bundle target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "richmarkup_install_bundle: ${target} is not a target")
  endif()
  install(TARGETS ${target} LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}")
endfunction()
