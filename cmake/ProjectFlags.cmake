# Compile and link settings shared by the project's own targets, as one
# interface target. Build-time generators take only the warnings, so that they
# stay fast in every build type.

add_library(project_warnings INTERFACE)
target_compile_options(project_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wpedantic -Wshadow>
  $<$<AND:$<BOOL:${ODDSMITH_WERROR}>,$<COMPILE_LANGUAGE:CXX,C>>:-Werror>)

add_library(project_flags INTERFACE)
target_link_libraries(project_flags INTERFACE project_warnings)
if(ODDSMITH_ARCH AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  target_compile_options(project_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX,C>:-march=${ODDSMITH_ARCH}>)
endif()
if(WIN32)
  # Programs and the DLL carry the C and C++ runtimes, so they run without MinGW DLLs.
  target_link_options(project_flags INTERFACE -static -static-libgcc -static-libstdc++)
endif()
if(ODDSMITH_FUZZ)
  # Coverage instrumentation and sanitizers for everything the fuzz targets link.
  set(fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(project_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX,C>:${fuzz_flags}>)
  target_link_options(project_flags INTERFACE -fsanitize=address,undefined)
endif()
if(ODDSMITH_SANITIZE)
  set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(project_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX,C>:${sanitize_flags}>)
  target_link_options(project_flags INTERFACE ${sanitize_flags})
endif()
