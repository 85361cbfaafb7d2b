# The project's shared libraries export their public headers' interface and nothing else.
#
#   richmarkup_hide_symbols(<target>)
#
# Compiles <target> (a shared, static or object library) with hidden visibility: only what the
# headers mark with the library's export macro (RICHMARKUP_JSON_EXPORT, ...) is exported. A
# shared library is also linked with RichmarkupLibrary.map, which keeps its dynamic symbol table
# to the project's namespaces: hidden visibility still lets through the instances of standard
# library and Boost templates (their namespaces are declared visible), which would otherwise
# bind users to this library's copies and grow the table by hundreds.
#
# Internals that tests need come from an object library of the library's sources, linked into
# the test, never from exports.

include_guard(GLOBAL)

function(richmarkup_hide_symbols target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "richmarkup_hide_symbols: ${target} is not a target")
  endif()
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(version_script "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/RichmarkupLibrary.map")
    target_link_options(${target} PRIVATE "LINKER:--version-script=${version_script}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${version_script}")
  endif()
endfunction()
