# The skin core. Portable units build for every target (all of them x86 with SSE2); Windows units
# need <windows.h>.
list(APPEND KS_PORTABLE_SOURCES
  skin/core/acSkinPack.cpp
  skin/core/sConst.cpp
  skin/core/sGradient.cpp
  skin/core/sMaskData.cpp
  skin/core/sSkinOptions.cpp
  skin/core/NumberRoutines.cpp
  skin/core/TextRoutines.cpp
  skin/core/PropertyRoutines.cpp
  skin/core/PixelCore.cpp
  skin/core/PixelCoreSse2.cpp
  skin/core/PixelColour.cpp
  skin/core/AlphaImage.cpp
  skin/core/KeyedPixels.cpp
  skin/core/MaskedPixels.cpp
  skin/core/Resampler.cpp
  skin/core/GradientPixels.cpp
  skin/core/SkinImageValues.cpp
  skin/core/SkinLookups.cpp
  skin/core/SkinSelection.cpp
  skin/core/ComponentWatch.cpp
  skin/core/LoadedSkin.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/core/sGradientPaint.cpp
  skin/core/WinRoutines.cpp
  skin/core/MessageBoxes.cpp
  skin/core/CacheBitmaps.cpp
  skin/core/acFastPixels.cpp
  skin/core/ColorRoutines.cpp
  skin/core/PixelEffects.cpp
  skin/core/GlyphDrawing.cpp
  skin/core/SkinImagePainting.cpp
  skin/core/BitmapResampling.cpp
  skin/core/sStoredSkins.cpp
  skin/core/sMessages.cpp
  skin/core/SkinSenders.cpp
  skin/core/sStyleSimply.cpp
  skin/core/sSkinManager.cpp
  skin/core/SkinLoader.cpp
  skin/core/sSkinManagerLookups.cpp
  skin/core/SkinServices.cpp
  skin/core/sCommonData.cpp
)
list(APPEND KS_HOST_SOURCES
)
# The fill loops must vectorise at -O2; GCC's default cost model there refuses loops of unknown length.
set_source_files_properties(skin/core/PixelCore.cpp PROPERTIES COMPILE_OPTIONS $<$<CXX_COMPILER_ID:GNU>:-fvect-cost-model=cheap>)
