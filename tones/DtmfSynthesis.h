#pragma once

// DTMF synthesis on byte arrays: 8-bit unsigned mono samples at 44100 per second,
// 128 being silence. Nothing here touches the platform.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr unsigned char kSilence = 128;
inline constexpr int kSampleRate = 44100;

// The eight DTMF frequencies in Hz: the low group (keypad rows), then the high group
// (keypad columns).
inline constexpr std::array<int, 8> kToneFrequencies{697, 770, 852, 941, 1209, 1336, 1477, 1633};

// Samples in one tone slot of the given length. Negative for a negative length.
std::int64_t SamplesPerTone(int toneLengthMs);

// Radians the angle advances per sample when a tone of the given length and frequency
// is spread over the given number of samples.
double ToneIncrement(int frequencyHz, int toneLengthMs, std::size_t samples);

// Fills dest with one sine tone of the given frequency, as rendered for a tone slot of
// toneLengthMs milliseconds holding dest.size() samples.
void RenderTone(int frequencyHz, int toneLengthMs, std::span<unsigned char> dest);

// dest[i] = low[i] / 2 + high[i] / 2 for every byte of dest; low and high are at least
// as long as dest.
void MixTones(std::span<unsigned char> dest, const unsigned char* low, const unsigned char* high);
