#include "SoundCapture.h"
#include "UnixShell.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace {

constexpr int kCaptureRate = 22050;
// Sound takes a while from waveOutWrite to the capture (Wine's and the sound system's buffers).
constexpr int kSafetyMarginMs = 1500;
constexpr std::chrono::milliseconds kPollInterval{20};
// A sample is sound when it is further from zero than 4 steps of the 8-bit source; a tone
// when it also differs from the one before by that much.
constexpr int kLoud = 4 * 256;
// Longer than any pause inside what a test plays (at most 200 ms between tones).
constexpr std::size_t kQuietAfterSound = kCaptureRate * 400 / 1000;

// Wine maps the Unix root to drive Z:.
std::filesystem::path WindowsPath(const std::string& unixPath) { return "Z:" + unixPath; }

// ALSA's file plugin, told not to truncate, gives each stream a file of its own: the name
// itself for the first, then the name with ".0001", ".0002" and so on. The newest is the one
// with the highest number.
std::string NewestCapture(const std::string& unixPath)
{
    const std::filesystem::path first = WindowsPath(unixPath);
    std::string newest = unixPath;
    int highest = -1;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(first.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        const std::string base = first.filename().string();
        if (name == base && highest < 0) {
            highest = 0;
        } else if (name.size() == base.size() + 5 && name.rfind(base + ".", 0) == 0 &&
                   std::all_of(name.end() - 4, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            const int index = std::stoi(name.substr(base.size() + 1));
            if (index > highest) {
                highest = index;
                newest = unixPath + name.substr(base.size());
            }
        }
    }
    return newest;
}

std::uintmax_t EvenSize(const std::filesystem::path& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size & ~std::uintmax_t{1};
}

std::vector<std::int16_t> ReadSamples(const std::filesystem::path& path, std::uintmax_t from,
                                      std::uintmax_t to)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>((to - from) / 2));
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(from));
    file.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<std::size_t>(file.gcount() / 2));
    return samples;
}

// The keys multimon-ng decodes from raw S16_LE mono 22050 Hz samples, passed to it in
// files named from unixScratchPath.
std::string DecodeDtmf(const std::vector<std::int16_t>& samples, const std::string& unixScratchPath)
{
    const std::string input = unixScratchPath + ".raw";
    const std::string output = unixScratchPath + ".txt";
    {
        std::ofstream file(WindowsPath(input), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(samples.data()),
                   static_cast<std::streamsize>(samples.size() * 2));
        if (!file)
            throw std::runtime_error("cannot write " + input);
    }
    std::filesystem::remove(WindowsPath(output));
    if (RunShell("multimon-ng -q -t raw -a DTMF '" + input + "' > '" + output + "' 2>/dev/null") != 0)
        throw std::runtime_error("multimon-ng did not run on " + input);

    std::string keys;
    std::ifstream decoded(WindowsPath(output));
    for (std::string line; std::getline(decoded, line);) {
        if (line.rfind("DTMF: ", 0) == 0 && line.size() > 6)
            keys += line[6];
    }
    decoded.close();
    std::filesystem::remove(WindowsPath(input));
    std::filesystem::remove(WindowsPath(output));
    return keys;
}

int Milliseconds(std::size_t samples) { return static_cast<int>(samples * 1000.0 / kCaptureRate + 0.5); }

// The length key number index was set to; keys beyond those played, the last one's.
int SetLength(const std::vector<int>& setMs, std::size_t index)
{
    return setMs.empty() ? 0 : setMs[std::min(index, setMs.size() - 1)];
}

}  // namespace

void MeasureTones(const std::vector<std::int16_t>& samples, HeardSound& heard)
{
    // A burst ends after 3 ms without sound (a tone's own zero crossings are far shorter).
    constexpr std::size_t kEndGap = kCaptureRate * 3 / 1000;
    constexpr std::size_t kLongestBridgedBreak = kCaptureRate * 12 / 1000;

    struct Burst {
        std::size_t last, sounding;
    };
    std::vector<Burst> bursts;
    const auto endBurst = [&](std::size_t first, std::size_t last) {
        const std::size_t length = last - first + 1;
        if (!bursts.empty() && first - bursts.back().last <= kLongestBridgedBreak) {
            heard.interruptionMs.push_back(Milliseconds(first - bursts.back().last - 1));
            bursts.back().last = last;
            bursts.back().sounding += length;
        } else {
            if (heard.firstToneAtMs < 0)
                heard.firstToneAtMs = Milliseconds(first);
            bursts.push_back({last, length});
        }
    };
    std::size_t first = 0, last = 0;
    bool inBurst = false;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (std::abs(samples[i] - samples[i - 1]) <= kLoud) {
            if (inBurst && i - last > kEndGap) {
                endBurst(first, last);
                inBurst = false;
            }
            continue;
        }
        if (!inBurst) {
            first = i - 1;
            inBurst = true;
        }
        last = i;
    }
    if (inBurst)
        endBurst(first, last);
    for (const Burst& burst : bursts)
        heard.toneMs.push_back(Milliseconds(burst.sounding));
}

bool HeardInRealTime()
{
    const char* sound = std::getenv("VESMO_SOUND");
    return sound && (std::strcmp(sound, "pulse") == 0 || std::strcmp(sound, "pipewire") == 0);
}

