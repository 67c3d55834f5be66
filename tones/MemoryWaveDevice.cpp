#include "MemoryWaveDevice.h"

#include <new>

namespace {

class CHeapWaveBuffer final : public CWaveBuffer {
public:
    explicit CHeapWaveBuffer(std::size_t bytes)
        : m_pBytes(std::make_unique_for_overwrite<unsigned char[]>(bytes)), m_nBytes(bytes)
    {
    }
    std::span<unsigned char> Bytes() override { return {m_pBytes.get(), m_nBytes}; }
    bool IsDone() const override { return true; }

private:
    std::unique_ptr<unsigned char[]> m_pBytes;
    std::size_t m_nBytes;
};

}  // namespace

std::unique_ptr<CWaveBuffer> CMemoryWaveDevice::Allocate(std::size_t bytes)
{
    try {
        return std::make_unique<CHeapWaveBuffer>(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CMemoryWaveDevice::Write(CWaveBuffer& buffer, std::size_t bytes)
{
    const auto queued = buffer.Bytes().first(bytes);
    m_Played.insert(m_Played.end(), queued.begin(), queued.end());
}
