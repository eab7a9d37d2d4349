#include "skin/core/SkinSelection.h"

#include "skin/core/TextRoutines.h"
#include "vcl/SysUtils.h"

namespace {

constexpr std::wstring_view OptionsFile = L"Options.dat";
constexpr std::wstring_view PackedExt = L".asz";

bool IsDelimiter(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The folder above appDir, with its delimiter. Stops at the root ("C:\", "\" or a text without
// any delimiter), so that a skin directory of ".." next to a program in a drive's root stays in
// that root.
std::wstring ParentFolder(std::wstring_view appDir)
{
    if (appDir.empty())
        return {};
    size_t end = appDir.size() - 1; // drop the delimiter the folder ends with
    while (end > 0 && !IsDelimiter(appDir[end - 1]))
        --end;
    if (end == 0)
        return std::wstring(appDir);
    return std::wstring(appDir.substr(0, end));
}

} // namespace

std::wstring ResolveSkinDirectory(std::wstring_view directory, std::wstring_view appDir)
{
    if (directory.substr(0, 2) == L"..")
        return ParentFolder(appDir) + std::wstring(directory.size() > 3 ? directory.substr(3) : std::wstring_view());
    if (directory.substr(0, 2) == L".\\" || directory.substr(0, 2) == L"./")
        return std::wstring(appDir) + std::wstring(directory.substr(2));
    if (directory.find(L':') == std::wstring_view::npos && directory.find(L"\\\\") == std::wstring_view::npos)
        return std::wstring(appDir) + std::wstring(directory);
    return std::wstring(directory);
}

std::wstring PackedSkinFileName(std::wstring_view resolvedDirectory, std::wstring_view skinName)
{
    return NormalizeDirPath(resolvedDirectory) + std::wstring(skinName) + std::wstring(PackedExt);
}

std::wstring SkinFolderPath(std::wstring_view resolvedDirectory, std::wstring_view skinName)
{
    return std::wstring(resolvedDirectory) + L"\\" + std::wstring(skinName) + L"\\";
}

std::wstring SkinFolderOptionsFile(std::wstring_view resolvedDirectory, std::wstring_view skinName)
{
    return SkinFolderPath(resolvedDirectory, skinName) + std::wstring(OptionsFile);
}

std::wstring ListSkinNames(const std::vector<std::wstring>& internalNames, const std::wstring& resolvedDirectory,
                           TsSkinListKind kind, TWideStrings& list)
{
    std::wstring first;
    list.Clear();
    TWideStringList names;
    for (const std::wstring& name : internalNames) {
        if (first.empty())
            first = name;
        names.Add(name);
    }
    auto add = [&](const std::wstring& name) {
        names.Add(name);
        if (first.empty())
            first = name;
    };
    if (DirectoryExists(resolvedDirectory)) {
        const std::wstring folder = NormalizeDirPath(resolvedDirectory);
        TSearchRec rec;
        for (int found = FindFirst(folder + L"*.*", faAnyFile, rec); found == 0; found = FindNext(rec)) {
            if (rec.Name.empty() || rec.Name[0] == L'.')
                continue;
            const bool isFolder = (rec.Attr & faDirectory) != 0;
            if (isFolder && kind != TsSkinListKind::Packed) {
                if (FileExists(folder + rec.Name + L"\\" + std::wstring(OptionsFile)))
                    add(rec.Name);
            } else if (!isFolder && kind != TsSkinListKind::Folders) {
                // Exactly as written: a skin of any other spelling is not offered, because the
                // loader asks for the lower-case extension.
                if (ExtractFileExt(rec.Name) == PackedExt)
                    add(rec.Name.substr(0, rec.Name.size() - PackedExt.size()));
            }
        }
        FindClose(rec);
    }
    names.Sort();
    list.AddStrings(names);
    return first;
}
