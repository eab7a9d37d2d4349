# Image formats: the portable PNG core (decoder and colour manager).
list(APPEND KS_PORTABLE_SOURCES
  skin/images/ColorManager.cpp
  skin/images/PngDecoder.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/images/acPNG.cpp
  skin/images/acAlphaImageList.cpp
)
