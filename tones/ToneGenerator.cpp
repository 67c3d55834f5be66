#include "ToneGenerator.h"

#include "DtmfSynthesis.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

namespace {

// The device is given this many bytes fewer than a string's buffer holds, so the last
// pause of a string is 100 samples (about 2.3 ms) shorter than the others.
constexpr std::size_t kLastPauseCut = 100;

}  // namespace

CToneGenerator::CToneGenerator(int toneLengthMs, std::unique_ptr<CWaveDevice> device)
    : m_pDevice(std::move(device))
{
    SetToneLength(toneLengthMs);
}

CToneGenerator::~CToneGenerator()
{
    // A block the device still holds must not be freed under it: stop the sound first.
    ReleaseFinishedBuffers();
    if (!m_Queued.empty())
        m_pDevice->Reset();
    m_Queued.clear();
}

int CToneGenerator::SetToneLength(int ms)
{
    // The same length renders the same bytes, so the tones in hand serve again.
    if (ms == m_nToneLength)
        return 0;
    const std::int64_t samples = SamplesPerTone(ms);
    if (samples < 0 || !std::in_range<std::size_t>(samples))
        return 1;
    const auto count = static_cast<std::size_t>(samples);

    decltype(m_pToneBuffer) tones;
    try {
        for (auto& tone : tones)
            tone = std::make_unique_for_overwrite<unsigned char[]>(count);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    for (std::size_t i = 0; i < tones.size(); ++i)
        RenderTone(kToneFrequencies[i], ms, {tones[i].get(), count});

    m_pToneBuffer = std::move(tones);
    m_nToneLength = ms;
    return 0;
}

int CToneGenerator::Open()
{
    // A first output buffer of one second: it is never played, and the first request
    // releases it.
    m_hOutput = m_pDevice->Allocate(kSampleRate);
    if (!m_hOutput)
        return kWaveNoMemory;
    const int result = m_pDevice->Open();
    if (result != kWaveNoError)
        m_hOutput.reset();
    return result;
}

int CToneGenerator::PlayKey(int key)
{
    const std::size_t samples = SlotSamples();
    if (samples == 0)
        return kWaveNoError;
    if (!ExchangeOutputBuffer(samples))
        return kWaveNoMemory;
    ComposeSlot(static_cast<char>(key), m_hOutput->Bytes());
    WriteBuffer(samples);
    return kWaveNoError;
}

int CToneGenerator::PlaySequence(const char* keys)
{
    const std::size_t samples = SlotSamples();
    const std::size_t count = keys ? std::strlen(keys) : 0;
    if (samples != 0 && count > std::numeric_limits<std::size_t>::max() / 2 / samples)
        return kWaveNoMemory;
    const std::size_t bytes = 2 * count * samples;
    if (bytes <= kLastPauseCut)
        return kWaveNoError;  // nothing to hear: an empty string
    if (!ExchangeOutputBuffer(bytes))
        return kWaveNoMemory;

    const std::span<unsigned char> output = m_hOutput->Bytes();
    for (std::size_t k = 0; k < count; ++k) {
        ComposeSlot(keys[k], output.subspan(2 * k * samples, samples));
        std::ranges::fill(output.subspan((2 * k + 1) * samples, samples), kSilence);
    }
    WriteBuffer(bytes - kLastPauseCut);
    return kWaveNoError;
}

std::size_t CToneGenerator::SlotSamples() const
{
    return static_cast<std::size_t>(SamplesPerTone(m_nToneLength));
}

void CToneGenerator::ComposeSlot(char key, std::span<unsigned char> slot) const
{
    const auto row = std::ranges::find(m_KeyTable, key, &KeyTone::Key);
    if (row == m_KeyTable.end())
        std::ranges::fill(slot, kSilence);
    else
        MixTones(slot, m_pToneBuffer[row->nLow].get(), m_pToneBuffer[row->nHigh].get());
}

bool CToneGenerator::ExchangeOutputBuffer(std::size_t bytes)
{
    ReleaseFinishedBuffers();
    m_hOutput.reset();
    try {
        m_Queued.reserve(m_Queued.size() + 1);  // so that WriteBuffer cannot fail
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_hOutput = m_pDevice->Allocate(bytes);
    return m_hOutput != nullptr;
}

void CToneGenerator::WriteBuffer(std::size_t bytes)
{
    m_Queued.push_back(std::move(m_hOutput));
    m_pDevice->Write(*m_Queued.back(), bytes);
}

void CToneGenerator::ReleaseFinishedBuffers()
{
    std::erase_if(m_Queued, [](const auto& buffer) { return buffer->IsDone(); });
}
