#pragma once

#include "WaveDevice.h"

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <type_traits>

// Wave output device 0 through the Windows waveform audio interface. Blocks are movable
// global memory, locked while they live; each block carries its own header.
class CWinWaveDevice final : public CWaveDevice {
public:
    int Open() override;
    std::unique_ptr<CWaveBuffer> Allocate(std::size_t bytes) override;
    void Write(CWaveBuffer& buffer, std::size_t bytes) override;
    void Reset() override;

private:
    struct WaveOutClose {
        void operator()(HWAVEOUT hWaveOut) const;
    };
    std::unique_ptr<std::remove_pointer_t<HWAVEOUT>, WaveOutClose> m_hWaveOut;
};
