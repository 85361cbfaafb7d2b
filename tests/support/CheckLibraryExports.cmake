# Fails when a project library's dynamic symbol table defines anything outside the project's
# namespaces (a standard library or Boost template instance, a C symbol, a simdjson type), or
# nothing of them at all. Names are read mangled, so that a project type among a template's
# arguments does not make the template the project's.
#   cmake -DNM=... -DLIBRARY=... -P CheckLibraryExports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
# _Z, then what kind of name (type information, virtual table, thunk, guard variable, local
# entity), then a nested name whose first part is one of the project's namespaces.
set(special "(T[ISVT]|TC|GV|Thn?[0-9]+_|Tvn?[0-9]+_n?[0-9]+_)?")
set(project_namespace "(10richmarkup|10foundation|2fl|8document|2vx|7quillix)")
set(own "^_Z${special}Z?N[rVKRO]*${project_namespace}")
string(REPLACE "\n" ";" lines "${symbols}")
set(foreign "")
set(owned 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  string(REGEX REPLACE "^.* " "" name "${line}")
  if(name MATCHES "${own}")
    math(EXPR owned "${owned} + 1")
  else()
    string(APPEND foreign "\n  ${name}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${LIBRARY} exports names outside the project's namespaces:${foreign}")
endif()
if(owned EQUAL 0)
  message(FATAL_ERROR "${LIBRARY} exports nothing of the project's")
endif()
message(STATUS "${LIBRARY}: ${owned} exported names, all the project's")
