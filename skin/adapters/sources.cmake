# Window adapters: objects that take over the window procedures of standard and foreign windows,
# and the skinned scroll bars they draw in their windows' frames.
list(APPEND KS_PORTABLE_SOURCES
  skin/adapters/ScrollBarGeometry.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/adapters/acSBUtils.cpp
  skin/adapters/AdapterQueries.cpp
  skin/adapters/SkinnedScrollBars.cpp
  skin/adapters/ScrollWindowAdapters.cpp
)
# The button-family, static and panel adapters and their layout arithmetic.
list(APPEND KS_PORTABLE_SOURCES
  skin/adapters/AdapterLayout.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/adapters/AdapterPainting.cpp
  skin/adapters/acButtonAdapters.cpp
  skin/adapters/acStaticAdapters.cpp
)
# The tab, page, toolbar and status-bar adapters.
list(APPEND KS_PORTABLE_SOURCES
  skin/adapters/TabGeometry.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/adapters/TabAdapters.cpp
  skin/adapters/BarAdapters.cpp
)
# The list view (with its column header), grid and tree view adapters.
list(APPEND KS_WIN_SOURCES
  skin/adapters/HeaderPainting.cpp
  skin/adapters/ListViewAdapter.cpp
  skin/adapters/GridAdapters.cpp
  skin/adapters/TreeViewAdapters.cpp
)
# The MDI client adapter of a skinned MDI form.
list(APPEND KS_WIN_SOURCES
  skin/adapters/MDIClientAdapter.cpp
)
# The combo-box, up-down, popup-menu window and speed-button adapters and their arithmetic.
list(APPEND KS_PORTABLE_SOURCES
  skin/adapters/SmallAdapterGeometry.cpp
)
list(APPEND KS_WIN_SOURCES
  skin/adapters/ComboAdapters.cpp
  skin/adapters/UpDownAdapter.cpp
  skin/adapters/PopupMenuAdapter.cpp
  skin/adapters/SpeedButtonAdapter.cpp
)
