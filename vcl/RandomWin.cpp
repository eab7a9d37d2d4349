// The Windows side of the random sources: BCryptGenRandom and the performance counter.
#include "vcl/Random.h"

#include "vcl/SysUtils.h"
#include "vcl/Win.h"

#include <bcrypt.h>

#include <algorithm>

namespace {

using GenRandomFn = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);

// Bound by name from the system folder rather than linked, so that every program using the
// runtime (the portable tests included) starts without an import of bcrypt.dll.
GenRandomFn BindGenRandom()
{
    HMODULE module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module)
        return nullptr;
    return reinterpret_cast<GenRandomFn>(reinterpret_cast<void*>(GetProcAddress(module, "BCryptGenRandom")));
}

} // namespace

namespace ks {

void FillCryptoRandom(std::span<uint8_t> out)
{
    static const GenRandomFn genRandom = BindGenRandom();
    if (!genRandom)
        throw EOSError("The system random number generator failed");
    while (!out.empty()) {
        ULONG n = static_cast<ULONG>(std::min<size_t>(out.size(), 0x10000000));
        if (!BCRYPT_SUCCESS(genRandom(nullptr, out.data(), n, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            throw EOSError("The system random number generator failed");
        out = out.subspan(n);
    }
}

uint32_t RandomizeClock() noexcept
{
    LARGE_INTEGER counter;
    if (QueryPerformanceCounter(&counter))
        return static_cast<uint32_t>(counter.QuadPart);
    return GetTickCount();
}

} // namespace ks
