# Window adapters: objects that take over the window procedures of standard and foreign windows.
list(APPEND KS_WIN_SOURCES
  skin/adapters/acSBUtils.cpp
)
