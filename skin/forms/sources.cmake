# Form, dialog and menu skinning: the creation hook, providers, dialog adapters and menus.
list(APPEND KS_WIN_SOURCES
  skin/forms/acDials.cpp
  skin/forms/sSkinMenus.cpp
  skin/forms/acShellCtrls.cpp
  skin/forms/sFrameAdapter.cpp
)
# The skinned menus' item painters, beside the menu engine.
list(APPEND KS_WIN_SOURCES
  skin/forms/sSkinMenuPainting.cpp
)
