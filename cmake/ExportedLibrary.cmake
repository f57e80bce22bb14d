# add_exported_c_library(<name> EXPORT_MAP <version script> HEADER <public header>
#                        SOURCES <files> LIBRARIES <targets>)
# A shared library whose dynamic symbol table holds exactly the names of its
# version script: everything else is hidden. It carries the project's version
# (the SONAME the major one) and installs its one public header. On Windows
# the dllexport-marked exports are the exports, and the C and C++ runtimes are
# linked in, so the DLL needs no MinGW runtime DLLs.
function(add_exported_c_library name)
  cmake_parse_arguments(PARSE_ARGV 1 lib "" "EXPORT_MAP;HEADER" "SOURCES;LIBRARIES")
  add_library(${name} SHARED ${lib_SOURCES})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
  target_link_libraries(${name} PRIVATE ${lib_LIBRARIES} project_flags)
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} PUBLIC_HEADER ${lib_HEADER}
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden CUDA_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "")
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
  else()
    set_target_properties(${name} PROPERTIES LINK_DEPENDS ${lib_EXPORT_MAP})
    target_link_options(${name} PRIVATE -Wl,--version-script=${lib_EXPORT_MAP} -Wl,-z,noexecstack)
  endif()
endfunction()
