// vesmo-tones [--ms N] [--key] KEYS OUT.wav
// Writes the sound the tone generator gives the wave device for KEYS (a string with a
// pause after each key, or with --key one key alone) as an 8-bit mono 44100 Hz WAV file,
// or with OUT.wav '-' to standard output.

#include "DtmfSynthesis.h"
#include "FileBytes.h"
#include "MemoryWaveDevice.h"
#include "ToneGenerator.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr const char* kUsage = "usage: vesmo-tones [--ms N] [--key] KEYS OUT.wav";
std::string HelpText()
{
    return std::string(kUsage) + "\n" +
           "Writes the DTMF tones of KEYS (0-9 * # A-D, any other character a silent slot) as an\n"
           "8-bit mono 44100 Hz WAV file: each key's tone followed by a pause as long. With\n"
           "OUT.wav '-' the WAV goes to standard output.\n"
           "  --ms N   tone length in ms, " + std::to_string(kMinToneLengthMs) + " to " +
           std::to_string(kMaxToneLengthMs) + " (default " + std::to_string(kStartToneLengthMs) + ")\n" +
           "  --key    KEYS is one key, played alone without the pause after it\n"
           "  --help   show this help\n";
}

struct Options {
    bool help = false;
    int toneLengthMs = kStartToneLengthMs;
    bool singleKey = false;
    std::string keys;
    std::string output;
};

// Reports on one line; 2 for bad arguments, 1 when the work itself failed.
int Fail(const std::string& message, int status = 2)
{
    std::fprintf(stderr, "vesmo-tones: %s\n", message.c_str());
    return status;
}

std::optional<int> ParseToneLength(std::string_view text)
{
    int ms = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (error != std::errc() || end != text.data() + text.size() || ms < kMinToneLengthMs || ms > kMaxToneLengthMs)
        return std::nullopt;
    return ms;
}

// The options, or an error message.
std::variant<Options, std::string> ParseArguments(int argc, char** argv)
{
    Options options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (arg == "--key") {
            options.singleKey = true;
        } else if (arg == "--ms") {
            if (++i == argc)
                return std::string("--ms needs a length in ms");
            const auto ms = ParseToneLength(argv[i]);
            if (!ms)
                return "tone length '" + std::string(argv[i]) + "' is not a whole number of ms from " +
                       std::to_string(kMinToneLengthMs) + " to " + std::to_string(kMaxToneLengthMs);
            options.toneLengthMs = *ms;
        } else if (arg.starts_with("--")) {
            return "unknown option " + std::string(arg) + "; " + kUsage;
        } else {
            positional.emplace_back(arg);
        }
    }
    if (positional.size() != 2)
        return std::string(kUsage);
    options.keys = positional[0];
    options.output = positional[1];
    if (options.keys.empty())
        return std::string("no keys to play");
    if (options.singleKey && options.keys.size() != 1)
        return "--key plays one key, not " + std::to_string(options.keys.size());
    return options;
}

void PutLittleEndian(std::vector<unsigned char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::vector<unsigned char> WaveFile(const std::vector<unsigned char>& samples)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size());
    std::vector<unsigned char> file;
    const auto put = [&file](std::string_view tag) { file.insert(file.end(), tag.begin(), tag.end()); };
    put("RIFF");
    PutLittleEndian(file, 36 + dataBytes, 4);
    put("WAVEfmt ");
    PutLittleEndian(file, 16, 4);           // format chunk size
    PutLittleEndian(file, 1, 2);            // PCM
    PutLittleEndian(file, 1, 2);            // mono
    PutLittleEndian(file, kSampleRate, 4);  // samples per second
    PutLittleEndian(file, kSampleRate, 4);  // bytes per second
    PutLittleEndian(file, 1, 2);            // block align
    PutLittleEndian(file, 8, 2);            // bits per sample
    put("data");
    PutLittleEndian(file, dataBytes, 4);
    file.insert(file.end(), samples.begin(), samples.end());
    return file;
}

// Standard output in binary mode, so that Windows passes the WAV bytes on unchanged.
bool WriteStandardOutput(const std::vector<unsigned char>& bytes)
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto parsed = ParseArguments(argc, argv);
    if (const auto* message = std::get_if<std::string>(&parsed))
        return Fail(*message);
    const Options& options = std::get<Options>(parsed);
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }

    auto device = std::make_unique<CMemoryWaveDevice>();
    const CMemoryWaveDevice& played = *device;
    CToneGenerator generator(options.toneLengthMs, std::move(device));
    const int result = generator.Open() != kWaveNoError ? 1
                       : options.singleKey          ? generator.PlayKey(options.keys[0])
                                                    : generator.PlaySequence(options.keys.c_str());
    if (result != kWaveNoError)
        return Fail("out of memory", 1);
    const std::vector<unsigned char> wave = WaveFile(played.Played());
    if (options.output == "-")
        return WriteStandardOutput(wave) ? 0 : Fail("cannot write to standard output", 1);
    // Written whole beside its destination and moved into place: a failure leaves nothing half-written.
    const std::string_view bytes(reinterpret_cast<const char*>(wave.data()), wave.size());
    if (!ReplaceFileBytes(options.output.c_str(), bytes))
        return Fail("cannot write " + options.output, 1);
    return 0;
}
