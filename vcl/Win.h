#pragma once
// The one place <windows.h> is included. UNICODE, NOMINMAX, STRICT, WIN32_LEAN_AND_MEAN and
// _WIN32_WINNT come from the build, never from a header.

#include <windows.h>
