# Enables CUDA for libgpuscout when a toolkit is installed; without one the rest
# of the project builds and tests as usual (the probe's logic and its tests need
# no CUDA). Sets GPUSCOUT_CUDA_ENABLED and GPUSCOUT_CUDA_ARCHITECTURES.
option(GPUSCOUT_WITH_CUDA "Build libgpuscout when a CUDA toolkit is found" ON)
set(GPUSCOUT_CUDA_ENABLED OFF)
if(NOT GPUSCOUT_WITH_CUDA)
  message(STATUS "gpuscout: CUDA disabled (GPUSCOUT_WITH_CUDA=OFF): libgpuscout is not built")
  return()
endif()

include(CheckLanguage)
check_language(CUDA)
if(NOT CMAKE_CUDA_COMPILER)
  message(STATUS "gpuscout: no CUDA toolkit found: libgpuscout is not built; everything else is")
  return()
endif()

# The architectures depend on the toolkit, so they are chosen before CUDA is
# enabled (which would otherwise cache its own default). A list given with
# -DCMAKE_CUDA_ARCHITECTURES=... wins.
if(NOT CMAKE_CUDA_ARCHITECTURES)
  execute_process(COMMAND ${CMAKE_CUDA_COMPILER} --version OUTPUT_VARIABLE nvcc_version)
  string(REGEX MATCH "release ([0-9]+)\\.[0-9]+" _ "${nvcc_version}")
  if(CMAKE_MATCH_1 AND CMAKE_MATCH_1 LESS 13)
    # Machine code for compute capability 5.2 plus PTX the driver compiles for newer GPUs.
    set(default_architectures "52")
  else()
    # CUDA 13 cannot target 5.2: its oldest architecture (7.5) with PTX, plus H100 machine code.
    set(default_architectures "75;90-real")
  endif()
  set(CMAKE_CUDA_ARCHITECTURES "${default_architectures}" CACHE STRING "CUDA architectures for libgpuscout")
endif()
enable_language(CUDA)
set(GPUSCOUT_CUDA_ENABLED ON)
set(GPUSCOUT_CUDA_ARCHITECTURES "${CMAKE_CUDA_ARCHITECTURES}")
