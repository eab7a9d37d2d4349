# Third-party code is installed on the machine and built here, never copied into the tree.

# Static zlib on Windows: the program ships as one executable.
set(ZLIB_USE_STATIC_LIBS ${KS_WINDOWS})
find_package(ZLIB REQUIRED)

# GoogleTest from Debian's sources, built for each target with that target's compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

if(KS_WINDOWS OR KS_FUZZ)
  include(cmake/LibJpegTurbo.cmake)
else()
  # Debian's libjpeg-turbo: the same library the Windows builds cross-build from source.
  find_package(JPEG REQUIRED)
  add_library(ks_jpeg INTERFACE)
  target_link_libraries(ks_jpeg INTERFACE JPEG::JPEG)
endif()
if(NOT KS_WINDOWS)
  find_package(PNG REQUIRED)   # the PNG decoder's oracle in tests and fuzzing, and a benchmark peer
  find_package(benchmark QUIET)
  set(KS_HAVE_BENCHMARK ${benchmark_FOUND})
endif()
