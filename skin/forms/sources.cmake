# Form, dialog and menu skinning: the creation hook, providers, dialog adapters and menus.
list(APPEND KS_WIN_SOURCES
  skin/forms/acDials.cpp
  skin/forms/sSkinMenus.cpp
  skin/forms/acShellCtrls.cpp
  skin/forms/sFrameAdapter.cpp
)
# Standard dialogs: the frame adapter, its painting and system menu.
list(APPEND KS_WIN_SOURCES
  skin/forms/acDialogWnd.cpp
  skin/forms/DialogFrame.cpp
)

# The form provider: life cycle, window procedure, set-up, frame geometry, title parts, system
# menu and control adapter.
list(APPEND KS_WIN_SOURCES
  skin/forms/sSkinProvider.cpp
  skin/forms/FormWindowProc.cpp
  skin/forms/ProviderSetup.cpp
  skin/forms/TitleParts.cpp
)