int ShortestSureToneMs(int setMs)
{
    constexpr int kReceiversAcceptMs = 40;
    return std::min(kReceiversAcceptMs, setMs - kToneToleranceMs);
}

std::vector<HeardKey> HeardKeys(const HeardSound& heard, const std::vector<int>& setMs)
{
    std::vector<HeardKey> keys;
    int soundingMs = 0;
    for (const int burstMs : heard.toneMs) {
        if (keys.empty() || soundingMs + burstMs > SetLength(setMs, keys.size() - 1) + kToneToleranceMs) {
            keys.emplace_back();
            soundingMs = 0;
        }
        ++keys.back().pieces;
        keys.back().longestMs = std::max(keys.back().longestMs, burstMs);
        soundingMs += burstMs;
    }
    return keys;
}

std::size_t SureKeys(const std::vector<HeardKey>& keys, const std::vector<int>& setMs)
{
    std::size_t sure = 0;
    for (std::size_t i = 0; i < keys.size(); ++i)
        sure += keys[i].longestMs >= ShortestSureToneMs(SetLength(setMs, i)) ? 1 : 0;
    return sure;
}

namespace {

// The length in ms of each DC step: at least 1 ms of samples beyond half of full scale that
// barely move. No tone stays there that long (its lowest frequency, 697 Hz, swings through
// zero every 0.7 ms).
void MeasureDcSteps(const std::vector<std::int16_t>& samples, HeardSound& heard)
{
    constexpr int kHalfScale = 16384;
    constexpr std::size_t kShortestStep = kCaptureRate / 1000;

    std::size_t run = 0;
    const auto endRun = [&] {
        if (run >= kShortestStep)
            heard.dcStepMs.push_back(Milliseconds(run));
        run = 0;
    };
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const bool high = std::abs(samples[i]) > kHalfScale;
        const bool flat = run == 0 || std::abs(samples[i] - samples[i - 1]) <= kLoud;
        if (!high || !flat)
            endRun();
        if (high)
            ++run;
    }
    endRun();
}

}  // namespace

SoundCapture::SoundCapture()
{
    const char* capture = std::getenv("VESMO_CAPTURE");
    if (!capture || !*capture)
        throw std::runtime_error("VESMO_CAPTURE is not set: run the Windows tests with scripts/wine-env.sh");
    m_sCapture = capture;
    Mark();
}

StallWatch::StallWatch()
    : m_thread([this] {
          auto last = std::chrono::steady_clock::now();
          while (!m_stop) {
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
              const auto now = std::chrono::steady_clock::now();
              const long long unrunUs = std::chrono::duration_cast<std::chrono::microseconds>(now - last).count() - 1000;
              if (unrunUs > m_longestUs)
                  m_longestUs = unrunUs;
              last = now;
          }
      })
{
}

StallWatch::~StallWatch()
{
    m_stop = true;
    m_thread.join();
}

void SoundCapture::Mark()
{
    m_stalls.Restart();
    m_sUnixPath = NewestCapture(m_sCapture);
    m_Path = WindowsPath(m_sUnixPath);
    m_nMark = EvenSize(m_Path);
}

HeardSound SoundCapture::WaitAndDecode(int audioMs)
{
    // Sound takes a while from waveOutWrite to the capture, longer on a busy machine; the
    // capture grows only while Wine's stream runs, which it stops soon after the sound.
    // So the wait ends when the sound has come and gone: everything from its first sample
    // is at least audioMs long and ends in a longer quiet than any pause between tones.
    // Where nothing is heard within audioMs and a margin, nothing is coming.
    const auto start = std::chrono::steady_clock::now();
    const auto nothingBy = start + std::chrono::milliseconds(audioMs + kSafetyMarginMs);
    const auto deadline = start + std::chrono::milliseconds(20000 + audioMs);
    const auto audio = static_cast<std::size_t>(audioMs * kCaptureRate / 1000);
    const auto loud = [](std::int16_t sample) { return std::abs(sample) > kLoud; };
    std::vector<std::int16_t> samples;
    for (;;) {
        const std::uintmax_t end = EvenSize(m_Path);
        samples = end > m_nMark ? ReadSamples(m_Path, m_nMark, end) : std::vector<std::int16_t>{};
        const auto firstSound = std::find_if(samples.begin(), samples.end(), loud);
        const auto lastSound = std::find_if(samples.rbegin(), samples.rend(), loud);
        const auto now = std::chrono::steady_clock::now();
        if (firstSound == samples.end()) {
            if (now >= nothingBy)
                break;
        } else if (static_cast<std::size_t>(samples.end() - firstSound) >= audio &&
                   static_cast<std::size_t>(lastSound - samples.rbegin()) >= kQuietAfterSound) {
            break;
        }
        if (now >= deadline)
            break;
        std::this_thread::sleep_for(kPollInterval);
    }
    HeardSound heard;
    heard.keys = DecodeDtmf(samples, m_sCapture + ".slice");
    MeasureTones(samples, heard);
    MeasureDcSteps(samples, heard);
    heard.longestStallMs = m_stalls.LongestMs();
    return heard;
}
