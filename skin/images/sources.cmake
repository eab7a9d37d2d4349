# Image formats: the portable PNG core (decoder and colour manager) and the image list's stored data.
list(APPEND KS_PORTABLE_SOURCES
  skin/images/ColorManager.cpp
  skin/images/PngDecoder.cpp
  skin/images/ImageListItems.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/images/acPNG.cpp
  skin/images/acAlphaImageList.cpp
)
