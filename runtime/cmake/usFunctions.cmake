# The resource functions of a CppMicroServices install, for bundles built on this runtime.
# A bundle's resources (its manifest first) are packed into a zip archive that is appended
# to the bundle's library after every link.
#
#   usFunctionGetResourceSource(TARGET <target> OUT <var>)
#       Appends to <var> the generated source that the target must compile: it changes with
#       the resources, so a changed resource relinks the target and appends the new archive.
#   usFunctionAddResources(TARGET <target> [BUNDLE_NAME <name>] [WORKING_DIRECTORY <dir>]
#                          [COMPRESSION_LEVEL <0-9>] [FILES <files...>] [ZIP_ARCHIVES <zips...>])
#       Packs FILES (relative to WORKING_DIRECTORY, stored under <name>/) and the entries of
#       ZIP_ARCHIVES into one more archive of the target. BUNDLE_NAME defaults to the
#       target's US_BUNDLE_NAME property. May be called several times.
#   usFunctionEmbedResources(TARGET <target> [APPEND | LINK] [the arguments of AddResources])
#       Merges the target's archives and appends the result to the target's file after each
#       link. Resources are always appended here; LINK falls back to that, as it does where
#       a platform cannot link them.
include_guard(GLOBAL)

function(usFunctionGetResourceSource)
  cmake_parse_arguments(PARSE_ARGV 0 arg "LINK;APPEND" "TARGET;OUT" "")
  if(NOT arg_TARGET OR NOT arg_OUT)
    message(FATAL_ERROR "usFunctionGetResourceSource: TARGET and OUT are required")
  endif()
  set(${arg_OUT} ${${arg_OUT}} "${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}/cppmicroservices_resources.cpp"
      PARENT_SCOPE)
endfunction()

# The resource compiler: the in-tree target, or the one a package imported.
function(_us_resource_compiler out)
  if(NOT TARGET usResourceCompiler)
    message(FATAL_ERROR "the resource compiler (target usResourceCompiler) is not defined")
  endif()
  set(${out} "$<TARGET_FILE:usResourceCompiler>" PARENT_SCOPE)
endfunction()

function(usFunctionAddResources)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;BUNDLE_NAME;WORKING_DIRECTORY;COMPRESSION_LEVEL"
                        "FILES;ZIP_ARCHIVES")
  if(NOT arg_TARGET OR NOT TARGET ${arg_TARGET})
    message(FATAL_ERROR "usFunctionAddResources: TARGET must name a target (got '${arg_TARGET}')")
  endif()
  if(NOT arg_BUNDLE_NAME)
    get_target_property(arg_BUNDLE_NAME ${arg_TARGET} US_BUNDLE_NAME)
  endif()
  if(arg_FILES AND NOT arg_BUNDLE_NAME)
    message(FATAL_ERROR "usFunctionAddResources(${arg_TARGET}): give BUNDLE_NAME or set the US_BUNDLE_NAME property")
  endif()
  if(NOT arg_FILES AND NOT arg_ZIP_ARCHIVES)
    message(WARNING "usFunctionAddResources(${arg_TARGET}): no FILES and no ZIP_ARCHIVES; nothing to add")
    return()
  endif()
  set(directory "${arg_WORKING_DIRECTORY}")
  if(NOT directory)
    set(directory "${CMAKE_CURRENT_SOURCE_DIR}")
  elseif(NOT IS_ABSOLUTE "${directory}")
    set(directory "${CMAKE_CURRENT_SOURCE_DIR}/${directory}")
  endif()

  _us_resource_compiler(compiler)
  set(args "")
  set(depends usResourceCompiler)
  if(arg_BUNDLE_NAME)
    list(APPEND args -n "${arg_BUNDLE_NAME}")
  endif()
  if(DEFINED arg_COMPRESSION_LEVEL)
    list(APPEND args -c "${arg_COMPRESSION_LEVEL}")
  endif()
  foreach(file IN LISTS arg_FILES)
    list(APPEND args -r "${file}")
    if(IS_ABSOLUTE "${file}")
      list(APPEND depends "${file}")
    else()
      list(APPEND depends "${directory}/${file}")
    endif()
  endforeach()
  foreach(archive IN LISTS arg_ZIP_ARCHIVES)
    if(NOT IS_ABSOLUTE "${archive}")
      set(archive "${directory}/${archive}")
    endif()
    list(APPEND args -z "${archive}")
    list(APPEND depends "${archive}")
  endforeach()

  get_target_property(archives ${arg_TARGET} US_RESOURCE_ARCHIVES)
  if(NOT archives)
    set(archives "")
  endif()
  list(LENGTH archives index)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}/res_${index}.zip")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}"
    COMMAND "${compiler}" -o "${output}" ${args}
    WORKING_DIRECTORY "${directory}"
    DEPENDS ${depends}
    COMMENT "Packing the resources of ${arg_TARGET}"
    VERBATIM)
  list(APPEND archives "${output}")
  set_target_properties(${arg_TARGET} PROPERTIES US_RESOURCE_ARCHIVES "${archives}")
