// Password generation in the program's own build, beside the raw system source, under Wine: here
// the password's characters have the program's two bytes (the host benchmark's have four), so a
// long password writes the memory the program writes. x_raw is a password's time over that of
// drawing as many random bytes as it draws, the two timed in turns. It reports, it never passes
// or fails.
#include "app/PasswordRule.h"
#include "bench/Interleaved.h"
#include "vcl/Random.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

size_t gDrawn = 0;

void CountingFill(std::span<uint8_t> out)
{
    gDrawn += out.size();
    ks::FillCryptoRandom(out);
}

} // namespace

int main()
{
    const std::string set = ks::CharacterSet({true, true, true, true});
    ks::CryptoRandom random;
    for (const uint32_t length : {1000000u, 100000000u}) {
        gDrawn = 0;
        ks::GeneratePasswordFromBytes(set, length, &CountingFill);
        std::vector<uint8_t> bytes(gDrawn);
        std::vector<std::wstring> made;
        const ks::bench::Ratio r = ks::bench::Interleave(
            [&] { made.push_back(ks::GeneratePassword(set, length, random)); },
            [&] { ks::FillCryptoRandom(bytes); }, {length >= 100000000 ? 9 : 15, 2e-3}, [&] { made.clear(); });
        std::printf("Generate/all4/%u  %8.2f ms  raw %8.2f ms  %s x_raw_max=1.5\n", length, r.A * 1e3, r.B * 1e3,
                    ks::bench::Text("x_raw", r).c_str());
    }
    return 0;
}
