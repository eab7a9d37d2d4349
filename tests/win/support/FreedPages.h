#pragma once
// Freed memory that faults on every touch. While a FreedPages scope is open, each block the
// program allocates with operator new gets pages of its own; deleting it takes the pages away,
// and their addresses are not handed out again while a scope is open. A read of a freed object
// then faults at once, like a write: Wine's heap checking fills freed blocks with a pattern,
// which catches writes and wild pointers followed, but not a plain read of a freed member (a
// flag, a count, a handle). A block ends where its pages end, but for the few bytes that round
// its size up to the alignment of operator new: a write past that faults too.
// Only blocks made while a scope is open are guarded: what was made before it opened (a suite's
// set-up, a static) stays on the heap and is read after its free as the heap lets it be.

#include <cstddef>

namespace ks::test {

class FreedPages {
public:
    FreedPages() noexcept;
    ~FreedPages();
    FreedPages(const FreedPages&) = delete;
    FreedPages& operator=(const FreedPages&) = delete;

    // True when block lives on guarded pages: a test checks this of the object it watches, so a
    // run that ran out of guarded space fails instead of silently checking nothing.
    static bool Guards(const void* block) noexcept;
};

} // namespace ks::test
