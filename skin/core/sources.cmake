# The skin core. Portable units build for every target; Windows units need <windows.h>.
list(APPEND KS_PORTABLE_SOURCES
  skin/core/acSkinPack.cpp
  skin/core/sConst.cpp
  skin/core/sGradient.cpp
  skin/core/sMaskData.cpp
  skin/core/sSkinOptions.cpp
  skin/core/NumberRoutines.cpp
  skin/core/TextRoutines.cpp
  skin/core/PropertyRoutines.cpp
  skin/core/SkinImageValues.cpp
  skin/core/SkinImageCells.cpp
  skin/core/SkinLookups.cpp
  skin/core/SkinSelection.cpp
  skin/core/ComponentWatch.cpp
  skin/core/AnimationFrames.cpp
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
  skin/core/SectionPainting.cpp
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
  skin/core/DeviceContextRoutines.cpp
  skin/core/acGlow.cpp
  skin/core/ParentBackground.cpp
  skin/core/ControlFramePainting.cpp
  skin/core/ControlSkinPainting.cpp
  skin/core/sVclUtils.cpp
  skin/core/FormAnimation.cpp
)
list(APPEND KS_HOST_SOURCES
)
