#pragma once

// The one judgement of the tones heard, for every test that plays keys and measures them.

#include "SoundCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// No thump anywhere in what was heard, and the tones of keys played at the lengths set (one
// length per key, in order). Through ALSA's file capture, which is exact, each tone is one
// burst at its length. Through a sound server, which plays in real time, a busy machine
// breaks a tone now and then; a break of one server cycle is bridged (MeasureTones), and what
// is judged is what a DTMF receiver depends on: each key heard as a tone it is sure to take.
// A key that came in pieces with a longer break between them is judged by its longest piece:
// a receiver hears the pieces as separate tones, takes a piece long enough as the key and
// ignores a scrap (a scrap of its own, between keys, too). That each key is taken once, not
// twice, is the decoder's keys, which the caller checks. How often a tone comes split is a
// figure of the sound benchmark, not a fault.
inline void ExpectTones(const HeardSound& heard, const std::vector<int>& setMs)
{
    EXPECT_EQ(heard.dcStepMs, std::vector<int>{}) << "DC steps, in ms";
    const std::string heardText = "keys heard: " + heard.keys + ", bursts (ms): " +
                                  ::testing::PrintToString(heard.toneMs) + ", breaks bridged (ms): " +
                                  ::testing::PrintToString(heard.interruptionMs);
    if (HeardInRealTime()) {
        EXPECT_EQ(SureKeys(HeardKeys(heard, setMs), setMs), setMs.size())
            << "keys heard as a tone a receiver is sure to take; " << heardText;
        return;
    }
    ASSERT_EQ(heard.toneMs.size(), setMs.size()) << heardText;
    for (std::size_t i = 0; i < setMs.size(); ++i)
        EXPECT_NEAR(heard.toneMs[i], setMs[i], kToneToleranceMs) << "tone " << i << "; " << heardText;
}

inline void ExpectTones(const HeardSound& heard, std::size_t keys, int setMs)
{
    ExpectTones(heard, std::vector<int>(keys, setMs));
}
