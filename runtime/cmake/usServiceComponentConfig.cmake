# The Declarative Services component headers (target usServiceComponent), found as in a
# CppMicroServices install: find_package(usServiceComponent CONFIG HINTS ${CppMicroServices_DIR}).
if(NOT TARGET usServiceComponent)
  include(CMakeFindDependencyMacro)
  find_dependency(Threads)
  include("${CMAKE_CURRENT_LIST_DIR}/CppMicroServicesTargets.cmake")
endif()
set(usServiceComponent_FOUND TRUE)
