# Install rules: the libraries (SONAME with the major version), the public
# headers, a CMake package per library and pkg-config files.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

function(install_library name description)
  target_include_directories(${name} INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  install(TARGETS ${name} EXPORT ${name}Targets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${name})
  install(EXPORT ${name}Targets NAMESPACE ${name}:: DESTINATION ${package_dir})
  set(PACKAGE_NAME ${name})
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/templates/PackageConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake INSTALL_DESTINATION ${package_dir})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}Config.cmake ${CMAKE_CURRENT_BINARY_DIR}/${name}ConfigVersion.cmake
          DESTINATION ${package_dir})
  # The prefix is found from the .pc file's own folder, so the tree can be moved.
  file(RELATIVE_PATH PC_PREFIX_FROM_PCDIR ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" PC_PREFIX_FROM_PCDIR "${PC_PREFIX_FROM_PCDIR}")
  set(PC_NAME ${name})
  set(PC_DESCRIPTION "${description}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/templates/library.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

install_library(oddsmith "Poker hand evaluation and Monte-Carlo equity")
if(TARGET gpuscout)
  install_library(gpuscout "CUDA GPU probe: device report and compute tests")
endif()

# The command-line programs, finding the libraries in ../lib wherever the tree goes.
foreach(program oddsmith_cli gpuscout_cli)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The Python binding with the built-in range data it mirrors, found by the binding
# next to itself; its compiled part (python/extension, installed beside it there)
# finds the installed library in <prefix>/lib. Without the compiled part (no
# nanobind) the package cannot reach the library, so it is left out.
if(TARGET oddsmith_python_core)
  set(python_destination ${CMAKE_INSTALL_DATADIR}/oddsmith/python)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/oddsmith ${PROJECT_SOURCE_DIR}/python/gpuscout
          DESTINATION ${python_destination} PATTERN __pycache__ EXCLUDE)
  install(FILES ${PROJECT_SOURCE_DIR}/oddsmith/host/builtin_holdem_ranges.txt
                ${PROJECT_SOURCE_DIR}/oddsmith/host/builtin_omaha_ranges.txt
                ${PROJECT_SOURCE_DIR}/oddsmith/host/builtin_omahahl_ranges.txt
          DESTINATION ${python_destination}/oddsmith/data)
else()
  message(STATUS "Install: no compiled Python part (nanobind), so the Python package is not installed")
endif()
