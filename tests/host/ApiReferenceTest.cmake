# Runs Doxygen on the configured Doxyfile and checks the pages an embedder starts from.
#   cmake -DDOXYGEN=... -DDOXYFILE=... -DHTML_DIR=... -P ApiReferenceTest.cmake
get_filename_component(work_dir "${DOXYFILE}" DIRECTORY)
# Pages of an earlier run must not stand in for pages this one no longer makes.
file(REMOVE_RECURSE "${HTML_DIR}")
execute_process(COMMAND "${DOXYGEN}" "${DOXYFILE}" WORKING_DIRECTORY "${work_dir}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "doxygen failed (${status}):\n${err}")
endif()
file(READ "${HTML_DIR}/index.html" index)
if(NOT index MATCHES "Embedding richmarkup")
  message(FATAL_ERROR "the reference's front page is not docs/embedding.md")
endif()
foreach(page classrichmarkup_1_1formats_1_1NodeView.html classrichmarkup_1_1formats_1_1Subtree.html
             classrichmarkup_1_1formats_1_1HtmlWriter.html classrichmarkup_1_1host_1_1DocumentHost.html
             structrichmarkup_1_1host_1_1Conversion.html classrichmarkup_1_1host_1_1ConversionPipeline.html)
  if(NOT EXISTS "${HTML_DIR}/${page}")
    message(FATAL_ERROR "the reference has no ${page}")
  endif()
endforeach()
