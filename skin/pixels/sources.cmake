# The pixel layer: the engine's own loops on ks::PixelView, portable only (no <windows.h>), built
# for every target (all of them x86 with SSE2). The painters of skin/core adapt bitmaps to them.
list(APPEND KS_PORTABLE_SOURCES
  skin/pixels/PixelCore.cpp
  skin/pixels/PixelCoreSse2.cpp
  skin/pixels/PixelCoreAvx2.cpp
  skin/pixels/PixelColour.cpp
  skin/pixels/AlphaImage.cpp
  skin/pixels/KeyedPixels.cpp
  skin/pixels/MaskedPixels.cpp
  skin/pixels/Resampler.cpp
  skin/pixels/GradientPixels.cpp
  skin/pixels/GlowPixels.cpp
  skin/pixels/ControlFramePixels.cpp
)
# The fill loops must vectorise at -O2; GCC's default cost model there refuses loops of unknown length.
set_source_files_properties(skin/pixels/PixelCore.cpp PROPERTIES COMPILE_OPTIONS $<$<CXX_COMPILER_ID:GNU>:-fvect-cost-model=cheap>)
# Windows: on 64-bit Windows GCC cannot align the stack to 32 bytes for the AVX2 loops' register
# spills and would fault on an aligned move there, so every vector move is assembled unaligned.
# The 32-bit build realigns its stack itself.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows" AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set_source_files_properties(skin/pixels/PixelCoreAvx2.cpp PROPERTIES COMPILE_OPTIONS -Wa,-muse-unaligned-vector-move)
endif()
