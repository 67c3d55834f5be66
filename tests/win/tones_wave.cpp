// The tone generator on Windows: played through wave output device 0 and heard by
// multimon-ng from Wine's sound capture; its tone bytes compared with the host build's.

#include "ExpectTones.h"
#include "SoundCapture.h"
#include "ToneChecksum.h"
#include "ToneGenerator.h"
#include "WinWaveDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <span>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kToneMs = kStartToneLengthMs;

std::string Joined(const std::vector<int>& values)
{
    std::string text;
    for (const int value : values)
        text += (text.empty() ? "" : " ") + std::to_string(value);
    return text.empty() ? "none" : text;
}

// What the sound server makes of a tone on a busy machine, as samples at the capture's rate:
// a break of one server cycle inside a tone is one tone, a pause between tones is not.
TEST(ToneMeasure, BridgesABreakOfOneServerCycleButNoPause)
{
    constexpr double kRate = 22050;
    const auto tone = [&](std::vector<std::int16_t>& samples, double ms) {
        for (int i = 0; i < static_cast<int>(ms * kRate / 1000); ++i)
            samples.push_back(static_cast<std::int16_t>(8000 * std::sin(2 * std::numbers::pi * 941 * i / kRate)));
    };
    const auto silence = [&](std::vector<std::int16_t>& samples, double ms) {
        samples.insert(samples.end(), static_cast<std::size_t>(ms * kRate / 1000), 0);
    };
    struct Case {
        double firstMs, breakMs, secondMs;
        std::vector<int> toneMs, interruptionMs;
    };
    for (const Case& c : {
             Case{31, 10, 17, {48}, {10}},
             Case{40, 10.7, 8, {48}, {11}},
             Case{20, kMinToneLengthMs, 20, {20, 20}, {}},
             Case{48, 13, 48, {48, 48}, {}},
         }) {
        SCOPED_TRACE(c.breakMs);
        std::vector<std::int16_t> samples;
        silence(samples, 50);
        tone(samples, c.firstMs);
        silence(samples, c.breakMs);
        tone(samples, c.secondMs);
        silence(samples, 50);
        HeardSound heard;
        MeasureTones(samples, heard);
        ASSERT_EQ(heard.toneMs.size(), c.toneMs.size()) << ::testing::PrintToString(heard.toneMs);
        for (std::size_t i = 0; i < c.toneMs.size(); ++i)
            EXPECT_NEAR(heard.toneMs[i], c.toneMs[i], 1);
        ASSERT_EQ(heard.interruptionMs.size(), c.interruptionMs.size());
        for (std::size_t i = 0; i < c.interruptionMs.size(); ++i)
            EXPECT_NEAR(heard.interruptionMs[i], c.interruptionMs[i], 1);
    }
}

// The bursts heard through a sound server, given back to the keys played: the pieces of a
// split tone are one key, a scrap of its own is no key, and a receiver is sure to take a key
// only from a piece of at least 40 ms (a tone set shorter only whole).
TEST(ToneMeasure, GivesSplitTonesBackToTheirKeysAndCountsTheKeysAReceiverTakes)
{
    struct Case {
        const char* what;
        std::vector<int> burstMs, setMs, pieces;
        std::size_t sure;
    };
    for (const Case& c : {
             Case{"whole", {48, 48, 48}, {48, 48, 48}, {1, 1, 1}, 3},
             Case{"the second split into a tone too short", {48, 33, 5, 48}, {48, 48, 48}, {1, 2, 1}, 2},
             Case{"the second split after a scrap", {48, 5, 43, 48}, {48, 48, 48}, {1, 2, 1}, 3},
             Case{"a scrap before the tone", {3, 48}, {48}, {1, 1}, 1},
             Case{"a long tone in two long pieces", {45, 55, 48}, {100, 48}, {2, 1}, 2},
             Case{"the shortest tones whole", {20, 20}, {20, 20}, {1, 1}, 2},
             Case{"the shortest tones, one split", {12, 8, 20}, {20, 20}, {2, 1}, 1},
         }) {
        SCOPED_TRACE(c.what);
        HeardSound heard;
        heard.toneMs = c.burstMs;
        const std::vector<HeardKey> keys = HeardKeys(heard, c.setMs);
        std::vector<int> pieces;
        for (const HeardKey& key : keys)
            pieces.push_back(key.pieces);
        EXPECT_EQ(pieces, c.pieces);
        EXPECT_EQ(SureKeys(keys, c.setMs), c.sure);
    }
}

