#pragma once

// What wave device 0 played under Wine, as heard by an independent DTMF decoder.
// The capture is raw S16_LE mono at 22050 Hz. Through ALSA each stream Wine opens on the
// device writes a file of its own, named after VESMO_CAPTURE, growing in real time while
// the stream runs (Wine stops it soon after the last sound): mark after the device under
// test has been opened, and the newest file is the one listened to. Through PulseAudio or
// PipeWire (VESMO_SOUND=pulse or pipewire) VESMO_CAPTURE is the recording of the server's
// sink, which runs all the time.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

struct HeardSound {
    std::string keys;         // the keys multimon-ng decoded, in order
    std::vector<int> toneMs;  // the length of each burst of swings (a tone, or a click), in order
    // The length of each break of about one sound-server cycle inside a burst, bridged as a
    // DTMF receiver bridges it: the burst's length above leaves the break out.
    std::vector<int> interruptionMs;
    // The length of each stretch of a flat level near full scale: a DC step, heard as a thump.
    std::vector<int> dcStepMs;
    // Where the first burst began, in ms from the start of what was heard; -1 when none.
    int firstToneAtMs = -1;
    // The longest time this process went unrun from the mark until the sound was decoded,
    // in ms: a machine that stopped it (a busy host, another program) stopped the server too.
    int longestStallMs = 0;
};

// How far the length of a tone as heard may be from the length it was played at: the
// resampling's edges.
inline constexpr int kToneToleranceMs = 2;

// Whether the sound is heard through a desktop sound server (VESMO_SOUND=pulse or pipewire),
// which plays in real time: a busy machine can make it run dry inside a tone. The capture
// through ALSA's file plugin is exact.
bool HeardInRealTime();

// The shortest tone a DTMF receiver is sure to take as a key, for a key played at setMs:
// receivers must accept 40 ms. The shortest tones the slider gives (20 ms) are taken, where
// they are, only whole, so a tone set shorter than 42 ms must sound its whole length (less
// the measuring tolerance).
int ShortestSureToneMs(int setMs);

// One key's tone as heard: the bursts it came out in, and the longest of them.
struct HeardKey {
    int pieces = 0;
    int longestMs = 0;
};

// The bursts heard, given to the keys played at the lengths set (one length per key, in
// order). A key's pieces are the bursts that follow each other and together sound no longer
// than its tone was set: the server loses or delays sound, it adds none, so a burst that
// would make more is the next key's. Bursts beyond the keys played make keys of their own.
std::vector<HeardKey> HeardKeys(const HeardSound& heard, const std::vector<int>& setMs);
// How many of those a receiver is sure to take as a key: their longest piece is long enough.
std::size_t SureKeys(const std::vector<HeardKey>& keys, const std::vector<int>& setMs);

// Adds to heard the length in ms of each tone in raw S16_LE mono 22050 Hz samples, in order.
// A tone is a stretch where the signal swings, so it is found in the sample-to-sample
// difference: a level that merely sits away from zero is no tone, though each of its edges
// is a click, which counts here too. Through PulseAudio and PipeWire a machine too busy for
// Wine's feeding thread can make the server miss one of its cycles (about 10 ms) inside a
// tone. A DTMF receiver bridges a break that short and hears one tone, so it is bridged here
// too: the tone's length is what sounded, and the break goes to interruptionMs. The shortest
// pause between two tones (20 ms) stays a pause.
void MeasureTones(const std::vector<std::int16_t>& samples, HeardSound& heard);

// How long this process goes unrun: a thread that sleeps a millisecond at a time notes the
// longest time between its wake-ups beyond that.
class StallWatch {
public:
    StallWatch();
    ~StallWatch();
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    void Restart() { m_longestUs = 0; }
    int LongestMs() const { return static_cast<int>(m_longestUs / 1000); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<long long> m_longestUs{0};
    std::thread m_thread;
};

class SoundCapture {
public:
    SoundCapture();
    // Chooses the newest capture and remembers its current end.
    void Mark();
    // Waits until the sound after the mark has come and gone: from its first sample on at
    // least audioMs long and followed by a longer quiet than any pause between tones (or,
    // when nothing comes, until audioMs and a margin have passed, or a generous timeout);
    // then decodes everything after the mark.
    HeardSound WaitAndDecode(int audioMs);

private:
    std::string m_sCapture;   // VESMO_CAPTURE
    std::string m_sUnixPath;  // the capture listened to since the mark
    std::filesystem::path m_Path;
    std::uintmax_t m_nMark = 0;
    StallWatch m_stalls;
};
