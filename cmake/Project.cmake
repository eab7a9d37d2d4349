# Compiler settings shared by every project target (third-party code gets none of them).

if(KS_WINDOWS)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX STRICT WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
  # One self-contained executable: no mingw runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Round-half-to-even results must not depend on x87 extended precision.
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  find_program(KS_WINE wine REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KS_WINE})
else()
  option(KS_SANITIZE "Build host code with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
  if(KS_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  option(KS_FUZZ "Build libFuzzer targets (needs clang)" OFF)
  if(KS_FUZZ)
    # Coverage feedback from the whole library, not only from each target's own file. Optimised,
    # whatever the build type: at -O0 the targets run three to six times slower.
    add_compile_options(-fsanitize=fuzzer-no-link -O1 -g)
  endif()
endif()

function(ks_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
