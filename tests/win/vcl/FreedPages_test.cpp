// The freed pages the lifetime tests lean on: if they stopped faulting, every lifetime test would
// pass for the wrong reason.
#include "win/support/FreedPages.h"

#include "vcl/Win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <set>

namespace {

using ks::test::FreedPages;

bool Committed(const void* p)
{
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(p, &info, sizeof info) && info.State == MEM_COMMIT;
}

TEST(FreedPages, AFreedBlockFaultsOnEveryTouchAndABlocksEndOnTheFirstByteAfterIt)
{
    constexpr size_t align = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
    const FreedPages scope;
    std::set<const void*> handedOut;
    for (const size_t n : {size_t{1}, size_t{16}, size_t{24}, size_t{4096}, size_t{5000}}) {
        SCOPED_TRACE(n);
        auto* p = static_cast<char*>(operator new(n));
        ASSERT_TRUE(FreedPages::Guards(p));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % align, 0u);
        p[0] = 1;
        p[n - 1] = 1;
        EXPECT_FALSE(Committed(p + (n + align - 1) / align * align)) << "a write past its end faults";
        operator delete(p);
        EXPECT_FALSE(Committed(p)) << "a read of the freed block faults";
        EXPECT_FALSE(Committed(p + n - 1));
        EXPECT_TRUE(handedOut.insert(p).second) << "a freed address handed out again";
    }
}

// Blocks taken and freed until the guarded space is used up, when the plain heap takes over:
// none of them gets an address a freed one had.
TEST(FreedPages, AScopeNeverHandsOutAFreedAddressAgain)
{
    constexpr size_t large = size_t{16} << 20;
    const FreedPages scope;
    std::set<const void*> handedOut;
    for (int i = 0; i < 1000; ++i) {
        void* p = operator new(large);
        const bool guarded = FreedPages::Guards(p);
        operator delete(p);
        if (!guarded)
            return;
        ASSERT_TRUE(handedOut.insert(p).second) << "block " << i << " was given a freed block's address";
    }
    FAIL() << "the guarded space never ran out";
}

// The entry point opens a scope for every test of a suite named so.
TEST(FreedPagesLifetime, ATestOfALifetimeSuiteRunsOnFreedPages)
{
    const auto block = std::make_unique<int>(1);
    EXPECT_TRUE(FreedPages::Guards(block.get()));
}

} // namespace
