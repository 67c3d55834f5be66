#include "WinWaveDevice.h"

#include "DtmfSynthesis.h"

#include <new>
#include <utility>

static_assert(kWaveNoError == MMSYSERR_NOERROR && kWaveNoMemory == MMSYSERR_NOMEM);
static_assert(sizeof(PCMWAVEFORMAT) == 16);

namespace {

struct GlobalRelease {
    void operator()(HGLOBAL hMemory) const
    {
        GlobalUnlock(hMemory);
        GlobalFree(hMemory);
    }
};
using GlobalMemory = std::unique_ptr<void, GlobalRelease>;

class CGlobalWaveBuffer final : public CWaveBuffer {
public:
    CGlobalWaveBuffer(GlobalMemory hOutput, unsigned char* pOutput, std::size_t bytes)
        : m_hOutput(std::move(hOutput)), m_pOutput(pOutput), m_nBytes(bytes)
    {
    }
    ~CGlobalWaveBuffer() override
    {
        if (m_hPreparedOn)
            waveOutUnprepareHeader(m_hPreparedOn, &m_WaveHdr, sizeof m_WaveHdr);
    }
    CGlobalWaveBuffer(const CGlobalWaveBuffer&) = delete;
    CGlobalWaveBuffer& operator=(const CGlobalWaveBuffer&) = delete;

    std::span<unsigned char> Bytes() override { return {m_pOutput, m_nBytes}; }

    bool IsDone() const override
    {
        // The device sets WHDR_DONE from its own thread.
        const volatile DWORD& flags = m_WaveHdr.dwFlags;
        return !m_bQueued || (flags & WHDR_DONE) != 0;
    }

    void Queue(HWAVEOUT hWaveOut, std::size_t bytes)
    {
        if (!std::in_range<DWORD>(bytes))
            return;
        m_WaveHdr.lpData = reinterpret_cast<LPSTR>(m_pOutput);
        m_WaveHdr.dwBufferLength = static_cast<DWORD>(bytes);
        m_WaveHdr.dwFlags = 0;
        m_WaveHdr.dwLoops = 0;
        m_WaveHdr.dwUser = 0;
        if (waveOutPrepareHeader(hWaveOut, &m_WaveHdr, sizeof m_WaveHdr) != MMSYSERR_NOERROR)
            return;
        m_hPreparedOn = hWaveOut;
        m_bQueued = waveOutWrite(hWaveOut, &m_WaveHdr, sizeof m_WaveHdr) == MMSYSERR_NOERROR;
    }

private:
    GlobalMemory m_hOutput;
    unsigned char* m_pOutput;  // locked for the block's whole life
    std::size_t m_nBytes;
    WAVEHDR m_WaveHdr{};
    HWAVEOUT m_hPreparedOn = nullptr;
    bool m_bQueued = false;
};

}  // namespace

void CWinWaveDevice::WaveOutClose::operator()(HWAVEOUT hWaveOut) const
{
    waveOutReset(hWaveOut);
    waveOutClose(hWaveOut);
}

int CWinWaveDevice::Open()
{
    PCMWAVEFORMAT format{};
    format.wf.wFormatTag = WAVE_FORMAT_PCM;
    format.wf.nChannels = 1;
    format.wf.nSamplesPerSec = kSampleRate;
    format.wf.nAvgBytesPerSec = kSampleRate;
    format.wf.nBlockAlign = 1;
    format.wBitsPerSample = 8;

    HWAVEOUT hWaveOut = nullptr;
    const MMRESULT result = waveOutOpen(&hWaveOut, 0, reinterpret_cast<LPCWAVEFORMATEX>(&format),
                                        0, 0, WAVE_ALLOWSYNC | CALLBACK_NULL);
    if (result == MMSYSERR_NOERROR)
        m_hWaveOut.reset(hWaveOut);
    return static_cast<int>(result);
}

std::unique_ptr<CWaveBuffer> CWinWaveDevice::Allocate(std::size_t bytes)
{
    GlobalMemory hOutput(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes));
    if (!hOutput)
        return nullptr;
    auto* pOutput = static_cast<unsigned char*>(GlobalLock(hOutput.get()));
    if (!pOutput)
        return nullptr;
    try {
        return std::make_unique<CGlobalWaveBuffer>(std::move(hOutput), pOutput, bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CWinWaveDevice::Write(CWaveBuffer& buffer, std::size_t bytes)
{
    // Every block given to this device came from its Allocate.
    static_cast<CGlobalWaveBuffer&>(buffer).Queue(m_hWaveOut.get(), bytes);
}

void CWinWaveDevice::Reset()
{
    if (m_hWaveOut)
        waveOutReset(m_hWaveOut.get());
}