// Each key alone, from silence, as a keypad button plays it; the lengths heard are printed so
// that the sound paths can be compared.
TEST(WaveOutput, EveryKeyIsHeard)
{
    SoundCapture capture;
    CToneGenerator generator(kToneMs, std::make_unique<CWinWaveDevice>());
    ASSERT_EQ(generator.Open(), kWaveNoError);
    std::vector<int> toneMs, dcStepMs, interruptionMs;
    for (const char key : std::string("123A456B789C*0#D")) {
        SCOPED_TRACE(key);
        const HeardSound heard = PlayAndExpectHeard(capture, kToneMs, std::string(1, key), kToneMs,
                                                    [&] { EXPECT_EQ(generator.PlayKey(key), kWaveNoError); });
        toneMs.insert(toneMs.end(), heard.toneMs.begin(), heard.toneMs.end());
        dcStepMs.insert(dcStepMs.end(), heard.dcStepMs.begin(), heard.dcStepMs.end());
        interruptionMs.insert(interruptionMs.end(), heard.interruptionMs.begin(), heard.interruptionMs.end());
    }
    std::printf("%s: %d ms keys from silence measured %s ms; DC steps (ms): %s; breaks bridged (ms): %s\n",
                std::getenv("VESMO_CAPTURE"), kToneMs, Joined(toneMs).c_str(), Joined(dcStepMs).c_str(),
                Joined(interruptionMs).c_str());
}

TEST(WaveOutput, ASequenceIsHeardWithEveryToneAtItsLength)
{
    SoundCapture capture;
    CToneGenerator generator(kToneMs, std::make_unique<CWinWaveDevice>());
    ASSERT_EQ(generator.Open(), kWaveNoError);
    const std::string number = "0701234567*#";
    PlayAndExpectHeard(capture, static_cast<int>(number.size()) * 2 * kToneMs, number, kToneMs,
                       [&] { EXPECT_EQ(generator.PlaySequence(number.c_str()), kWaveNoError); });
}

// Every tone of a long number at the start length and at 100 ms, measured in the capture;
// the figures are printed so that the two sound paths can be compared.
TEST(WaveOutput, ToneLengthsAreMeasuredAsSet)
{
    SoundCapture capture;
    const std::string number = "01234567890123456789";
    for (const int ms : {kToneMs, 100}) {
        SCOPED_TRACE(ms);
        CToneGenerator generator(ms, std::make_unique<CWinWaveDevice>());
        ASSERT_EQ(generator.Open(), kWaveNoError);
        const HeardSound heard = PlayAndExpectHeard(capture, static_cast<int>(number.size()) * 2 * ms, number, ms, [&] {
            EXPECT_EQ(generator.PlaySequence(number.c_str()), kWaveNoError);
        });
        if (heard.toneMs.empty())
            continue;
        double sum = 0, squares = 0;
        for (const int measured : heard.toneMs) {
            sum += measured;
            squares += static_cast<double>(measured) * measured;
        }
        const double count = static_cast<double>(heard.toneMs.size());
        const double mean = sum / count;
        const auto [shortest, longest] = std::minmax_element(heard.toneMs.begin(), heard.toneMs.end());
        std::printf("%s: %d ms tones measured %.2f ms on average, standard deviation %.2f, from %d to %d "
                    "(%zu tones, %zu DC steps)\n",
                    std::getenv("VESMO_CAPTURE"), ms, mean, std::sqrt(std::max(0.0, squares / count - mean * mean)),
                    *shortest, *longest, heard.toneMs.size(), heard.dcStepMs.size());
    }
}

TEST(WaveOutput, RequestsMadeWhileSoundPlaysAreAllHeardInOrder)
{
    SoundCapture capture;
    CToneGenerator generator(kToneMs, std::make_unique<CWinWaveDevice>());
    ASSERT_EQ(generator.Open(), kWaveNoError);
    PlayAndExpectHeard(capture, 6 * 2 * kToneMs + 100, "1234567", {kToneMs, kToneMs, kToneMs, kToneMs, kToneMs, kToneMs, 100},
                       [&] {
                           EXPECT_EQ(generator.SetToneLength(kToneMs), 0);
                           EXPECT_EQ(generator.PlaySequence("123"), kWaveNoError);
                           EXPECT_EQ(generator.PlaySequence("456"), kWaveNoError);
                           EXPECT_EQ(generator.SetToneLength(100), 0);
                           EXPECT_EQ(generator.PlayKey('7'), kWaveNoError);
                       });
}

