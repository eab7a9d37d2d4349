#pragma once
// What SysUtils needs from the operating system, implemented once per platform
// (SysUtilsWin.cpp, SysUtilsHost.cpp). Not for use outside the runtime.

#include <string>
#include <vector>

namespace ks::os {

// The command-line arguments after the program name, as the system hands them over.
std::vector<std::wstring> CommandLineArgs();
// The full name of the running program file.
std::wstring ModuleFileName();

// Host only: the file-system name of a path. Portable code joins paths with "\", which on the
// host stands for "/".
std::string HostPath(const std::wstring& name);

} // namespace ks::os
