#pragma once

#include "WaveDevice.h"

#include <vector>

// A wave device that plays into memory: the bytes of every block queued are appended
// to Played(), and each block is done as soon as it is queued.
class CMemoryWaveDevice final : public CWaveDevice {
public:
    int Open() override { return kWaveNoError; }
    std::unique_ptr<CWaveBuffer> Allocate(std::size_t bytes) override;
    void Write(CWaveBuffer& buffer, std::size_t bytes) override;
    void Reset() override {}

    const std::vector<unsigned char>& Played() const { return m_Played; }
    void ClearPlayed() { m_Played.clear(); }

private:
    std::vector<unsigned char> m_Played;
};
