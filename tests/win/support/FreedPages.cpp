// The program's operator new and delete, replaced for the test executables: a plain heap block
// unless a FreedPages scope is open.
#include "FreedPages.h"

#include "vcl/Win.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Addresses reserved once, handed out in page steps, never reused. Each block is followed by a
// page left uncommitted, which both ends the block's own pages for VirtualQuery and faults on a
// write past its end.
constexpr size_t kArenaBytes = sizeof(void*) == 4 ? size_t{256} << 20 : size_t{1} << 30;
constexpr size_t kPage = 4096;

std::atomic<int> gScopes{0};
std::atomic<char*> gArena{nullptr};
std::atomic<size_t> gUsed{0};

char* Arena() noexcept
{
    char* arena = gArena.load();
    if (arena)
        return arena;
    char* fresh = static_cast<char*>(VirtualAlloc(nullptr, kArenaBytes, MEM_RESERVE, PAGE_NOACCESS));
    if (!fresh)
        return nullptr;
    if (!gArena.compare_exchange_strong(arena, fresh)) {
        VirtualFree(fresh, 0, MEM_RELEASE);
        return arena;
    }
    return fresh;
}

bool InArena(const void* p) noexcept
{
    const char* arena = gArena.load();
    const char* c = static_cast<const char*>(p);
    return arena && c >= arena && c < arena + kArenaBytes;
}

// nullptr when no scope is open or the arena is used up: the caller falls back to the heap.
void* GuardedAlloc(size_t n) noexcept
{
    if (gScopes.load() == 0 || n > kArenaBytes / 4)
        return nullptr;
    char* arena = Arena();
    if (!arena)
        return nullptr;
    const size_t pages = (n + kPage - 1) / kPage + (n == 0);
    const size_t step = (pages + 1) * kPage;
    const size_t at = gUsed.fetch_add(step);
    if (at + step > kArenaBytes)
        return nullptr;
    return VirtualAlloc(arena + at, pages * kPage, MEM_COMMIT, PAGE_READWRITE);
}

void* Allocate(size_t n)
{
    if (void* p = GuardedAlloc(n))
        return p;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

void Release(void* p) noexcept
{
    if (!p)
        return;
    if (!InArena(p)) {
        std::free(p);
        return;
    }
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(p, &info, sizeof info) && info.State == MEM_COMMIT)
        VirtualFree(p, info.RegionSize, MEM_DECOMMIT);
}

} // namespace

namespace ks::test {

FreedPages::FreedPages() noexcept
{
    ++gScopes;
}

FreedPages::~FreedPages()
{
    --gScopes;
}

bool FreedPages::Guards(const void* block) noexcept
{
    return InArena(block);
}

} // namespace ks::test

// Every block of the test executables comes through here; over-aligned ones keep to the
// library's own allocation.
void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
