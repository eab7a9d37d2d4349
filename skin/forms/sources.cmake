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
  skin/forms/FormFrameGeometry.cpp
  skin/forms/acCtrlAdapter.cpp
  skin/forms/SystemMenu.cpp
)
list(APPEND KS_PORTABLE_SOURCES
  skin/forms/FrameLayout.cpp
)

# The skinned frame's painting, title-button states and glow, and the layered border window.
list(APPEND KS_WIN_SOURCES
  skin/forms/FormNonClientPainting.cpp
  skin/forms/TitleButtonStates.cpp
  skin/forms/TitleAnimation.cpp
  skin/forms/acBorderForm.cpp
)
list(APPEND KS_PORTABLE_SOURCES
  skin/forms/FramePixels.cpp
)

# Moving and sizing a skinned form by its frame: snapping, sizing outlines, border bands.
list(APPEND KS_PORTABLE_SOURCES
  skin/forms/FrameTracking.cpp
)
# The form provider's hit testing, frame mouse and outline drag, its window-state, painting and
# MDI handling, and the MDI form support.
list(APPEND KS_WIN_SOURCES
  skin/forms/FormHitTest.cpp
  skin/forms/FormWindowState.cpp
  skin/forms/sMDIForm.cpp
)

# The skinned menus' item painters, beside the menu engine.
list(APPEND KS_WIN_SOURCES
  skin/forms/sSkinMenuPainting.cpp
)
# How the menus' painter finds a form's menu-line image.
list(APPEND KS_WIN_SOURCES
  skin/forms/ProviderMenuLine.cpp
)
