# The engine's layers (oddsmith/README.md): one target per folder of oddsmith/,
# each with an include root of its own that holds that folder's headers and
# nothing else. A file reaches a layer's headers only where its target links
# that layer, and a layer's internal/ headers only from the layer itself and
# from targets that link oddsmith_<layer>_internals (its tests). A layer that
# includes another's insides, or a layer it does not link, fails to compile.
#
# An include root is a folder of one-line headers, each including the real one
# by its full path, so that diagnostics and debuggers point at the sources.
# They are written at configure time, and rewritten when a header is added to
# or removed from the layer's folder.

# oddsmith_forward_headers(<source folder> <root> <prefix>)
# <root>/<prefix>/<name>.h includes <source folder>/<name>.h, for every header
# of <source folder> itself (not of its subfolders); forwards left from a header
# since removed are deleted.
function(oddsmith_forward_headers from root prefix)
  file(GLOB headers CONFIGURE_DEPENDS ${from}/*.h)
  set(forwards)
  foreach(header IN LISTS headers)
    cmake_path(GET header FILENAME name)
    set(forward ${root}/${prefix}/${name})
    file(CONFIGURE OUTPUT ${forward} CONTENT "#include \"${header}\"\n" @ONLY)
    list(APPEND forwards ${forward})
  endforeach()
  file(GLOB existing ${root}/${prefix}/*.h)
  foreach(forward IN LISTS existing)
    if(NOT forward IN_LIST forwards)
      file(REMOVE ${forward})
    endif()
  endforeach()
endfunction()

# add_oddsmith_layer(<layer> [SOURCES <files>] [LINKS <targets>])
# Called from oddsmith/<layer>/CMakeLists.txt (the exports: oddsmith/). Defines
#   oddsmith_<layer>            an OBJECT library of SOURCES (an INTERFACE library
#                               when there are none) that links LINKS publicly and
#                               whose public include root holds "<layer>/<name>.h"
#                               for every header of the folder itself;
#   oddsmith_<layer>_internals  an INTERFACE target: the layer, and an include root
#                               holding "<layer>/internal/<name>.h" for every header
#                               of internal/. The layer's own sources see it too.
# and sets oddsmith_<layer>_include_root and oddsmith_<layer>_internal_root in the
# caller's scope, for targets that must not link the layer itself (its
# generator). Object libraries pass their include roots on to what links them,
# but not their objects: programs link the objects through oddsmith_engine,
# oddsmith_host and oddsmith_exports (oddsmith/CMakeLists.txt).
function(add_oddsmith_layer layer)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LINKS")
  set(target oddsmith_${layer})
  set(include_root ${CMAKE_CURRENT_BINARY_DIR}/include)
  set(internal_root ${CMAKE_CURRENT_BINARY_DIR}/internal_include)
  oddsmith_forward_headers(${CMAKE_CURRENT_SOURCE_DIR} ${include_root} ${layer})
  oddsmith_forward_headers(${CMAKE_CURRENT_SOURCE_DIR}/internal ${internal_root} ${layer}/internal)

  if(arg_SOURCES)
    add_library(${target} OBJECT ${arg_SOURCES})
    if(EXISTS ${include_root})
      target_include_directories(${target} PUBLIC ${include_root})
    endif()
    if(EXISTS ${internal_root})
      target_include_directories(${target} PRIVATE ${internal_root})
    endif()
    target_link_libraries(${target} PUBLIC ${arg_LINKS} project_flags)
    set_target_properties(${target} PROPERTIES
      POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${include_root})
    target_link_libraries(${target} INTERFACE ${arg_LINKS} project_flags)
  endif()

  add_library(${target}_internals INTERFACE)
  if(EXISTS ${internal_root})
    target_include_directories(${target}_internals INTERFACE ${internal_root})
  endif()
  target_link_libraries(${target}_internals INTERFACE ${target})

  set(${target}_include_root ${include_root} PARENT_SCOPE)
  set(${target}_internal_root ${internal_root} PARENT_SCOPE)
endfunction()
