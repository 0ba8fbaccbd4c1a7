# fw_library(<name> LINK <deps...>): the sources of the calling folder as one
# static library. New files are picked up by re-running the configure step.
#
# The layers, lowest first; a folder links only folders before it:
set(FW_LAYERS catalogue form reminders alarm media desk controls window shell app)
# (controls needs nothing but Qt Widgets; media holds the Qt Multimedia
# adapters, so nothing below it links Gui, Multimedia or DBus.)
#
# Each library's include root holds only a link <folder> -> src/<folder>, and
# the root is what the library passes on to those that link it. So
# `#include "alarm/X.h"` compiles in alarm and above, never below. A link to a
# library of a later layer stops the configure step; relative includes that
# climb out of a folder are caught by the LayeringIncludes test.
function(fw_library name)
  cmake_parse_arguments(L "" "" "LINK;EXCLUDE" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  list(FIND FW_LAYERS ${folder} own)
  if(own LESS 0)
    message(FATAL_ERROR "src/${folder} is not in FW_LAYERS")
  endif()
  foreach(dep ${L_LINK})
    if(dep MATCHES "^fw_(.+)$" AND NOT dep STREQUAL "fw_resources" AND NOT dep STREQUAL "fw_version")
      list(FIND FW_LAYERS ${CMAKE_MATCH_1} layer)
      if(layer LESS 0 OR NOT layer LESS own)
        message(FATAL_ERROR "src/${folder} may not link ${dep}: only layers before it")
      endif()
    endif()
  endforeach()
  set(root ${PROJECT_BINARY_DIR}/include-roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(ex ${L_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT sources)
    # A folder without sources yet still takes part in the link order.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${L_LINK})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${L_LINK})
endfunction()

# The version, generated from the project's own: "version/Version.h" for any layer.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in
               ${PROJECT_BINARY_DIR}/include-roots/version/version/Version.h @ONLY)
add_library(fw_version INTERFACE)
target_include_directories(fw_version INTERFACE ${PROJECT_BINARY_DIR}/include-roots/version)
