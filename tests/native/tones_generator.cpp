#include "DtmfSynthesis.h"
#include "ToneGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// From tones_failing_new.cpp: heap allocations of at least minBytes fail once
// `allowed` of them have succeeded, until StopFailingAllocations.
void FailLargeAllocations(std::size_t minBytes, int allowed);
void StopFailingAllocations();

namespace {

using Bytes = std::vector<unsigned char>;

class CFailLargeAllocations {
public:
    CFailLargeAllocations(std::size_t minBytes, int allowed) { FailLargeAllocations(minBytes, allowed); }
    ~CFailLargeAllocations() { StopFailingAllocations(); }
    CFailLargeAllocations(const CFailLargeAllocations&) = delete;
    CFailLargeAllocations& operator=(const CFailLargeAllocations&) = delete;
};

// A device that records what it is given and checks that the generator treats its
// blocks as a real device needs: a block it holds is never freed, changed or queued
// again. Blocks stay held until the test finishes them (or the device is reset).
class CFakeWaveDevice final : public CWaveDevice {
public:
    struct Write {
        Bytes bytes;             // the bytes given to the device
        std::size_t bufferSize;  // the size of the block they came from
    };

    int openResult = kWaveNoError;
    int openCalls = 0;
    bool refuseAllocations = false;
    std::vector<std::size_t> allocations;
    std::vector<Write> writes;
    int liveBuffers = 0;

    int Open() override
    {
        ++openCalls;
        return openResult;
    }

    std::unique_ptr<CWaveBuffer> Allocate(std::size_t bytes) override
    {
        allocations.push_back(bytes);
        if (refuseAllocations)
            return nullptr;
        return std::make_unique<CFakeBuffer>(*this, bytes);
    }

    void Write(CWaveBuffer& buffer, std::size_t bytes) override
    {
        auto& block = static_cast<CFakeBuffer&>(buffer);
        EXPECT_FALSE(block.held) << "a block the device holds was queued again";
        EXPECT_LE(bytes, block.bytes.size());
        writes.push_back({Bytes(block.bytes.begin(), block.bytes.begin() + bytes), block.bytes.size()});
        block.held = true;
        block.whenQueued = block.bytes;
        m_Held.push_back(&block);
    }

    void Reset() override { FinishAll(); }

    void FinishOldest()
    {
        ASSERT_FALSE(m_Held.empty());
        Finish(*m_Held.front());
        m_Held.erase(m_Held.begin());
    }

    void FinishAll()
    {
        while (!m_Held.empty())
            FinishOldest();
    }

private:
    struct CFakeBuffer final : CWaveBuffer {
        CFakeBuffer(CFakeWaveDevice& owner, std::size_t size) : device(owner), bytes(size, 0xEE)
        {
            ++device.liveBuffers;
        }
        ~CFakeBuffer() override
        {
            EXPECT_FALSE(held) << "a block was freed while the device held it";
            std::erase(device.m_Held, this);
            --device.liveBuffers;
        }
        std::span<unsigned char> Bytes() override { return bytes; }
        bool IsDone() const override { return !held; }

        CFakeWaveDevice& device;
        ::Bytes bytes;
        ::Bytes whenQueued;
        bool held = false;
    };

    static void Finish(CFakeBuffer& block)
    {
        EXPECT_EQ(block.bytes, block.whenQueued) << "a block changed while the device held it";
        block.held = false;
    }

