# The class library. Portable units build for every target; Windows units need <windows.h>;
# host units stand in for a Windows unit on the host.
list(APPEND KS_PORTABLE_SOURCES
  vcl/SysUtils.cpp
  vcl/ByteReader.cpp
  vcl/Classes.cpp
  vcl/Streams.cpp
  vcl/Strings.cpp
  vcl/IniFiles.cpp
  vcl/ZLib.cpp
  vcl/Random.cpp
  vcl/Collections.cpp
  vcl/TypInfo.cpp
  vcl/FormCodec.cpp
  vcl/FormStreaming.cpp
  vcl/FormText.cpp
  vcl/GraphicsTypes.cpp
  vcl/PixelFormats.cpp
  vcl/BmpReader.cpp
  vcl/IcoReader.cpp
  vcl/JpegDecoder.cpp
)
list(APPEND KS_WIN_SOURCES
  vcl/GdiHandles.cpp
  vcl/Graphics.cpp
  vcl/Bitmap.cpp
  vcl/Icon.cpp
  vcl/Jpeg.cpp
  vcl/ResourceStream.cpp
  vcl/PlatformSeams.cpp
  vcl/Controls.cpp
  vcl/ActnList.cpp
  vcl/WinControl.cpp
  vcl/WinControlInput.cpp
  vcl/WindowProc.cpp
  vcl/WindowSubclass.cpp
  vcl/Forms.cpp
  vcl/FormsMDI.cpp
  vcl/Application.cpp
  vcl/ExtCtrls.cpp
  vcl/Menus.cpp vcl/Clipbrd.cpp vcl/Shell.cpp vcl/StdCtrls.cpp vcl/Buttons.cpp vcl/Shapes.cpp vcl/TrayIcon.cpp vcl/Hints.cpp vcl/Dialogs.cpp vcl/TextMeasure.cpp
  vcl/ImgList.cpp
  vcl/ComCtrls.cpp
  vcl/ComObj.cpp
  vcl/ListViews.cpp
  vcl/Grids.cpp
)
list(APPEND KS_HOST_SOURCES
  vcl/SysUtilsHost.cpp
  vcl/StreamsHost.cpp
  vcl/RandomHost.cpp
)
# The Windows side of the runtime's system layer (files, command line, random sources), which
# the portable units call as they call its host counterpart on the host.
list(APPEND KS_WIN_SOURCES vcl/SysUtilsWin.cpp vcl/StreamsWin.cpp vcl/RandomWin.cpp)
