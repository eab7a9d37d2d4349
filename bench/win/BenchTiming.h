#pragma once
// Timing for the Windows benchmark programs (Google Benchmark is not built for the Windows
// targets): the performance counter in seconds, and the best of several runs of a body, which
// on a shared machine lands in its quieter moments.
#include "vcl/Win.h"

#include <algorithm>

namespace ks::bench {

inline double Seconds()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The best of runs runs of calls calls of body, in seconds per call.
template <class Body>
double Best(int calls, Body body, int runs = 5)
{
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double start = Seconds();
        for (int i = 0; i < calls; ++i)
            body();
        best = std::min(best, (Seconds() - start) / calls);
    }
    return best;
}

} // namespace ks::bench
