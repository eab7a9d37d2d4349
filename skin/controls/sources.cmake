# The skinned controls. The layout of tagged hint texts is portable; everything else needs Windows.
list(APPEND KS_PORTABLE_SOURCES
  skin/controls/HintMarkup.cpp
  skin/controls/HintShapes.cpp
)
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
  skin/controls/sHtmlParse.cpp
  skin/controls/sHintManager.cpp
  skin/controls/sHintWindows.cpp
)
