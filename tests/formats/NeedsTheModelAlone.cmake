# Fails when the formats library loads, directly or through another library, anything of the
# framework, the logger or the host: a program that renders or reads a document links the model,
# the JSON value (what readers make) and cmark-gfm alone.
#   cmake -DLIBRARY=... -P NeedsTheModelAlone.cmake
execute_process(COMMAND ldd "${LIBRARY}" OUTPUT_VARIABLE loaded RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n\t ]*(CppMicroServices|richmarkup_runtime|boost_log|richmarkup_log|richmarkup_host|richmarkup_framework)[^\n\t ]*" unwanted "${loaded}")
if(unwanted)
  message(FATAL_ERROR "${LIBRARY} loads ${unwanted}")
endif()
if(NOT loaded MATCHES "richmarkup_model")
  message(FATAL_ERROR "${LIBRARY} does not load the model: is this the formats library?\n${loaded}")
endif()
