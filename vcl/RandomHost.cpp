// The host side of the random sources: getrandom and the monotonic clock.
#include "vcl/Random.h"

#include "vcl/SysUtils.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>

namespace ks {

void FillCryptoRandom(std::span<uint8_t> out)
{
    size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::getrandom(out.data() + done, out.size() - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EOSError("The system random number generator failed");
        }
        done += static_cast<size_t>(n);
    }
}

uint32_t RandomizeClock() noexcept
{
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<uint32_t>(ticks);
}

} // namespace ks
