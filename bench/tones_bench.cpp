// The cost of what the dialer's requests do, per output sample, beside SpanDSP's DTMF
// generator producing the same length of sound (at its own 8000 samples per second).
//   key press:  SetToneLength, then one key composed and handed to the device
//   number:     SetToneLength, then a 20-key string with its pauses
// A summary at the end gives ns per output sample and the ratio ours / SpanDSP.

#include "DtmfSynthesis.h"
#include "MemoryWaveDevice.h"
#include "ToneGenerator.h"

#include <benchmark/benchmark.h>
#include <spandsp.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int kPeerRate = 8000;
constexpr const char* kNumber = "01234567890123456789";
constexpr int kNumberLength = 20;
constexpr const char* kNewLength = ", new length";

struct Request {
    int ms;
    bool sequence;      // PlaySequence(kNumber) rather than PlayKey('5')
    bool changeLength;  // a different length before every request, so nothing rendered is reused
};

// Our generator playing into memory. Afterwards its bytes are checked against a generator
// that rendered them afresh, so the figures are for exactly those bytes.
void Ours(benchmark::State& state, Request request)
{
    const int ms = request.ms;
    auto device = std::make_unique<CMemoryWaveDevice>();
    CMemoryWaveDevice& played = *device;
    CToneGenerator generator(ms, std::move(device));
    generator.Open();

    const auto play = [&](CToneGenerator& g) {
        return request.sequence ? g.PlaySequence(kNumber) : g.PlayKey('5');
    };
    auto freshDevice = std::make_unique<CMemoryWaveDevice>();
    const CMemoryWaveDevice& fresh = *freshDevice;
    CToneGenerator reference(ms, std::move(freshDevice));
    reference.Open();
    play(reference);

    int length = ms;
    double samples = 0;
    for (auto _ : state) {
        if (request.changeLength)
            length = length == ms ? ms + 1 : ms;
        generator.SetToneLength(length);
        played.ClearPlayed();
        play(generator);
        benchmark::DoNotOptimize(played.Played().data());
        samples += static_cast<double>(played.Played().size());
    }
    generator.SetToneLength(ms);
    played.ClearPlayed();
    play(generator);
    if (played.Played() != fresh.Played())
        state.SkipWithError("the bytes differ from a fresh rendering");
    state.counters["samples"] = samples / static_cast<double>(state.iterations());
}

void Peer(benchmark::State& state, Request request)
{
    const int ms = request.ms;
    dtmf_tx_state_t* tx = dtmf_tx_init(nullptr);
    dtmf_tx_set_timing(tx, ms, request.sequence ? ms : 0);
    const int keys = request.sequence ? kNumberLength : 1;
    const int samples = keys * (request.sequence ? 2 : 1) * ms * kPeerRate / 1000;
    std::vector<int16_t> sound(static_cast<std::size_t>(samples));
    int generated = 0;
    for (auto _ : state) {
        dtmf_tx_put(tx, request.sequence ? kNumber : "5", keys);
        generated = dtmf_tx(tx, sound.data(), samples);
        benchmark::DoNotOptimize(sound.data());
    }
    if (generated != samples)
        state.SkipWithError("SpanDSP produced a different length");
    dtmf_tx_free(tx);
    state.counters["samples"] = samples;
}

// Prints the usual table, then ns per sample for each case beside SpanDSP's. Runs are
// named "ours/CASE" and "peer/CASE"; a case with ", new length" compares with the peer's
// plain one, since SpanDSP has nothing to reuse.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    CRatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const double ns = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
            m_NsPerSample.emplace_back(run.run_name.str(), ns / run.counters.at("samples").value);
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %18s %18s %13s\n", "", "ours ns/sample", "SpanDSP ns/sample", "ours/SpanDSP");
        for (const auto& [name, ours] : m_NsPerSample) {
            if (!name.starts_with("ours/"))
                continue;
            const std::string kase = name.substr(5);
            std::string peerName = "peer/" + kase;
            if (const auto at = peerName.find(kNewLength); at != std::string::npos)
                peerName.erase(at, std::string_view(kNewLength).size());
            const auto peer = std::ranges::find(m_NsPerSample, peerName, &Result::first);
            if (peer != m_NsPerSample.end())
                std::printf("%-28s %18.3f %18.3f %13.3f\n", kase.c_str(), ours, peer->second, ours / peer->second);
        }
    }

private:
    using Result = std::pair<std::string, double>;
    std::vector<Result> m_NsPerSample;
};

}  // namespace

int main(int argc, char** argv)
{
    const auto add = [](const char* who, const std::string& kase, auto function, Request request) {
        benchmark::RegisterBenchmark((std::string(who) + "/" + kase).c_str(), function, request);
    };
    for (const int ms : {20, 48, 200}) {
        const std::string keyPress = "key press " + std::to_string(ms) + " ms";
        add("ours", keyPress, Ours, Request{ms, false, false});
        add("ours", keyPress + kNewLength, Ours, Request{ms, false, true});
        add("peer", keyPress, Peer, Request{ms, false, false});
    }
    add("ours", "20-key number 48 ms", Ours, Request{48, true, false});
    add("peer", "20-key number 48 ms", Peer, Request{48, true, false});

    benchmark::Initialize(&argc, argv);
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
