// Prints "length checksum" for every tone length from 20 to 200 ms.

#include "ToneChecksum.h"

#include <cinttypes>
#include <cstdio>

int main()
{
    for (int ms = 20; ms <= 200; ++ms)
        std::printf("%d %016" PRIx64 "\n", ms, ToneBufferChecksum(ms));
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
