#pragma once
// The shell namespace root of the engine's shell controls. What runs in this program is the
// unit's start-up and shut-down: OLE is initialised for the user-interface thread, a critical
// section is set up and the desktop folder is wrapped in the root TacShellFolder; shut-down
// releases them in turn. Item identifier lists (the shell's PIDLs: items each starting with
// their 16-bit byte count, ended by a zero count) are allocated and freed with the shell's
// allocator.

#include "vcl/Classes.h"
#include "vcl/Strings.h"
#include "vcl/Win.h"

#include <ole2.h>
#include <shlobj.h>

#include <memory>

// ---- item identifier lists
// A zero-filled block of the shell allocator; nullptr on failure.
LPITEMIDLIST AllocID(int size);
// The item after id.
LPITEMIDLIST NextID(LPCITEMIDLIST id);
// The items' byte counts plus 2 for the terminator; 0 for nullptr.
int IDSize(LPCITEMIDLIST id);
// A copy (nullptr for nullptr).
LPITEMIDLIST CopyID(LPCITEMIDLIST id);
// first's items followed by second's, always terminated; either may be nullptr.
LPITEMIDLIST ConcatIDs(LPCITEMIDLIST first, LPCITEMIDLIST second);
void FreeID(LPITEMIDLIST id);

// One folder of the shell namespace.
class TacShellFolder : public TObject {
public:
    const char* ClassName() const noexcept override { return "TacShellFolder"; }

    // Keeps its own copy of relativeID. Without parent the root folder is the parent and the
    // absolute list starts with the list of RootCSIDL. Raises EOleSysError when the shell cannot
    // give that list.
    TacShellFolder(TacShellFolder* parent, IShellFolder* folder, LPCITEMIDLIST relativeID);
    ~TacShellFolder() override;
    TacShellFolder(const TacShellFolder&) = delete;
    TacShellFolder& operator=(const TacShellFolder&) = delete;

    LPITEMIDLIST RelativeID = nullptr;
    LPITEMIDLIST AbsoluteID = nullptr;
    TacShellFolder* Parent = nullptr;
    IShellFolder* ShellFolder = nullptr; // one reference held
    int Level = 0;
    std::unique_ptr<TStringList> Names;
};

// The desktop's folder; nullptr while the unit is not started or the shell gave no desktop.
extern TacShellFolder* RootFolder;
// The special folder the root stands for (CSIDL_DESKTOP).
extern int RootCSIDL;

// The shell and OLE calls of the unit, replaceable by tests.
struct ShellCalls {
    HRESULT(WINAPI* OleInitialize)(LPVOID) = ::OleInitialize;
    void(WINAPI* OleUninitialize)() = ::OleUninitialize;
    HRESULT(WINAPI* SHGetMalloc)(IMalloc**) = ::SHGetMalloc;
    HRESULT(WINAPI* SHGetDesktopFolder)(IShellFolder**) = ::SHGetDesktopFolder;
    HRESULT(WINAPI* SHGetSpecialFolderLocation)(HWND, int, LPITEMIDLIST*) = ::SHGetSpecialFolderLocation;
};
ShellCalls& ShellCalling() noexcept;

// Start-up and shut-down count their calls: only the first start-up and the last shut-down act.
// OLE is uninitialised only when the start-up initialised it (S_OK or S_FALSE); a shell that
// gives no desktop leaves RootFolder nullptr and the program starts all the same.
void InitializeAcShellCtrlsUnit();
void FinalizeAcShellCtrlsUnit() noexcept;
