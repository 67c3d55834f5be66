#pragma once

#include "WaveDevice.h"

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

// The tone lengths the program offers, in ms: the slider's range, and the length it starts
// with (and the About box's call returns to).
inline constexpr int kMinToneLengthMs = 20;
inline constexpr int kMaxToneLengthMs = 200;
inline constexpr int kStartToneLengthMs = 48;

// The sixteen keys in keypad order, row by row, as the keypad's buttons are numbered.
inline constexpr char kKeypadKeys[] = "123A456B789C*0#D";

// The DTMF tone generator: eight pre-rendered sine tones at the current tone length,
// mixed in pairs into one output buffer per request and queued on the wave device.
// A request returns as soon as its sound is queued, behind any sound still playing;
// each buffer is released once the device has finished with it.
class CToneGenerator {
public:
    CToneGenerator(int toneLengthMs, std::unique_ptr<CWaveDevice> device);
    ~CToneGenerator();
    CToneGenerator(const CToneGenerator&) = delete;
    CToneGenerator& operator=(const CToneGenerator&) = delete;

    // 0, or 1 when the tone buffers cannot be allocated (or ms is negative); the previous
    // length and tones then stay in use. The current length again keeps its tones.
    int SetToneLength(int ms);
    // 0, 7 (MMSYSERR_NOMEM) or the device's error code.
    int Open();
    // Queue one tone slot, no pause; a byte that is not a key gives a silent slot.
    // 0, or 7 when the output buffer cannot be allocated.
    int PlayKey(int key);
    // Queue a tone slot and a pause slot per character, the string as one buffer; any
    // byte that is not a key gives a silent slot, and an empty string queues nothing.
    // 0, or 7 when the output buffer cannot be allocated.
    int PlaySequence(const char* keys);
    int ToneLength() const { return m_nToneLength; }

private:
    struct KeyTone {
        char Key;
        int nLow;   // index into m_pToneBuffer of the keypad row's tone
        int nHigh;  // index into m_pToneBuffer of the keypad column's tone
    };
    // In keypad order: the row gives the low tone (buffers 0-3), the column the high (4-7).
    static constexpr std::array<KeyTone, 16> m_KeyTable = [] {
        std::array<KeyTone, 16> table{};
        for (int i = 0; i < 16; ++i)
            table[static_cast<std::size_t>(i)] = {kKeypadKeys[i], i / 4, 4 + i % 4};
        return table;
    }();

    std::size_t SlotSamples() const;
    void ComposeSlot(char key, std::span<unsigned char> slot) const;
    bool ExchangeOutputBuffer(std::size_t bytes);
    void WriteBuffer(std::size_t bytes);
    void ReleaseFinishedBuffers();

    std::array<std::unique_ptr<unsigned char[]>, 8> m_pToneBuffer;  // SlotSamples() each
    int m_nToneLength = 0;
    std::unique_ptr<CWaveDevice> m_pDevice;
    std::unique_ptr<CWaveBuffer> m_hOutput;              // not given to the device
    std::vector<std::unique_ptr<CWaveBuffer>> m_Queued;  // given to the device, oldest first
};

