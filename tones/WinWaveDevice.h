#pragma once

#include "WaveDevice.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <span>
#include <string>
#include <type_traits>

// How the device is fed. On Windows it gets exactly the generator's bytes: 8-bit unsigned
// mono. Under Wine each block goes out as 16-bit samples of the same values, followed by
// a stretch of silence (see WinWaveDevice.cpp for why).
enum class WaveFeed {
    Exact8Bit,
    Wine16Bit,
};

// What this process can see of Wine: the functions Wine's ntdll exports beside Windows' own
// (a Wine can be set to hide them) and the registry key Wine keeps its settings in.
struct WineSigns {
    bool ntdllExports = false;
    bool registryKey = false;
};
WineSigns LookForWine();
bool RunningUnderWine();

// The feed for a value of VESMO_WAVE_FEED (nullptr when it is not set): "wine" or "windows",
// in any case, forces that feed; anything else leaves it to whether the process runs under Wine.
WaveFeed ChooseWaveFeed(const char* forced, bool underWine);
// This process's VESMO_WAVE_FEED; empty when it is not set or too long to mean anything.
std::string WaveFeedSetting();
// This run's feed, decided at the first call from the environment and what the process sees.
WaveFeed RunWaveFeed();

// Wave output device 0 through the Windows waveform audio interface. Blocks are movable
// global memory, locked while they live; each block carries its own header.
class CWinWaveDevice final : public CWaveDevice {
public:
    explicit CWinWaveDevice(WaveFeed feed = RunWaveFeed());

    // Loading the sound driver is the slowest step of a start: this loads it on a thread of
    // its own, so that it runs while the window is built. The next Open waits for it.
    // Called from the thread that opens the device.
    static void LoadDriverAhead();

    int Open() override;
    std::unique_ptr<CWaveBuffer> Allocate(std::size_t bytes) override;
    void Write(CWaveBuffer& buffer, std::size_t bytes) override;
    void Reset() override;

    // The format the device was opened with.
    const PCMWAVEFORMAT& Format() const { return m_Format; }
    // The bytes the device was handed for 'buffer': the buffer's own bytes on the 8-bit feed;
    // under Wine's feed its samples widened to 16 bits and the trailing silence. Empty while
    // the buffer has not been queued.
    static std::span<const BYTE> QueuedBytes(const CWaveBuffer& buffer);

private:
    struct WaveOutClose {
        void operator()(HWAVEOUT hWaveOut) const;
    };
    WaveFeed m_Feed;
    PCMWAVEFORMAT m_Format{};
    std::unique_ptr<std::remove_pointer_t<HWAVEOUT>, WaveOutClose> m_hWaveOut;
};