TEST(WaveOutput, TheDeviceMarksABlockDoneOnceItHasPlayed)
{
    CWinWaveDevice device;
    ASSERT_EQ(device.Open(), kWaveNoError);
    const auto block = device.Allocate(4410);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(block->IsDone()) << "a block not yet queued is the owner's";
    std::ranges::fill(block->Bytes(), kSilence);
    device.Write(*block, block->Bytes().size());

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!block->IsDone() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(block->IsDone());
}

TEST(ToneBytes, AreTheSameAsTheHostBuildsAtEveryLength)
{
    std::ifstream table(VESMO_TONE_CHECKSUMS);
    ASSERT_TRUE(table) << "no " << VESMO_TONE_CHECKSUMS << ": build the native preset first";
    int lengths = 0;
    for (std::string line; std::getline(table, line); ++lengths) {
        int ms = 0;
        std::uint64_t hostChecksum = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %" SCNx64, &ms, &hostChecksum), 2) << line;
        EXPECT_EQ(ToneBufferChecksum(ms), hostChecksum) << ms << " ms";
    }
    EXPECT_EQ(lengths, kMaxToneLengthMs - kMinToneLengthMs + 1);
}

// What the device is given. On Windows: the generator's own bytes, 8-bit unsigned mono at
// 44100 per second, the very block it filled. Under Wine: 16-bit samples of the same values,
// then silence. Both are opened on the real device; the Windows feed is chosen by hand.
TEST(WaveFeed, WindowsGetsTheGeneratorsBytesAndWineTheirValuesIn16BitsEndingInSilence)
{
    ASSERT_TRUE(RunningUnderWine()) << "these tests run under Wine";
    std::vector<unsigned char> sound(4410);
    for (std::size_t i = 0; i < sound.size(); ++i)
        sound[i] = static_cast<unsigned char>(i * 7);

    {
        SCOPED_TRACE("Windows");
        CWinWaveDevice device(WaveFeed::Exact8Bit);
        ASSERT_EQ(device.Open(), kWaveNoError);
        const PCMWAVEFORMAT& format = device.Format();
        EXPECT_EQ(format.wf.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(format.wf.nChannels, 1);
        EXPECT_EQ(format.wf.nSamplesPerSec, 44100u);
        EXPECT_EQ(format.wf.nAvgBytesPerSec, 44100u);
        EXPECT_EQ(format.wf.nBlockAlign, 1);
        EXPECT_EQ(format.wBitsPerSample, 8);
        const auto block = device.Allocate(sound.size());
        ASSERT_NE(block, nullptr);
        std::ranges::copy(sound, block->Bytes().begin());
        device.Write(*block, sound.size() - 100);
        const std::span<const BYTE> queued = CWinWaveDevice::QueuedBytes(*block);
        EXPECT_EQ(queued.data(), block->Bytes().data()) << "the block itself is queued, not a copy";
        ASSERT_EQ(queued.size(), sound.size() - 100);
        EXPECT_TRUE(std::equal(queued.begin(), queued.end(), sound.begin()));
    }
    {
        SCOPED_TRACE("Wine");
        CWinWaveDevice device;
        ASSERT_EQ(device.Open(), kWaveNoError);
        EXPECT_EQ(device.Format().wBitsPerSample, 16);
        EXPECT_EQ(device.Format().wf.nBlockAlign, 2);
        EXPECT_EQ(device.Format().wf.nAvgBytesPerSec, 88200u);
        const auto block = device.Allocate(sound.size());
        ASSERT_NE(block, nullptr);
        std::ranges::copy(sound, block->Bytes().begin());
        device.Write(*block, sound.size());
        const std::span<const BYTE> queued = CWinWaveDevice::QueuedBytes(*block);
        ASSERT_GE(queued.size(), 2 * (sound.size() + 44100 * 40 / 1000)) << "at least 40 ms of silence after";
        std::vector<std::int16_t> samples(queued.size() / 2);
        std::memcpy(samples.data(), queued.data(), queued.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const int expected = i < sound.size() ? (sound[i] - 128) * 256 : 0;
            ASSERT_EQ(samples[i], expected) << "sample " << i;
        }
    }
}

// Either sign alone finds this Wine: its exports from ntdll, which a Wine can be set to
// hide, and its registry key.
TEST(WaveFeed, EachSignOfWineIsSeenHere)
{
    const WineSigns signs = LookForWine();
    EXPECT_TRUE(signs.ntdllExports);
    EXPECT_TRUE(signs.registryKey);
}

TEST(WaveFeed, VesmoWaveFeedForcesAFeedAndAnyOtherValueIsIgnored)
{
    struct Case {
        const char* forced;
        bool underWine;
        WaveFeed feed;
    };
    for (const Case& c : {
             Case{nullptr, false, WaveFeed::Exact8Bit},
             Case{nullptr, true, WaveFeed::Wine16Bit},
             Case{"windows", true, WaveFeed::Exact8Bit},
             Case{"Windows", true, WaveFeed::Exact8Bit},
             Case{"wine", false, WaveFeed::Wine16Bit},
             Case{"WINE", false, WaveFeed::Wine16Bit},
             Case{"", true, WaveFeed::Wine16Bit},
             Case{"", false, WaveFeed::Exact8Bit},
             Case{"win", false, WaveFeed::Exact8Bit},
             Case{"wine ", false, WaveFeed::Exact8Bit},
             Case{"8", true, WaveFeed::Wine16Bit},
         }) {
        SCOPED_TRACE(::testing::Message() << (c.forced ? c.forced : "(not set)") << (c.underWine ? ", Wine" : ", Windows"));
        EXPECT_EQ(ChooseWaveFeed(c.forced, c.underWine), c.feed);
    }
}

// Run with VESMO_WAVE_FEED set (tones.cmake): a device made without a feed is opened with
// the run's feed, and what it plays is heard.
void ExpectTheRunsDevicesFeed(WaveFeed forced)
{
    ASSERT_TRUE(RunningUnderWine()) << "these tests run under Wine";
    CWinWaveDevice device;
    ASSERT_EQ(device.Open(), kWaveNoError);
    const PCMWAVEFORMAT expected = CWinWaveDevice(forced).Format();
    EXPECT_EQ(device.Format().wBitsPerSample, expected.wBitsPerSample);
    EXPECT_EQ(std::memcmp(&device.Format(), &expected, sizeof expected), 0);

    SoundCapture capture;
    CToneGenerator generator(kToneMs, std::make_unique<CWinWaveDevice>());
    ASSERT_EQ(generator.Open(), kWaveNoError);
    capture.Mark();
    ASSERT_EQ(generator.PlaySequence("5"), kWaveNoError);
    EXPECT_EQ(capture.WaitAndDecode(2 * kToneMs).keys, "5");
}

// The setting read from this run's environment forces its feed on Windows and under Wine.
void ExpectTheSettingForces(WaveFeed forced)
{
    EXPECT_EQ(ChooseWaveFeed(WaveFeedSetting().c_str(), false), forced) << "on Windows";
    EXPECT_EQ(ChooseWaveFeed(WaveFeedSetting().c_str(), true), forced) << "under Wine";
    ExpectTheRunsDevicesFeed(forced);
}

TEST(ForcedWaveFeed, WindowsFeedsTheGeneratorsBytesUnderWineToo)
{
    ExpectTheSettingForces(WaveFeed::Exact8Bit);
}

TEST(ForcedWaveFeed, WineFeeds16BitSamplesOnWindowsToo)
{
    ExpectTheSettingForces(WaveFeed::Wine16Bit);
}

TEST(ForcedWaveFeed, AnyOtherValueLeavesTheFeedToWhetherWineRuns)
{
    ASSERT_FALSE(WaveFeedSetting().empty()) << "run with VESMO_WAVE_FEED set";
    EXPECT_EQ(ChooseWaveFeed(WaveFeedSetting().c_str(), false), WaveFeed::Exact8Bit);
    ExpectTheRunsDevicesFeed(WaveFeed::Wine16Bit);
}

// A key played through the device exactly as Windows gets it is heard as well.
TEST(WaveOutput, AKeyFedAsOnWindowsIsHeard)
{
    SoundCapture capture;
    CToneGenerator generator(kToneMs, std::make_unique<CWinWaveDevice>(WaveFeed::Exact8Bit));
    ASSERT_EQ(generator.Open(), kWaveNoError);
    capture.Mark();
    ASSERT_EQ(generator.PlaySequence("5"), kWaveNoError);
    EXPECT_EQ(capture.WaitAndDecode(2 * kToneMs).keys, "5");
}

// Run where Wine has no sound device.
TEST(NoSoundDevice, OpenGivesThePlatformsCodeAndItHasAText)
{
    ASSERT_EQ(waveOutGetNumDevs(), 0u) << "this case needs a machine without sound";
    CToneGenerator generator(kToneMs, std::make_unique<CWinWaveDevice>());
    const int code = generator.Open();
    EXPECT_EQ(code, MMSYSERR_BADDEVICEID);
    char text[256] = {};
    ASSERT_EQ(waveOutGetErrorTextA(static_cast<UINT>(code), text, 255), MMSYSERR_NOERROR);
    EXPECT_NE(text[0], '\0');
    std::printf("Open: %d, \"%s\"\n", code, text);
}

}  // namespace