    std::vector<CFakeBuffer*> m_Held;
};

Bytes Mix(int lowHz, int highHz, int ms)
{
    const auto samples = static_cast<std::size_t>(SamplesPerTone(ms));
    Bytes low(samples), high(samples), mixed(samples);
    RenderTone(lowHz, ms, low);
    RenderTone(highHz, ms, high);
    MixTones(mixed, low.data(), high.data());
    return mixed;
}

Bytes Silence(std::size_t samples) { return Bytes(samples, kSilence); }

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes joined;
    for (const Bytes& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

// What the device is given of a string's buffer: all but the last 100 bytes.
Bytes Played(const Bytes& filled) { return Bytes(filled.begin(), filled.end() - 100); }

struct KeyTones {
    char key;
    int lowHz;
    int highHz;
};
const std::vector<KeyTones> kKeypad{
    {'1', 697, 1209}, {'2', 697, 1336}, {'3', 697, 1477}, {'A', 697, 1633},
    {'4', 770, 1209}, {'5', 770, 1336}, {'6', 770, 1477}, {'B', 770, 1633},
    {'7', 852, 1209}, {'8', 852, 1336}, {'9', 852, 1477}, {'C', 852, 1633},
    {'*', 941, 1209}, {'0', 941, 1336}, {'#', 941, 1477}, {'D', 941, 1633},
};

class ToneGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override { Create(48); }

    void Create(int ms)
    {
        generator.reset();
        auto fake = std::make_unique<CFakeWaveDevice>();
        device = fake.get();
        generator = std::make_unique<CToneGenerator>(ms, std::move(fake));
        ASSERT_EQ(generator->Open(), kWaveNoError);
    }

    const Bytes& LastWrite() const { return device->writes.back().bytes; }

    std::unique_ptr<CToneGenerator> generator;
    CFakeWaveDevice* device = nullptr;
};

TEST_F(ToneGeneratorTest, EachKeyMixesItsKeypadRowAndColumnTones)
{
    for (const int ms : {20, 48, 70, 200}) {
        ASSERT_EQ(generator->SetToneLength(ms), 0);
        for (const KeyTones& k : kKeypad) {
            ASSERT_EQ(generator->PlayKey(k.key), kWaveNoError);
            EXPECT_EQ(LastWrite(), Mix(k.lowHz, k.highHz, ms)) << k.key << " at " << ms << " ms";
            EXPECT_EQ(LastWrite().front(), 126) << k.key << " at " << ms << " ms";
        }
    }
}

TEST_F(ToneGeneratorTest, Key1StartsAsExpectedAt48Ms)
{
    ASSERT_EQ(generator->PlayKey('1'), kWaveNoError);
    EXPECT_EQ(Bytes(LastWrite().begin(), LastWrite().begin() + 8),
              (Bytes{126, 143, 161, 177, 192, 205, 217, 227}));
}

TEST_F(ToneGeneratorTest, AKeyIsOneToneSlotWithoutPause)
{
    Create(20);
    ASSERT_EQ(generator->PlayKey('#'), kWaveNoError);
    ASSERT_EQ(device->writes.size(), 1u);
    EXPECT_EQ(device->writes[0].bufferSize, 882u);
    EXPECT_EQ(LastWrite(), Mix(941, 1477, 20));
}

TEST_F(ToneGeneratorTest, ASequenceIsToneAndPauseSlotsWithTheLastPause100SamplesShort)
{
    struct Case {
        const char* keys;
        std::size_t bufferSize;
        Bytes filled;
    };
    const std::vector<Case> cases{
        {"5", 4232, Join({Mix(770, 1336, 48), Silence(2116)})},
        {" 9", 8464, Join({Silence(4232), Mix(852, 1477, 48), Silence(2116)})},
        {"1*D", 12696,
         Join({Mix(697, 1209, 48), Silence(2116), Mix(941, 1209, 48), Silence(2116),
               Mix(941, 1633, 48), Silence(2116)})},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(generator->PlaySequence(c.keys), kWaveNoError);
        EXPECT_EQ(device->writes.back().bufferSize, c.bufferSize) << '"' << c.keys << '"';
        EXPECT_EQ(LastWrite(), Played(c.filled)) << '"' << c.keys << '"';
    }
}

TEST_F(ToneGeneratorTest, BytesThatAreNotKeysAreSilentSlots)
{
    const std::string notKeys = "abcd -x#\x80\xff";  // '#' is a key, the rest are not
    ASSERT_EQ(generator->PlaySequence(notKeys.c_str()), kWaveNoError);
    Bytes expected;
    for (const char c : notKeys)
        expected = Join({expected, c == '#' ? Mix(941, 1477, 48) : Silence(2116), Silence(2116)});
    EXPECT_EQ(LastWrite(), Played(expected));

    for (const int key : std::initializer_list<int>{'a', ' ', '-', 0x80, -1, 0}) {
        ASSERT_EQ(generator->PlayKey(key), kWaveNoError);
        EXPECT_EQ(LastWrite(), Silence(2116)) << "key " << key;
    }
    // Only the low byte of the key counts.
    ASSERT_EQ(generator->PlayKey(0x100 | '5'), kWaveNoError);
    EXPECT_EQ(LastWrite(), Mix(770, 1336, 48));
}

TEST_F(ToneGeneratorTest, AnEmptySequenceQueuesNothing)
{
    EXPECT_EQ(generator->PlaySequence(""), kWaveNoError);
    EXPECT_EQ(generator->PlaySequence(nullptr), kWaveNoError);
    EXPECT_TRUE(device->writes.empty());
    EXPECT_EQ(device->allocations, std::vector<std::size_t>{44100});
}

TEST_F(ToneGeneratorTest, OpenTakesAFirstBufferThatTheFirstRequestReleasesUnplayed)
{
    EXPECT_EQ(device->openCalls, 1);
    EXPECT_EQ(device->allocations, std::vector<std::size_t>{44100});
    EXPECT_EQ(device->liveBuffers, 1);

    ASSERT_EQ(generator->PlayKey('5'), kWaveNoError);
    EXPECT_EQ(device->allocations, (std::vector<std::size_t>{44100, 2116}));
    EXPECT_EQ(device->liveBuffers, 1);
    ASSERT_EQ(device->writes.size(), 1u);
    EXPECT_EQ(device->writes[0].bufferSize, 2116u);
}

TEST(ToneGeneratorOpen, FailureReleasesTheFirstBufferAndGivesTheCode)
{
    struct Case {
        const char* what;
        int deviceResult;
        bool refuseAllocations;
        int expected;
        int openCalls;
    };
    for (const Case c : {Case{"no device", 2, false, 2, 1}, Case{"busy", 4, false, 4, 1},
                         Case{"no memory", kWaveNoError, true, kWaveNoMemory, 0}}) {
        auto fake = std::make_unique<CFakeWaveDevice>();
        CFakeWaveDevice& device = *fake;
        device.openResult = c.deviceResult;
        device.refuseAllocations = c.refuseAllocations;
        CToneGenerator generator(48, std::move(fake));
        EXPECT_EQ(generator.Open(), c.expected) << c.what;
        EXPECT_EQ(device.openCalls, c.openCalls) << c.what;
        EXPECT_EQ(device.liveBuffers, 0) << c.what;
    }
}

TEST_F(ToneGeneratorTest, RequestsMadeWhileSoundPlaysQueueBehindItInTheirOwnBlocks)
{
    ASSERT_EQ(generator->PlaySequence("12"), kWaveNoError);
    ASSERT_EQ(generator->PlayKey('3'), kWaveNoError);
    ASSERT_EQ(generator->SetToneLength(20), 0);
    ASSERT_EQ(generator->PlaySequence("4"), kWaveNoError);

    ASSERT_EQ(device->writes.size(), 3u);
    EXPECT_EQ(device->writes[0].bytes.size(), 4u * 2116 - 100);
    EXPECT_EQ(device->writes[1].bytes, Mix(697, 1477, 48));
    EXPECT_EQ(device->writes[2].bytes.size(), 2u * 882 - 100);
    EXPECT_EQ(device->liveBuffers, 3);

    // Finished blocks are released at the next request, the others are kept.
    device->FinishOldest();
    EXPECT_EQ(device->liveBuffers, 3);
    ASSERT_EQ(generator->PlayKey('5'), kWaveNoError);
    EXPECT_EQ(device->liveBuffers, 3);
    device->FinishAll();
    ASSERT_EQ(generator->PlayKey('6'), kWaveNoError);
    EXPECT_EQ(device->liveBuffers, 1);
}

TEST_F(ToneGeneratorTest, DestroyingTheGeneratorStopsTheSoundBeforeFreeingIt)
{
    ASSERT_EQ(generator->PlaySequence("123"), kWaveNoError);
    ASSERT_EQ(generator->PlayKey('4'), kWaveNoError);
    generator.reset();  // the fake fails the test if a block it holds is freed
}

TEST_F(ToneGeneratorTest, NoMemoryForTheOutputQueuesNothingAndLeavesPlayingSoundAlone)
{
    ASSERT_EQ(generator->PlaySequence("12"), kWaveNoError);
    device->refuseAllocations = true;
    EXPECT_EQ(generator->PlayKey('3'), kWaveNoMemory);
    EXPECT_EQ(generator->PlaySequence("45"), kWaveNoMemory);
    EXPECT_EQ(device->writes.size(), 1u);
    EXPECT_EQ(device->liveBuffers, 1);

    device->refuseAllocations = false;
    ASSERT_EQ(generator->PlayKey('3'), kWaveNoError);
    EXPECT_EQ(LastWrite(), Mix(697, 1477, 48));
    device->FinishAll();  // the fake checks "12" was not changed while it played
}

TEST_F(ToneGeneratorTest, AFailedSetToneLengthKeepsThePreviousLengthAndTones)
{
    ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
    const Bytes before = LastWrite();

    // Each case lets some of the eight new 200 ms buffers be allocated before one fails.
    for (int allowed = 0; allowed < 8; ++allowed) {
        {
            const CFailLargeAllocations fail(static_cast<std::size_t>(SamplesPerTone(200)), allowed);
            EXPECT_EQ(generator->SetToneLength(200), 1) << allowed << " allocated";
        }
        EXPECT_EQ(generator->ToneLength(), 48);
        ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
        EXPECT_EQ(LastWrite(), before) << allowed << " allocated";
    }

    EXPECT_EQ(generator->SetToneLength(-20), 1);
    EXPECT_EQ(generator->ToneLength(), 48);
    ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
    EXPECT_EQ(LastWrite(), before);
}

TEST_F(ToneGeneratorTest, SettingALengthAgainGivesTheSameBytes)
{
    ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
    const Bytes first = LastWrite();

    ASSERT_EQ(generator->SetToneLength(48), 0);
    ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
    EXPECT_EQ(LastWrite(), first);

    ASSERT_EQ(generator->SetToneLength(20), 0);
    ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
    EXPECT_EQ(LastWrite().size(), 32u * 882 - 100);
    ASSERT_EQ(generator->SetToneLength(48), 0);
    EXPECT_EQ(generator->ToneLength(), 48);
    ASSERT_EQ(generator->PlaySequence("0123456789*#ABCD"), kWaveNoError);
    EXPECT_EQ(LastWrite(), first);
}

}  // namespace
