# libjpeg-turbo, built once per build tree from Debian's source package: cross-built for the
# Windows targets, and for the fuzz tree built with clang and libFuzzer's coverage,
# AddressSanitizer and UndefinedBehaviorSanitizer instrumentation, so that mutations are guided
# through the decoder and its memory errors and undefined arithmetic are caught where they happen.
# (The plain host tree uses Debian's binary package.) It is compiled with -fexceptions so that
# the error manager may throw through its C frames. A tree whose library was built with other
# flags builds it again.

set(KS_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/_deps" CACHE PATH "Where third-party sources are unpacked")
set(jpeg_prefix "${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo")

if(KS_WINDOWS)
  set(jpeg_target -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_C_FLAGS=-fexceptions")
else()
  # Without SIMD the decoder is all C, so every path it takes is instrumented.
  set(jpeg_target -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_C_FLAGS_RELEASE=-O1 -g"
    "-DCMAKE_C_FLAGS=-fexceptions -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined")
endif()
set(jpeg_flags_stamp "${jpeg_prefix}-build/ks-flags.txt")
set(jpeg_built_flags "")
if(EXISTS "${jpeg_flags_stamp}")
  file(READ "${jpeg_flags_stamp}" jpeg_built_flags)
endif()

if(NOT EXISTS "${jpeg_prefix}-build/libjpeg.a" OR NOT EXISTS "${jpeg_prefix}/include/jpeglib.h"
   OR NOT jpeg_built_flags STREQUAL "${jpeg_target}")
  file(MAKE_DIRECTORY "${KS_DEPS_DIR}")
  file(GLOB jpeg_source LIST_DIRECTORIES true "${KS_DEPS_DIR}/libjpeg-turbo-*")
  list(FILTER jpeg_source EXCLUDE REGEX "\\.(dsc|tar\\..*|debian.*)$")
  if(NOT jpeg_source)
    message(STATUS "Fetching libjpeg-turbo sources with apt-get source")
    execute_process(COMMAND apt-get source -q libjpeg-turbo
      WORKING_DIRECTORY "${KS_DEPS_DIR}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "apt-get source libjpeg-turbo failed: a deb-src entry and dpkg-dev are needed (./project installs them)")
    endif()
    file(GLOB jpeg_source LIST_DIRECTORIES true "${KS_DEPS_DIR}/libjpeg-turbo-*")
    list(FILTER jpeg_source EXCLUDE REGEX "\\.(dsc|tar\\..*|debian.*)$")
  endif()
  list(GET jpeg_source 0 jpeg_source)
  message(STATUS "Building libjpeg-turbo from ${jpeg_source}")
  file(REMOVE_RECURSE "${jpeg_prefix}-build")
  execute_process(COMMAND ${CMAKE_COMMAND} -S "${jpeg_source}" -B "${jpeg_prefix}-build" -G Ninja
      ${jpeg_target} -DCMAKE_INSTALL_PREFIX=${jpeg_prefix}
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
    RESULT_VARIABLE rc OUTPUT_QUIET)
  if(rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build "${jpeg_prefix}-build" --target install
      RESULT_VARIABLE rc OUTPUT_QUIET)
  endif()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "Building libjpeg-turbo failed")
  endif()
  file(WRITE "${jpeg_flags_stamp}" "${jpeg_target}")
endif()

add_library(ks_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(ks_jpeg PROPERTIES
  IMPORTED_LOCATION "${jpeg_prefix}-build/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${jpeg_prefix}/include")
