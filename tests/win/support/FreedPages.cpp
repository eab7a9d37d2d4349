// The program's operator new and delete, replaced for the test executables: a plain heap block
// unless a FreedPages scope is open.
#include "FreedPages.h"

#include "vcl/Win.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Addresses reserved once and handed out in whole pages. Each block ends where its last page
// ends, as far as its alignment lets it, and is followed by a page left uncommitted, which both
// ends the block's own pages for VirtualQuery and faults on a write past its end. A freed
// block's pages stay out of use until the last scope closes, so that no new block takes its
// addresses while the test that freed it runs.
constexpr size_t kArenaBytes = sizeof(void*) == 4 ? size_t{256} << 20 : size_t{1} << 30;
constexpr size_t kPage = 4096;
constexpr size_t kPages = kArenaBytes / kPage;
constexpr size_t kAlign = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

enum PageUse : uint8_t { Unused, InUse, FreedInScope };

struct Arena {
    SRWLOCK Lock = SRWLOCK_INIT;
    char* Base = nullptr;
    int Scopes = 0;
    size_t Next = 0;
    PageUse Pages[kPages] = {};
};

Arena& TheArena()
{
    static Arena arena;
    return arena;
}

class Locked {
public:
    explicit Locked(Arena& a) : FArena(a) { AcquireSRWLockExclusive(&a.Lock); }
    ~Locked() { ReleaseSRWLockExclusive(&FArena.Lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Arena& FArena;
};

bool InArena(const Arena& a, const void* p) noexcept
{
    const char* c = static_cast<const char*>(p);
    return a.Base && c >= a.Base && c < a.Base + kArenaBytes;
}

// The first run of count unused pages from where the last block was placed, wrapping once;
// kPages when there is none.
size_t FindRun(const Arena& a, size_t count) noexcept
{
    for (size_t tried = 0, start = a.Next; tried < kPages;) {
        if (start + count > kPages) {
            tried += kPages - start;
            start = 0;
            continue;
        }
        size_t n = 0;
        while (n < count && a.Pages[start + n] == Unused)
            ++n;
        if (n == count)
            return start;
        tried += n + 1;
        start += n + 1;
    }
    return kPages;
}

// nullptr when no scope is open or no room is left: the caller falls back to the heap.
void* GuardedAlloc(size_t n) noexcept
{
    Arena& a = TheArena();
    const Locked locked(a);
    if (a.Scopes == 0 || n > kArenaBytes / 8)
        return nullptr;
    if (!a.Base)
        a.Base = static_cast<char*>(VirtualAlloc(nullptr, kArenaBytes, MEM_RESERVE, PAGE_NOACCESS));
    if (!a.Base)
        return nullptr;
    const size_t used = n ? (n + kAlign - 1) / kAlign * kAlign : kAlign;
    const size_t pages = (used + kPage - 1) / kPage;
    const size_t start = FindRun(a, pages + 1);
    if (start == kPages)
        return nullptr;
    auto* block = static_cast<char*>(VirtualAlloc(a.Base + start * kPage, pages * kPage, MEM_COMMIT, PAGE_READWRITE));
    if (!block)
        return nullptr;
    for (size_t i = 0; i <= pages; ++i)
        a.Pages[start + i] = InUse;
    a.Next = start + pages + 1;
    return block + pages * kPage - used;
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
    Arena& a = TheArena();
    {
        const Locked locked(a);
        if (InArena(a, p)) {
            // The block lies in the first of its pages, which the query answers from.
            MEMORY_BASIC_INFORMATION info{};
            if (VirtualQuery(p, &info, sizeof info) && info.State == MEM_COMMIT) {
                VirtualFree(info.BaseAddress, info.RegionSize, MEM_DECOMMIT);
                const size_t start = static_cast<size_t>(static_cast<char*>(info.BaseAddress) - a.Base) / kPage;
                const size_t pages = info.RegionSize / kPage;
                for (size_t i = 0; i <= pages && start + i < kPages; ++i)
                    a.Pages[start + i] = a.Scopes ? FreedInScope : Unused;
            }
            return;
        }
    }
    std::free(p);
}

} // namespace

namespace ks::test {

FreedPages::FreedPages() noexcept
{
    Arena& a = TheArena();
    const Locked locked(a);
    ++a.Scopes;
}

FreedPages::~FreedPages()
{
    Arena& a = TheArena();
    const Locked locked(a);
    if (--a.Scopes > 0)
        return;
    for (PageUse& page : a.Pages)
        if (page == FreedInScope)
            page = Unused;
}

bool FreedPages::Guards(const void* block) noexcept
{
    return InArena(TheArena(), block);
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
