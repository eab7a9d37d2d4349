#pragma once
// What the process holds, counted in ways that also work under Wine: its live GDI objects, its
// menus and windows, and the busy bytes of all its heaps. Tests check that a hostile input cannot make them grow; the
// skin-cycle benchmark reports them per cycle.

#include "vcl/Win.h"

#include <cstdint>
#include <vector>

namespace ks::test {

// Live GDI objects of the process. Windows answers GetGuiResources. Wine answers 0 there (a
// stub, error 120), but finds an object from its handle table index alone, so every index of
// the table is asked for an object type.
inline long GdiObjectCount()
{
    if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<long>(n);
    constexpr uint32_t TableSize = 0x10000;
    long live = 0;
    for (uint32_t i = 1; i < TableSize; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(i))) != 0)
            ++live;
    return live;
}

// Live menus and windows of the process, the USER objects it makes. Windows answers
// GetGuiResources; under Wine, which answers 0 there, each USER handle (0x20 upward in steps
// of 2) is found from its low word alone and asked whether it is a menu or a window.
inline long UserObjectCount()
{
    if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
        return static_cast<long>(n);
    long live = 0;
    for (uint32_t i = 0x20; i < 0x10000; i += 2) {
        const auto h = static_cast<ULONG_PTR>(i);
        live += IsMenu(reinterpret_cast<HMENU>(h)) || IsWindow(reinterpret_cast<HWND>(h));
    }
    return live;
}

// Every heap of the process. The program's C++ allocations come from the C runtime's own heap,
// not the process heap, so looking at the process heap alone misses them.
inline std::vector<HANDLE> ProcessHeaps()
{
    // Room for heaps made meanwhile; a count past the room leaves the list unfilled.
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    const DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    heaps.resize(n <= heaps.size() ? n : 0);
    return heaps;
}

// Busy bytes of every heap of the process.
inline uint64_t HeapBusyBytes()
{
    uint64_t busy = 0;
    for (HANDLE heap : ProcessHeaps()) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        HeapUnlock(heap);
    }
    return busy;
}

// Every heap of the process passes its own check. Under WINEDEBUG=warn+heap freed blocks stay
// filled with a pattern that the check reads, so a write into freed memory, which faults
// nowhere, is found here.
inline bool HeapsIntact()
{
    for (HANDLE heap : ProcessHeaps())
        if (!HeapValidate(heap, 0, nullptr))
            return false;
    return true;
}

} // namespace ks::test
