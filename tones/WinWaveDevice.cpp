#include "WinWaveDevice.h"

#include "DtmfSynthesis.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

static_assert(kWaveNoError == MMSYSERR_NOERROR && kWaveNoMemory == MMSYSERR_NOMEM);
static_assert(sizeof(PCMWAVEFORMAT) == 16);
static_assert(std::atomic_ref<DWORD>::required_alignment <= alignof(DWORD));

namespace {

// Wine's sound drivers mishandle two things that Windows does not, both measured through
// ALSA, PulseAudio and PipeWire:
//  - when the queue runs empty, Wine stops and resets its stream as soon as its clock says
//    the last block has played, and that clock can run a period ahead of what was handed
//    to the sound system: the last milliseconds of the block are thrown away (a single
//    key's tone, which ends the block, comes out short or not at all);
//  - its PulseAudio driver holds back the end of a block until more is written, and after
//    the stream has run dry it pads with zero bytes, which for 8-bit unsigned samples are
//    full-scale negative: a thump before or after a key played from silence.
// So under Wine every block goes out as 16-bit samples (zero is silence there) and ends in
// a stretch of silence longer than anything Wine holds back or drops. Wine 10 holds back
// more the longer the server's queue: with the 90 ms that Vesmo's launchers ask for, up to
// 79 ms was measured, where 50 ms of silence had been enough for Wine 8 and for Wine 10 at 60.
constexpr int kWineTrailingSilenceMs = 100;
constexpr std::size_t kWineTrailingSilence = kSampleRate * kWineTrailingSilenceMs / 1000;

// The thread that loads the sound driver ahead of the first open, until that open.
struct HandleClose {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
std::unique_ptr<void, HandleClose> g_driverLoading;

DWORD WINAPI LoadDriver(LPVOID)
{
    waveOutGetNumDevs();
    return 0;
}

std::int16_t To16Bit(unsigned char sample) { return static_cast<std::int16_t>((sample - kSilence) * 256); }

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
        if (!m_bQueued)
            return true;
        // The device sets WHDR_DONE from its own thread once it has finished with the block:
        // an acquiring atomic read sees that store, and everything the device did before it.
        const std::atomic_ref<DWORD> flags(m_WaveHdr.dwFlags);
        return (flags.load(std::memory_order_acquire) & WHDR_DONE) != 0;
    }

    std::span<const BYTE> Queued() const
    {
        return {reinterpret_cast<const BYTE*>(m_WaveHdr.lpData), m_bQueued ? m_WaveHdr.dwBufferLength : 0};
    }

    void Queue(HWAVEOUT hWaveOut, WaveFeed feed, std::size_t bytes)
    {
        LPSTR data = reinterpret_cast<LPSTR>(m_pOutput);
        if (feed == WaveFeed::Wine16Bit) {
            try {
                m_Wide.assign(bytes + kWineTrailingSilence, 0);
            } catch (const std::bad_alloc&) {
                return;
            }
            std::transform(m_pOutput, m_pOutput + bytes, m_Wide.begin(), To16Bit);
            data = reinterpret_cast<LPSTR>(m_Wide.data());
            bytes = m_Wide.size() * sizeof(std::int16_t);
        }
        if (!std::in_range<DWORD>(bytes))
            return;
        m_WaveHdr.lpData = data;
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
    std::vector<std::int16_t> m_Wide;  // what the device plays under Wine
    mutable WAVEHDR m_WaveHdr{};       // its flags change on the device's thread
    HWAVEOUT m_hPreparedOn = nullptr;
    bool m_bQueued = false;
};

// The 16-byte PCM record, with no extra-size field.
PCMWAVEFORMAT FormatFor(WaveFeed feed)
{
    const WORD bytesPerSample = feed == WaveFeed::Wine16Bit ? 2 : 1;
    PCMWAVEFORMAT format{};
    format.wf.wFormatTag = WAVE_FORMAT_PCM;
    format.wf.nChannels = 1;
    format.wf.nSamplesPerSec = kSampleRate;
    format.wf.nAvgBytesPerSec = kSampleRate * bytesPerSample;
    format.wf.nBlockAlign = bytesPerSample;
    format.wBitsPerSample = static_cast<WORD>(8 * bytesPerSample);
    return format;
}

}  // namespace

WineSigns LookForWine()
{
    WineSigns signs;
    if (const HMODULE ntdll = GetModuleHandleA("ntdll.dll")) {
        for (const char* name : {"wine_get_version", "wine_get_build_id", "wine_get_host_version", "wine_server_call"})
            signs.ntdllExports = signs.ntdllExports || GetProcAddress(ntdll, name) != nullptr;
    }
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, "Software\\Wine", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            signs.registryKey = true;
        }
    }
    return signs;
}

bool RunningUnderWine()
{
    const WineSigns signs = LookForWine();
    return signs.ntdllExports || signs.registryKey;
}

WaveFeed ChooseWaveFeed(const char* forced, bool underWine)
{
    if (forced && lstrcmpiA(forced, "windows") == 0)
        return WaveFeed::Exact8Bit;
    if (forced && lstrcmpiA(forced, "wine") == 0)
        return WaveFeed::Wine16Bit;
    return underWine ? WaveFeed::Wine16Bit : WaveFeed::Exact8Bit;
}

std::string WaveFeedSetting()
{
    // Room for the longest value that means something; a longer one does not fit and is ignored.
    char setting[16] = {};
    const DWORD length = GetEnvironmentVariableA("VESMO_WAVE_FEED", setting, sizeof setting);
    return length < sizeof setting ? std::string(setting, length) : std::string();
}

WaveFeed RunWaveFeed()
{
    static const WaveFeed feed = ChooseWaveFeed(WaveFeedSetting().c_str(), RunningUnderWine());
    return feed;
}

CWinWaveDevice::CWinWaveDevice(WaveFeed feed) : m_Feed(feed), m_Format(FormatFor(feed)) {}

void CWinWaveDevice::WaveOutClose::operator()(HWAVEOUT hWaveOut) const
{
    waveOutReset(hWaveOut);
    waveOutClose(hWaveOut);
}

void CWinWaveDevice::LoadDriverAhead()
{
    g_driverLoading.reset(CreateThread(nullptr, 0, LoadDriver, nullptr, 0, nullptr));
}

int CWinWaveDevice::Open()
{
    // Wine's waveform interface loads its driver at the first call in a process; an open on
    // another thread while that first call still ran failed with MMSYSERR_NOTENABLED, 9
    // opens in 1200 where two programs started at once.
    if (g_driverLoading) {
        WaitForSingleObject(g_driverLoading.get(), INFINITE);
        g_driverLoading.reset();
    }
    HWAVEOUT hWaveOut = nullptr;
    const MMRESULT result = waveOutOpen(&hWaveOut, 0, reinterpret_cast<LPCWAVEFORMATEX>(&m_Format), 0, 0,
                                        WAVE_ALLOWSYNC | CALLBACK_NULL);
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
    static_cast<CGlobalWaveBuffer&>(buffer).Queue(m_hWaveOut.get(), m_Feed, bytes);
}

std::span<const BYTE> CWinWaveDevice::QueuedBytes(const CWaveBuffer& buffer)
{
    return static_cast<const CGlobalWaveBuffer&>(buffer).Queued();
}

void CWinWaveDevice::Reset()
{
    if (m_hWaveOut)
        waveOutReset(m_hWaveOut.get());
}
