#pragma once

// What the tone generator needs of a sound device: blocks of memory the device can
// play, and a queue to put them on. CWinWaveDevice is the real one; CMemoryWaveDevice
// keeps the sound in memory.

#include <cstddef>
#include <memory>
#include <span>

// The platform's multimedia result codes the generator itself returns.
inline constexpr int kWaveNoError = 0;   // MMSYSERR_NOERROR
inline constexpr int kWaveNoMemory = 7;  // MMSYSERR_NOMEM

// One block of sound memory. Destroying it releases the memory, so the owner keeps it
// until the device is done with it.
class CWaveBuffer {
public:
    virtual ~CWaveBuffer() = default;
    virtual std::span<unsigned char> Bytes() = 0;
    // True unless the device holds the block: it was never queued, or it has been played.
    virtual bool IsDone() const = 0;
};

class CWaveDevice {
public:
    virtual ~CWaveDevice() = default;
    // Opens the device for 8-bit unsigned mono PCM at 44100 samples per second:
    // 0, or the platform's error code.
    virtual int Open() = 0;
    // A new block of the given size, or null when there is no memory for it.
    virtual std::unique_ptr<CWaveBuffer> Allocate(std::size_t bytes) = 0;
    // Queues the first bytes of the block behind whatever is queued already and returns
    // at once. A block the device does not take stays done.
    virtual void Write(CWaveBuffer& buffer, std::size_t bytes) = 0;
    // Stops the sound: every block queued is done at once.
    virtual void Reset() = 0;
};
