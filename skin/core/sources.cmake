# The skin core. Portable units build for every target; Windows units need <windows.h>.
list(APPEND KS_PORTABLE_SOURCES
  skin/core/acSkinPack.cpp
  skin/core/sConst.cpp
  skin/core/sGradient.cpp
  skin/core/sMaskData.cpp
  skin/core/sSkinOptions.cpp
  skin/core/NumberRoutines.cpp
  skin/core/TextRoutines.cpp
)
list(APPEND KS_WIN_SOURCES
)
list(APPEND KS_HOST_SOURCES
)
