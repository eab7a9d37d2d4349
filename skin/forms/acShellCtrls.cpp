#include "skin/forms/acShellCtrls.h"

#include "vcl/ComObj.h"

#include <cstring>

TacShellFolder* RootFolder = nullptr;
int RootCSIDL = CSIDL_DESKTOP;

namespace {

int StartCount = 0;
bool OleInitialised = false;
CRITICAL_SECTION UnitLock;

// The shell allocator, asked for each time: it is a process-wide object the shell keeps. Freeing
// never raises (destructors free), so a refusal there only leaks the block.
IMalloc* Allocator(bool raise)
{
    IMalloc* malloc = nullptr;
    const HRESULT result = ShellCalling().SHGetMalloc(&malloc);
    if (raise)
        OleCheck(result);
    return SUCCEEDED(result) ? malloc : nullptr;
}

uint16_t ItemSize(LPCITEMIDLIST id) noexcept
{
    uint16_t size = 0;
    std::memcpy(&size, id, sizeof size);
    return size;
}

} // namespace

ShellCalls& ShellCalling() noexcept
{
    static ShellCalls calls;
    return calls;
}

LPITEMIDLIST AllocID(int size)
{
    if (size <= 0)
        return nullptr;
    IMalloc* malloc = Allocator(true);
    void* block = malloc ? malloc->Alloc(static_cast<SIZE_T>(size)) : nullptr;
    if (malloc)
        malloc->Release();
    if (block)
        std::memset(block, 0, static_cast<size_t>(size));
    return static_cast<LPITEMIDLIST>(block);
}

LPITEMIDLIST NextID(LPCITEMIDLIST id)
{
    auto* bytes = reinterpret_cast<const BYTE*>(id);
    return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(bytes + ItemSize(id)));
}

int IDSize(LPCITEMIDLIST id)
{
    if (!id)
        return 0;
    int size = 2;
    for (LPCITEMIDLIST item = id; ItemSize(item) != 0; item = NextID(item))
        size += ItemSize(item);
    return size;
}

LPITEMIDLIST CopyID(LPCITEMIDLIST id)
{
    const int size = IDSize(id);
    LPITEMIDLIST copy = AllocID(size);
    if (copy)
        std::memcpy(copy, id, static_cast<size_t>(size));
    return copy;
}

LPITEMIDLIST ConcatIDs(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    // Each list's terminator counted once: a missing list contributes nothing but the final 2.
    const int firstItems = first ? IDSize(first) - 2 : 0;
    const int secondItems = second ? IDSize(second) - 2 : 0;
    LPITEMIDLIST result = AllocID(firstItems + secondItems + 2);
    if (!result)
        return nullptr;
    auto* bytes = reinterpret_cast<BYTE*>(result);
    if (firstItems)
        std::memcpy(bytes, first, static_cast<size_t>(firstItems));
    if (secondItems)
        std::memcpy(bytes + firstItems, second, static_cast<size_t>(secondItems));
    // The allocator zero-fills, so the terminator is already there.
    return result;
}

void FreeID(LPITEMIDLIST id)
{
    if (!id)
        return;
    if (IMalloc* malloc = Allocator(false)) {
        malloc->Free(id);
        malloc->Release();
    }
}

TacShellFolder::TacShellFolder(TacShellFolder* parent, IShellFolder* folder, LPCITEMIDLIST relativeID)
    : Names(std::make_unique<TStringList>())
{
    Parent = parent ? parent : RootFolder;
    if (parent && parent->Parent)
        Level = parent->Level + 1;
    RelativeID = CopyID(relativeID);
    if (parent) {
        AbsoluteID = ConcatIDs(parent->AbsoluteID, RelativeID);
    } else {
        LPITEMIDLIST root = nullptr;
        OleCheck(ShellCalling().SHGetSpecialFolderLocation(nullptr, RootCSIDL, &root));
        AbsoluteID = ConcatIDs(root, RelativeID);
        FreeID(root);
    }
    ShellFolder = folder;
    if (ShellFolder)
        ShellFolder->AddRef();
}

TacShellFolder::~TacShellFolder()
{
    if (ShellFolder)
        ShellFolder->Release();
    FreeID(RelativeID);
    FreeID(AbsoluteID);
}

void InitializeAcShellCtrlsUnit()
{
    if (StartCount++ > 0)
        return;
    LPITEMIDLIST desktop = nullptr;
    if (SUCCEEDED(ShellCalling().SHGetSpecialFolderLocation(nullptr, RootCSIDL, &desktop)) && desktop) {
        IShellFolder* folder = nullptr;
        // An unused feature must not keep the program from starting: a shell that refuses
        // leaves no root.
        try {
            if (SUCCEEDED(ShellCalling().SHGetDesktopFolder(&folder)) && folder)
                RootFolder = new TacShellFolder(nullptr, folder, desktop);
        } catch (const Exception&) {
            RootFolder = nullptr;
        }
        if (folder)
            folder->Release();
        FreeID(desktop);
    }
    InitializeCriticalSection(&UnitLock);
    const HRESULT ole = ShellCalling().OleInitialize(nullptr);
    OleInitialised = ole == S_OK || ole == S_FALSE;
}

void FinalizeAcShellCtrlsUnit() noexcept
{
    if (StartCount == 0 || --StartCount > 0)
        return;
    delete RootFolder;
    RootFolder = nullptr;
    DeleteCriticalSection(&UnitLock);
    if (OleInitialised)
        ShellCalling().OleUninitialize();
    OleInitialised = false;
}
