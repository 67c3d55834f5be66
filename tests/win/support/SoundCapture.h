#pragma once

// What wave device 0 played under Wine, as heard by an independent DTMF decoder.
// The capture is the file named by VESMO_CAPTURE: raw S16_LE mono at 22050 Hz, growing
// in real time (silence included) while a process holds the device open, and started
// afresh whenever a process opens it: mark after the device is open. Through PulseAudio
// (VESMO_SOUND=pulse) it is the recording of the server's sink, which runs all the time.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct HeardSound {
    std::string keys;         // the keys multimon-ng decoded, in order
    std::vector<int> toneMs;  // the length of each tone, in order
    int clicks = 0;           // swings too short to be a tone
};

class SoundCapture {
public:
    SoundCapture();
    // Remembers the capture's current end.
    void Mark();
    // Waits until the capture has grown by audioMs and a safety margin past the mark, and
    // until what follows the last sound is a longer quiet than any pause between tones (or
    // a generous timeout has passed); then decodes everything after the mark.
    HeardSound WaitAndDecode(int audioMs);
    // Whether the device is the private PulseAudio server's sink rather than the ALSA file.
    static bool ThroughPulseAudio();

private:
    std::string m_sUnixPath;
    std::filesystem::path m_Path;
    std::uintmax_t m_nMark = 0;
};
