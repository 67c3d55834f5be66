#include "DtmfSynthesis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

std::vector<unsigned char> Tone(int frequencyHz, int toneLengthMs)
{
    std::vector<unsigned char> tone(static_cast<std::size_t>(SamplesPerTone(toneLengthMs)));
    RenderTone(frequencyHz, toneLengthMs, tone);
    return tone;
}

}  // namespace

TEST(SamplesPerTone, IsTheLengthTimes44Point1Truncated)
{
    struct Case { int ms; std::int64_t samples; };
    for (const Case c : {Case{20, 882}, Case{48, 2116}, Case{70, 3087}, Case{200, 8820}})
        EXPECT_EQ(SamplesPerTone(c.ms), c.samples) << c.ms << " ms";
    for (int ms = 1; ms <= 47748; ++ms)
        ASSERT_EQ(SamplesPerTone(ms), std::int64_t{ms} * 44100 / 1000) << ms << " ms";
}

TEST(ToneIncrement, At48Ms)
{
    EXPECT_EQ(ToneIncrement(697, 48, 2116), 0.09929285915850157);
    EXPECT_EQ(ToneIncrement(1209, 48, 2116), 0.17223108568526313);
}

TEST(RenderTone, FirstSamplesAt48Ms)
{
    struct Case { int hz; std::vector<unsigned char> first; };
    for (const Case& c : {Case{697, {127, 139, 152, 164, 176, 187, 198, 208}},
                          Case{1209, {127, 148, 170, 190, 208, 224, 236, 246}}}) {
        const auto tone = Tone(c.hz, 48);
        EXPECT_EQ(std::vector(tone.begin(), tone.begin() + 8), c.first) << c.hz << " Hz";
    }
}

// A sample that wrapped round (a negative value stored as a byte near 255) would
// jump far further than the sine can move in one step.
TEST(RenderTone, EveryToneStartsAt127AndMovesSmoothlyAtEveryLength)
{
    for (int ms = 20; ms <= 200; ++ms) {
        for (const int hz : kToneFrequencies) {
            const auto tone = Tone(hz, ms);
            ASSERT_EQ(tone.front(), 127) << hz << " Hz, " << ms << " ms";
            const int maxStep = static_cast<int>(std::ceil(128 * ToneIncrement(hz, ms, tone.size()))) + 1;
            for (std::size_t i = 1; i < tone.size(); ++i)
                ASSERT_LE(std::abs(tone[i] - tone[i - 1]), maxStep)
                    << hz << " Hz, " << ms << " ms, sample " << i;
        }
    }
}

TEST(MixTones, HalvesEachSampleBeforeAdding)
{
    struct Case { unsigned char low, high, mixed; };
    const std::vector<Case> cases{{255, 255, 254}, {1, 1, 0}, {3, 2, 2}, {128, 128, 128},
                                  {0, 255, 127}, {127, 127, 126}, {0, 0, 0}};
    std::vector<unsigned char> low, high, mixed(cases.size());
    for (const Case& c : cases) {
        low.push_back(c.low);
        high.push_back(c.high);
    }
    MixTones(mixed, low.data(), high.data());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(mixed[i], cases[i].mixed) << int{cases[i].low} << " + " << int{cases[i].high};
}
