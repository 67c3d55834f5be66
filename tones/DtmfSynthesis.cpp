#include "DtmfSynthesis.h"

#include <algorithm>
#include <cmath>

namespace {

// One thousandth as the nearest single-precision value, slightly above 0.001: a length
// that is a multiple of 10 ms therefore gives a whole number of samples (70 ms -> 3087).
constexpr double kMilli = 0.001f;

// The angle advances by this much per period of a tone, a little less than 2 pi, so
// every tone sounds slightly below its nominal frequency.
constexpr double kRadiansPerPeriod = 6.28;

}  // namespace

std::int64_t SamplesPerTone(int toneLengthMs)
{
    return static_cast<std::int64_t>(toneLengthMs * kMilli * kSampleRate);
}

double ToneIncrement(int frequencyHz, int toneLengthMs, std::size_t samples)
{
    const double cycles = frequencyHz * kMilli * toneLengthMs;
    return cycles * kRadiansPerPeriod / static_cast<double>(samples);
}

void RenderTone(int frequencyHz, int toneLengthMs, std::span<unsigned char> dest)
{
    if (dest.empty())
        return;
    const double increment = ToneIncrement(frequencyHz, toneLengthMs, dest.size());
    double angle = 0.0;
    for (unsigned char& sample : dest) {
        // The value lies in -1..255; truncation takes everything above -1 to 0..255,
        // and -1 itself, which sin() never quite reaches at the usual lengths, is held at 0.
        const int value = static_cast<int>(std::sin(angle) * 128 + 127);
        sample = static_cast<unsigned char>(std::max(value, 0));
        angle += increment;
    }
}

void MixTones(std::span<unsigned char> dest, const unsigned char* low, const unsigned char* high)
{
    for (std::size_t i = 0; i < dest.size(); ++i)
        dest[i] = static_cast<unsigned char>(low[i] / 2 + high[i] / 2);
}
