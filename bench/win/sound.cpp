// Sound benchmark, run under Wine by scripts/bench-sound.sh through a desktop sound server:
// numbers of random keys played as the program plays them (the generator on wave device 0,
// one request per number), heard in the server's sink and judged as the tests judge them.
// Prints one line of figures per 1000 keys: tones heard whole (one burst at the length set),
// split (in pieces, or shortened, yet with a piece a receiver is sure to take), short (no such
// piece: a receiver may miss the key); keys multimon-ng decoded wrongly (missed, added or
// changed); DC steps; and the median time from handing a number to the device to its first
// sound in the recording (which lags the sink by the recorder's own 20 ms).
//   vesmo-sound-bench KEYS [TONE_MS [KEYS_PER_NUMBER]]
#include "SoundCapture.h"
#include "ToneGenerator.h"
#include "WinWaveDevice.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The fewest keys missed, added or changed that turn one string into the other.
std::size_t EditDistance(const std::string& from, const std::string& to)
{
    std::vector<std::size_t> row(to.size() + 1);
    for (std::size_t j = 0; j <= to.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= from.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= to.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (from[i - 1] == to[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[to.size()];
}

double Per1000(std::size_t count, std::size_t keys) { return keys ? 1000.0 * count / keys : 0; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vesmo-sound-bench KEYS [TONE_MS [KEYS_PER_NUMBER]]\n");
        return 2;
    }
    const std::size_t keysWanted = std::strtoul(argv[1], nullptr, 10);
    const int toneMs = argc > 2 ? std::atoi(argv[2]) : kStartToneLengthMs;
    const std::size_t keysPerNumber = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 20;
    if (!keysWanted || toneMs < kMinToneLengthMs || toneMs > kMaxToneLengthMs || !keysPerNumber) {
        std::fprintf(stderr, "vesmo-sound-bench: KEYS and KEYS_PER_NUMBER from 1, TONE_MS from %d to %d\n",
                     kMinToneLengthMs, kMaxToneLengthMs);
        return 2;
    }
    try {
        SoundCapture capture;
        CToneGenerator generator(toneMs, std::make_unique<CWinWaveDevice>());
        if (const int code = generator.Open(); code != kWaveNoError) {
            std::fprintf(stderr, "vesmo-sound-bench: wave device 0 did not open (%d)\n", code);
            return 1;
        }
        std::mt19937 random(25);
        std::uniform_int_distribution<int> anyKey(0, 15);
        std::size_t keys = 0, whole = 0, split = 0, shortKeys = 0, misdecoded = 0, dcSteps = 0;
        std::vector<double> delayMs;
        while (keys < keysWanted) {
            std::string number;
            while (number.size() < std::min(keysPerNumber, keysWanted - keys))
                number += kKeypadKeys[anyKey(random)];
            const std::vector<int> setMs(number.size(), toneMs);
            capture.Mark();
            const auto marked = std::chrono::steady_clock::now();
            if (generator.PlaySequence(number.c_str()) != kWaveNoError) {
                std::fprintf(stderr, "vesmo-sound-bench: no memory for the output buffer\n");
                return 1;
            }
            const std::chrono::duration<double, std::milli> markToWrite = std::chrono::steady_clock::now() - marked;
            const HeardSound heard = capture.WaitAndDecode(static_cast<int>(number.size()) * 2 * toneMs);

            const std::vector<HeardKey> heardKeys = HeardKeys(heard, setMs);
            const std::size_t sure = SureKeys(heardKeys, setMs);
            const std::size_t wholeHere = static_cast<std::size_t>(
                std::count_if(heardKeys.begin(), heardKeys.end(), [&](const HeardKey& key) {
                    return key.pieces == 1 && std::abs(key.longestMs - toneMs) <= kToneToleranceMs;
                }));
            whole += wholeHere;
            split += sure > wholeHere ? sure - wholeHere : 0;
            shortKeys += number.size() > sure ? number.size() - sure : 0;
            misdecoded += EditDistance(number, heard.keys);
            dcSteps += heard.dcStepMs.size();
            if (heard.firstToneAtMs >= 0)
                delayMs.push_back(heard.firstToneAtMs - markToWrite.count());
            keys += number.size();
        }
        std::sort(delayMs.begin(), delayMs.end());
        const double medianDelay = delayMs.empty() ? -1 : delayMs[delayMs.size() / 2];
        std::printf("keys %zu  whole %.1f  split %.1f  short %.1f  misdecoded %.1f  dc-steps %zu  delay-ms %.0f\n",
                    keys, Per1000(whole, keys), Per1000(split, keys), Per1000(shortKeys, keys),
                    Per1000(misdecoded, keys), dcSteps, medianDelay);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vesmo-sound-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
