# Compiler settings shared by every target of the project.

add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Wformat=2 -Wnull-dereference -Werror)

# Exactly three dynamic symbols leave a driver plug-in; the version script
# also hides the weak template instances that -fvisibility=hidden misses.
set(PLUGIN_VERSION_SCRIPT ${CMAKE_SOURCE_DIR}/cmake/plugin.version)

# add_driver_plugin(<deliverable> SOURCES ... LIBS ...)
# Builds <deliverable>.so (no lib prefix) from the driver's sources, the
# framework's export shims and the group libraries it names.
function(add_driver_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/framework/plugin_exports.cpp)
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".so"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugins
    LINK_DEPENDS ${PLUGIN_VERSION_SCRIPT})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} framework project_warnings)
  target_link_options(${name} PRIVATE -Wl,--version-script=${PLUGIN_VERSION_SCRIPT})
  if(NOT RIO_SANITIZE)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  set_property(GLOBAL APPEND PROPERTY RIO_DRIVER_PLUGINS ${name})
endfunction()

# Adds every subdirectory of the current source directory that has a
# CMakeLists.txt, in name order: a new driver, group or test family is picked
# up by creating its directory.
function(add_all_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
