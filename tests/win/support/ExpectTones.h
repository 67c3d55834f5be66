#pragma once

// The one judgement of the tones heard, for every test that plays keys and measures them.

#include "SoundCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// What is wrong with what was heard of keys played at the lengths set (one length per key,
// in order); empty when nothing is. The decoder must have taken the keys played, each once,
// with no thump anywhere. Through ALSA's file capture, which is exact, each tone is one
// burst at its length. Through a sound server, which plays in real time, a busy machine
// breaks a tone now and then; a break of one server cycle is bridged (MeasureTones), and what
// is judged is what a DTMF receiver depends on: each key heard as a tone it is sure to take.
// A key that came in pieces with a longer break between them is judged by its longest piece:
// a receiver hears the pieces as separate tones, takes a piece long enough as the key and
// ignores a scrap (a scrap of its own, between keys, too). How often a tone comes split is a
// figure of the sound benchmark, not a fault.
inline std::string ToneFaults(const HeardSound& heard, const std::string& keys, const std::vector<int>& setMs)
{
    std::string faults;
    if (heard.keys != keys)
        faults += "the decoder took \"" + heard.keys + "\" for \"" + keys + "\"; ";
    if (!heard.dcStepMs.empty())
        faults += "DC steps (ms): " + ::testing::PrintToString(heard.dcStepMs) + "; ";
    if (HeardInRealTime()) {
        if (SureKeys(HeardKeys(heard, setMs), setMs) != setMs.size())
            faults += "not every key came as a tone a receiver is sure to take; ";
    } else if (heard.toneMs.size() != setMs.size()) {
        faults += std::to_string(setMs.size()) + " tones played, " + std::to_string(heard.toneMs.size()) + " heard; ";
    } else {
        for (std::size_t i = 0; i < setMs.size(); ++i)
            if (std::abs(heard.toneMs[i] - setMs[i]) > kToneToleranceMs)
                faults += "tone " + std::to_string(i) + " set at " + std::to_string(setMs[i]) + " ms; ";
    }
    if (faults.empty())
        return faults;
    return faults + "bursts (ms): " + ::testing::PrintToString(heard.toneMs) +
           ", breaks bridged (ms): " + ::testing::PrintToString(heard.interruptionMs);
}

// A machine that stops this process for longer than this (a server cycle) while a sound
// server plays may cut the sound as it would any program's.
inline constexpr int kStallMs = 20;

// Plays (play, after the capture's mark), waits for audioMs of sound and judges what was
// heard (ToneFaults); returns it. Through a sound server, a take during which the machine
// stopped this process for longer than kStallMs is played again, at most twice, and said so:
// the fault of a stopped machine is no fault of the program's, while a fault that comes
// without one, or comes back every time, fails the test.
template <class Play>
HeardSound PlayAndExpectHeard(SoundCapture& capture, int audioMs, const std::string& keys,
                              const std::vector<int>& setMs, Play&& play)
{
    constexpr int kTakes = 3;
    for (int take = 1;; ++take) {
        capture.Mark();
        play();
        HeardSound heard = capture.WaitAndDecode(audioMs);
        const std::string faults = ToneFaults(heard, keys, setMs);
        if (faults.empty())
            return heard;
        const bool stopped = HeardInRealTime() && heard.longestStallMs > kStallMs;
        if (!stopped || take == kTakes) {
            ADD_FAILURE() << faults << "; this process went unrun for up to " << heard.longestStallMs
                          << " ms (take " << take << ")";
            return heard;
        }
        std::printf("played again: this process went unrun for %d ms while the server played, and %s\n",
                    heard.longestStallMs, faults.c_str());
    }
}

template <class Play>
HeardSound PlayAndExpectHeard(SoundCapture& capture, int audioMs, const std::string& keys, int setMs, Play&& play)
{
    return PlayAndExpectHeard(capture, audioMs, keys, std::vector<int>(keys.size(), setMs), std::forward<Play>(play));
}
