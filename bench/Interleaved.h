#pragma once
// Ratios of two timings that hold on a shared machine. Timed one after the other, each side of a
// ratio meets whatever else the machine does in its own moment (a compiler starting, a cache
// emptied), and the ratio moves by a quarter from run to run. Here the two sides run alternately,
// pair after pair, each sample a few milliseconds long: the load of a moment weighs on both halves
// of a pair alike, and the median of the pairs' ratios leaves out the pairs that one interruption
// did split. The spread printed beside a ratio is half the interquartile range of the pairs'
// ratios, in per cent of the ratio: what one pair may be off by, not the error of the median.
// Used by the host benchmarks and, built for Windows, by the ones that run under Wine.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

namespace ks::bench {

struct Pairing {
    int Pairs = 31;
    // The length of each side's sample: long beside the clock's resolution, short beside the
    // moments a shared machine's load changes in.
    double SampleSeconds = 2e-3;
};

// Seconds per call, with a spread in per cent of Value; a ratio also keeps each side's median.
struct Timing {
    double Value = 0;
    double Spread = 0;
};

struct Ratio : Timing {
    double A = 0;
    double B = 0;
};

// On the host, this thread's processor time: a sample that the scheduler interrupts does not
// count the other processes' turns, which on a machine busy compiling are most of the wall time.
// Under Wine, where part of the work is done by the window server and the X server on the
// thread's behalf and the thread times are coarse, the wall clock.
inline double Now()
{
#ifdef _WIN32
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

// The median and the spread of the samples (which it sorts).
inline Timing Summary(std::vector<double>& samples)
{
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    if (n == 0)
        return {};
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    const double spread = (samples[3 * n / 4] - samples[n / 4]) / 2;
    return {median, median > 0 ? 100 * spread / median : 0};
}

struct NothingToSettle {
    void operator()() const {}
};

namespace detail {

template <class Body>
double PerCall(Body& body, int calls)
{
    const double start = Now();
    for (int i = 0; i < calls; ++i)
        body();
    return (Now() - start) / calls;
}

// Calls of body that fill a sample, from one call timed after a first that warms it up.
template <class Body, class Settle>
int CallsPerSample(Body& body, const Pairing& p, Settle& settle)
{
    body();
    settle();
    const double once = PerCall(body, 1);
    settle();
    return once >= p.SampleSeconds ? 1 : static_cast<int>(std::min(1e6, p.SampleSeconds / std::max(once, 1e-9)));
}

} // namespace detail

// The seconds of one call of body: the median of the samples, with their spread.
template <class Body>
Timing Measure(Body&& body, Pairing p = {})
{
    NothingToSettle settle;
    const int calls = detail::CallsPerSample(body, p, settle);
    std::vector<double> samples;
    for (int i = 0; i < p.Pairs; ++i)
        samples.push_back(detail::PerCall(body, calls));
    return Summary(samples);
}

// The ratio of two sides whose samples (seconds per call) sampleA and sampleB take, alternately;
// which side goes first changes from pair to pair, so that neither always finds the caches as the
// other left them. For sides that cannot run call by call in turns (one menu open at a time, the
// skin on or off), a sample may set its side up and take several calls.
template <class SampleA, class SampleB>
Ratio Alternate(SampleA&& sampleA, SampleB&& sampleB, int pairs)
{
    std::vector<double> ratios, timesA, timesB;
    for (int i = 0; i < pairs; ++i) {
        double ta, tb;
        if (i % 2) {
            tb = sampleB();
            ta = sampleA();
        } else {
            ta = sampleA();
            tb = sampleB();
        }
        ratios.push_back(ta / tb);
        timesA.push_back(ta);
        timesB.push_back(tb);
    }
    Ratio r;
    static_cast<Timing&>(r) = Summary(ratios);
    r.A = Summary(timesA).Value;
    r.B = Summary(timesB).Value;
    return r;
}

// The time of a call of a over that of a call of b, sample by sample in turns. settle runs after
// every sample, untimed: what the calls leave behind that is not their cost (memory to give back).
template <class BodyA, class BodyB, class Settle = NothingToSettle>
Ratio Interleave(BodyA&& a, BodyB&& b, Pairing p = {}, Settle settle = {})
{
    const int callsA = detail::CallsPerSample(a, p, settle);
    const int callsB = detail::CallsPerSample(b, p, settle);
    const auto sample = [&settle](auto& body, int calls) {
        const double t = detail::PerCall(body, calls);
        settle();
        return t;
    };
    return Alternate([&] { return sample(a, callsA); }, [&] { return sample(b, callsB); }, p.Pairs);
}

// "name=1.23 name_spread=2.1%": how the Windows benchmarks print a ratio.
inline std::string Text(const char* name, const Timing& t)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s=%.3f %s_spread=%.1f%%", name, t.Value, name, t.Spread);
    return text;
}

// The same as two counters of a Google Benchmark row.
template <class Counters>
void Count(Counters& counters, const std::string& name, const Timing& t)
{
    counters[name] = t.Value;
    counters[name + "_spread%"] = t.Spread;
}

} // namespace ks::bench
