# Install rules of the Python wheel (scikit-build-core sets SKBUILD): the
# libraries go inside their Python packages, with the version, the built-in
# range data and the command-line program; nothing else of the C install tree
# goes into a wheel.
configure_file(${PROJECT_SOURCE_DIR}/cmake/templates/_version.py.in ${CMAKE_CURRENT_BINARY_DIR}/_version.py @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/_version.py DESTINATION oddsmith)
# By its SONAME, which the compiled part (oddsmith._core) is linked to.
install(FILES $<TARGET_FILE:oddsmith> DESTINATION oddsmith RENAME liboddsmith.so.1)
# The command-line program, which the package's `oddsmith` command runs: in
# oddsmith/bin, finding the package's library one folder up.
set_target_properties(oddsmith_cli PROPERTIES INSTALL_RPATH "$ORIGIN/..")
install(TARGETS oddsmith_cli RUNTIME DESTINATION oddsmith/bin)
install(FILES ${PROJECT_SOURCE_DIR}/oddsmith/host/builtin_holdem_ranges.txt
              ${PROJECT_SOURCE_DIR}/oddsmith/host/builtin_omaha_ranges.txt
              ${PROJECT_SOURCE_DIR}/oddsmith/host/builtin_omahahl_ranges.txt
        DESTINATION oddsmith/data)
if(TARGET gpuscout)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/gpuscout DESTINATION . PATTERN __pycache__ EXCLUDE)
  install(FILES $<TARGET_FILE:gpuscout> DESTINATION gpuscout RENAME libgpuscout.so)
else()
  message(STATUS "Python package: no CUDA toolkit, so gpuscout is left out")
endif()
