# `cmake --build build --target docs`: the API reference of the public headers, made by Doxygen
# into build/docs/html, with docs/embedding.md as its front page. Left out without Doxygen.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  message(STATUS "Doxygen not found: no docs target")
  return()
endif()

set(DOXYGEN_PROJECT_NAME "richmarkup")
set(DOXYGEN_PROJECT_NUMBER "${PROJECT_VERSION}")
set(DOXYGEN_PROJECT_BRIEF "Rich-text JSON documents as a typed document model")
set(DOXYGEN_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/docs")
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_EXTRACT_ALL YES)
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
set(DOXYGEN_WARN_IF_UNDOCUMENTED NO)
set(DOXYGEN_QUIET YES)
set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(DOXYGEN_FULL_PATH_NAMES YES)
set(DOXYGEN_STRIP_FROM_PATH "${PROJECT_SOURCE_DIR}")
set(DOXYGEN_STRIP_FROM_INC_PATH
  "${PROJECT_SOURCE_DIR}/host/include" "${PROJECT_SOURCE_DIR}/host/startup/include"
  "${PROJECT_SOURCE_DIR}/formats/include"
  "${PROJECT_SOURCE_DIR}/pandoc/include" "${PROJECT_SOURCE_DIR}/include"
  "${PROJECT_SOURCE_DIR}/platform/json/include" "${PROJECT_SOURCE_DIR}/platform/model/include"
  "${PROJECT_SOURCE_DIR}/platform/i18n/include")
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE "${PROJECT_SOURCE_DIR}/docs/embedding.md")
set(DOXYGEN_EXCLUDE_PATTERNS "*/detail/*" "*/Export.hpp")
set(DOXYGEN_EXCLUDE_SYMBOLS "*::detail" "*::detail::*")
# The libraries' export macros are for the compiler: the reference shows the declarations bare.
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED
  RICHMARKUP_I18N_EXPORT= RICHMARKUP_JSON_EXPORT= RICHMARKUP_MODEL_EXPORT= RICHMARKUP_LOG_EXPORT=
  RICHMARKUP_CORE_EXPORT= RICHMARKUP_FRAMEWORK_ACCESS_EXPORT= RICHMARKUP_FORMATS_EXPORT= RICHMARKUP_PANDOC_EXPORT=
  RICHMARKUP_HOST_EXPORT=)

doxygen_add_docs(docs
  "${PROJECT_SOURCE_DIR}/docs/embedding.md"
  "${PROJECT_SOURCE_DIR}/host/include"
  "${PROJECT_SOURCE_DIR}/host/startup/include"
  "${PROJECT_SOURCE_DIR}/formats/include"
  "${PROJECT_SOURCE_DIR}/pandoc/include"
  "${PROJECT_SOURCE_DIR}/include/richmarkup"
  "${PROJECT_SOURCE_DIR}/platform/json/include"
  "${PROJECT_SOURCE_DIR}/platform/model/include"
  "${PROJECT_SOURCE_DIR}/platform/i18n/include"
  COMMENT "API reference (Doxygen) into ${PROJECT_BINARY_DIR}/docs/html")
