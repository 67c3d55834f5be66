// Prints "length checksum" for every tone length the program offers.

#include "ToneChecksum.h"
#include "ToneGenerator.h"

#include <cinttypes>
#include <cstdio>

int main()
{
    for (int ms = kMinToneLengthMs; ms <= kMaxToneLengthMs; ++ms)
        std::printf("%d %016" PRIx64 "\n", ms, ToneBufferChecksum(ms));
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
