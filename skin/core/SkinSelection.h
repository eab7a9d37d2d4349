#pragma once
// Where a named skin lives: the skin directory resolved against the program's folder, the
// packed file and the skin folder a name stands for, and the list of skins a user may choose
// from. Portable: paths are joined with "\", which the host's file layer reads as "/".

#include "vcl/Strings.h"

#include <string>
#include <string_view>
#include <vector>

// The skin directory as a folder: beginning with ".." one folder above appDir (never above its
// root) followed by the rest after the first three characters; beginning with ".\" or "./"
// appDir followed by the rest; without ":" and "\\" anywhere, appDir followed by it; otherwise
// unchanged. appDir ends with its delimiter. The result has no trailing delimiter added.
std::wstring ResolveSkinDirectory(std::wstring_view directory, std::wstring_view appDir);

// "<resolved>\<name>.asz".
std::wstring PackedSkinFileName(std::wstring_view resolvedDirectory, std::wstring_view skinName);
// "<resolved>\<name>\" and its options file.
std::wstring SkinFolderPath(std::wstring_view resolvedDirectory, std::wstring_view skinName);
std::wstring SkinFolderOptionsFile(std::wstring_view resolvedDirectory, std::wstring_view skinName);

enum class TsSkinListKind { Folders = 0, Packed = 1, Both = 2 };

// Fills list with the internal skins' names and, when the directory exists, the skin folders
// (folders holding "Options.dat") and/or the packed files ("*.asz", extension in lower case as
// written) found there, sorted without regard to case. A packed file is listed under its name
// without the ".asz", so that the listed name loads that file. Entries beginning with "." are
// skipped. Returns the first name found (an internal skin's when there is one), or "".
std::wstring ListSkinNames(const std::vector<std::wstring>& internalNames, const std::wstring& resolvedDirectory,
                           TsSkinListKind kind, TWideStrings& list);
