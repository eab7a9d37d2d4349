# Image formats: the portable PNG core (decoder and colour manager).
list(APPEND KS_PORTABLE_SOURCES
  skin/images/ColorManager.cpp
  skin/images/PngDecoder.cpp
)
