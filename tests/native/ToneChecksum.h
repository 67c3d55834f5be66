#pragma once

// A checksum of the eight tone buffers of one tone length (FNV-1a over them in frequency
// order), for checking that every build renders the same bytes.

#include "DtmfSynthesis.h"

#include <cstdint>
#include <vector>

inline std::uint64_t ToneBufferChecksum(int toneLengthMs)
{
    std::uint64_t hash = 0xcbf29ce484222325;
    std::vector<unsigned char> tone(static_cast<std::size_t>(SamplesPerTone(toneLengthMs)));
    for (const int frequencyHz : kToneFrequencies) {
        RenderTone(frequencyHz, toneLengthMs, tone);
        for (const unsigned char sample : tone)
            hash = (hash ^ sample) * 0x100000001b3;
    }
    return hash;
}
