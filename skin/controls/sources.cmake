# The skinned controls.
list(APPEND KS_WIN_SOURCES
  skin/controls/sLabel.cpp
  skin/controls/sEdit.cpp
  skin/controls/sFade.cpp
  skin/controls/ButtonGlyphs.cpp
  skin/controls/sButton.cpp
  skin/controls/sSpeedButton.cpp
  skin/controls/sCheckBox.cpp
  skin/controls/sGroupBox.cpp
  skin/controls/sMemo.cpp
  skin/controls/sSpinEdit.cpp
)
