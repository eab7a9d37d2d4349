#pragma once
// Counts the access violations the process raises, including those that never reach a test:
// Wine's dispatcher of window-procedure callbacks (like 32-bit Windows) swallows an exception
// raised inside a window procedure and returns to the caller as if the message were handled,
// so a read of freed memory under a message can leave nothing but a wrong result behind. A
// vectored handler sees every exception first, before any frame may swallow it.

#include "vcl/Win.h"

#include <atomic>

namespace ks::test {

class AccessViolations {
public:
    AccessViolations() : FHandler(AddVectoredExceptionHandler(1, &Seen)), FStart(Total()) {}
    ~AccessViolations() { RemoveVectoredExceptionHandler(FHandler); }
    AccessViolations(const AccessViolations&) = delete;
    AccessViolations& operator=(const AccessViolations&) = delete;

    // Faults raised since this counter was made.
    long Count() const { return Total() - FStart; }

private:
    static std::atomic<long>& Counter()
    {
        static std::atomic<long> counter{0};
        return counter;
    }
    static long Total() { return Counter().load(); }
    // Code run from freed memory faults as an illegal or privileged instruction as often as an
    // access violation, depending on what the freed bytes were filled with.
    static LONG CALLBACK Seen(EXCEPTION_POINTERS* info)
    {
        switch (info->ExceptionRecord->ExceptionCode) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
            ++Counter();
            break;
        default:
            break;
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    PVOID FHandler;
    long FStart;
};

} // namespace ks::test