endfunction()

function(usFunctionEmbedResources)
  cmake_parse_arguments(PARSE_ARGV 0 arg "APPEND;LINK" "TARGET;BUNDLE_NAME;WORKING_DIRECTORY;COMPRESSION_LEVEL"
                        "FILES;ZIP_ARCHIVES")
  if(NOT arg_TARGET OR NOT TARGET ${arg_TARGET})
    message(FATAL_ERROR "usFunctionEmbedResources: TARGET must name a target (got '${arg_TARGET}')")
  endif()
  if(arg_FILES OR arg_ZIP_ARCHIVES)
    set(forwarded TARGET ${arg_TARGET} FILES ${arg_FILES} ZIP_ARCHIVES ${arg_ZIP_ARCHIVES})
    foreach(key BUNDLE_NAME WORKING_DIRECTORY COMPRESSION_LEVEL)
      if(DEFINED arg_${key})
        list(APPEND forwarded ${key} "${arg_${key}}")
      endif()
    endforeach()
    usFunctionAddResources(${forwarded})
  endif()
  get_target_property(archives ${arg_TARGET} US_RESOURCE_ARCHIVES)
  if(NOT archives)
    return()
  endif()
  if(arg_LINK)
    message(STATUS "${arg_TARGET}: resources are appended to the library, not linked into it")
  endif()

  _us_resource_compiler(compiler)
  list(LENGTH archives count)
  if(count EQUAL 1)
    set(archive "${archives}")
  else()
    set(archive "${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}/res.zip")
    set(merge "")
    foreach(part IN LISTS archives)
      list(APPEND merge -z "${part}")
    endforeach()
    add_custom_command(
      OUTPUT "${archive}"
      COMMAND "${compiler}" -o "${archive}" ${merge}
      DEPENDS ${archives} usResourceCompiler
      COMMENT "Merging the resource archives of ${arg_TARGET}"
      VERBATIM)
  endif()

  usFunctionGetResourceSource(TARGET ${arg_TARGET} OUT source)
  add_custom_command(
    OUTPUT "${source}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/${arg_TARGET}"
    COMMAND "${CMAKE_COMMAND}" -E touch "${source}"
    DEPENDS "${archive}"
    COMMENT "Relinking ${arg_TARGET} for its resources"
    VERBATIM)

  get_target_property(type ${arg_TARGET} TYPE)
  if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY" OR type STREQUAL "EXECUTABLE")
    add_custom_command(TARGET ${arg_TARGET} POST_BUILD
      COMMAND "${compiler}" -b "$<TARGET_FILE:${arg_TARGET}>" -z "${archive}"
      COMMENT "Appending the resource archive of ${arg_TARGET}"
      VERBATIM)
  endif()
endfunction()
