// Saves interrupted for real: records_saver processes are killed at random moments (SIGKILL,
// or TerminateProcess on Windows) while they save, and the files are judged after each kill.
//   records_kill_test KILLS   half of them during speed-dial saves, half during history appends
// sfile.vmo must hold the set it held before or the set being saved, never anything else, and
// a .new left by a kill must be gone after the next save. SentNum.VMO must still load every
// record it held before, then the records the killed process completed; only the record being
// written may be missing or cut. Every tenth history round starts from a damaged file (no
// line end at the end, or a 0x1A mark) so that the mended appends are killed too.
// The moments come from a random seed, which is printed; a run is repeated with the same
// moments (as shares of a saver's run) by giving its seed as SEED or in the environment
// variable VESMO_KILL_SEED.
//   records_kill_test KILLS [SEED]
#include "TestFiles.h"
#include "records_saver_sets.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using vesmo_test::ReadBytes;
using vesmo_test::WriteBytes;

// One records_saver process.
class Saver {
public:
    explicit Saver(const std::vector<std::string>& args)
    {
#ifdef _WIN32
        std::string commandLine = "\"" RECORDS_SAVER "\"";
        for (const std::string& arg : args)
            commandLine += " \"" + arg + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        m_started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &m_process) != 0;
#else
        std::vector<std::string> all{RECORDS_SAVER};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        m_started = posix_spawn(&m_pid, RECORDS_SAVER, nullptr, nullptr, argv.data(), environ) == 0;
#endif
    }
    ~Saver()
    {
        if (!m_started)
            return;
        Kill();
#ifdef _WIN32
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
#endif
    }
    Saver(const Saver&) = delete;
    Saver& operator=(const Saver&) = delete;

    bool Started() const { return m_started; }

    // Kills the process if it is still running and waits until it is gone.
    void Kill()
    {
#ifdef _WIN32
        ::TerminateProcess(m_process.hProcess, 9);
        ::WaitForSingleObject(m_process.hProcess, INFINITE);
#else
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
#endif
    }

    // Waits for the process to end by itself; true if it saved everything it was asked to.
    bool Finish()
    {
#ifdef _WIN32
        DWORD code = 1;
        ::WaitForSingleObject(m_process.hProcess, INFINITE);
        ::GetExitCodeProcess(m_process.hProcess, &code);
        return code == 0;
#else
        int status = 0;
        const bool waited = ::waitpid(m_pid, &status, 0) == m_pid;
        m_pid = 0;
        return waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
    }

private:
    bool m_started = false;
#ifdef _WIN32
    PROCESS_INFORMATION m_process{};
#else
    pid_t m_pid = 0;
#endif
};

// How long a saver takes when left to its end (the shortest of three runs, the first being
// slowed by cold caches), so that kills can be spread over its whole life.
Clock::duration TimeOfFullRun(const std::vector<std::string>& args)
{
    Clock::duration shortest = Clock::duration::max();
    for (int run = 0; run < 3; ++run) {
        const Clock::time_point start = Clock::now();
        Saver saver(args);
        if (!saver.Started() || !saver.Finish()) {
            std::fprintf(stderr, "records_saver %s did not run to its end\n", args[0].c_str());
            std::exit(2);
        }
        shortest = std::min(shortest, Clock::now() - start);
    }
    return shortest;
}

class KillTest {
public:
    KillTest(int kills, unsigned seed) : m_kills(kills), m_random(seed), m_dir(m_tempDir.Path()) {}

    bool SpeedDials();
    bool History();

private:
    // A moment in the saver's life, from its start to a little past its usual end: for one
    // seed, the same share of that life however long it takes on the day.
    Clock::duration RandomMoment(Clock::duration life)
    {
        std::uniform_real_distribution<double> share(0.0, 1.1);
        return std::chrono::duration_cast<Clock::duration>(life * share(m_random));
    }

    void KillAtRandom(const std::vector<std::string>& args, Clock::duration life)
    {
        const Clock::duration moment = RandomMoment(life);
        Saver saver(args);
        std::this_thread::sleep_for(moment);
        saver.Kill();
    }

    int m_kills;
    std::mt19937 m_random;
    vesmo_test::TempDir m_tempDir;
    fs::path m_dir;
};

constexpr int kSavesPerProcess = 3;
constexpr int kRecordsPerProcess = 20;

bool KillTest::SpeedDials()
{
    const fs::path file = m_dir / kSpeedDialFileName;
    const fs::path temporary = m_dir / (std::string(kSpeedDialFileName) + ".new");
    const std::string dir = m_dir.string();
    const auto args = [&](char set) { return std::vector<std::string>{"speed-dial", dir, {set}, std::to_string(kSavesPerProcess)}; };
    const Clock::duration life = TimeOfFullRun(args('A'));  // leaves set A in the file

    int oldKept = 0, newComplete = 0, other = 0, strayAfterKill = 0, strayAfterSave = 0;
    char current = 'A';
    for (int round = 0; round < m_kills; ++round) {
        const char next = current == 'A' ? 'B' : 'A';
        KillAtRandom(args(next), life);
        const std::string held = ReadBytes(file);
        if (held == SpeedDialSetFile(current)) {
            ++oldKept;
        } else if (held == SpeedDialSetFile(next)) {
            ++newComplete;
            current = next;
        } else {
            if (++other <= 3)
                std::fprintf(stderr, "round %d: sfile.vmo holds %zu bytes of neither set\n", round, held.size());
            WriteBytes(file, SpeedDialSetFile(current));
        }
        if (fs::exists(temporary)) {
            ++strayAfterKill;
            const char saved = current == 'A' ? 'B' : 'A';
            Saver saver(args(saved));
            if (!saver.Finish() || fs::exists(temporary) || ReadBytes(file) != SpeedDialSetFile(saved))
                ++strayAfterSave;
            current = saved;
        }
    }
    std::printf("sfile.vmo:   %d kills: %d old kept, %d new complete, %d anything else; %d left a .new, "
                "%d of them still there after the next save\n",
                m_kills, oldKept, newComplete, other, strayAfterKill, strayAfterSave);
    return oldKept + newComplete == m_kills && other == 0 && strayAfterSave == 0;
}

bool KillTest::History()
{
    const fs::path file = m_dir / kHistoryFileName;
    const fs::path temporary = m_dir / (std::string(kHistoryFileName) + ".new");
    const std::string dir = m_dir.string();
    long nextNumber = 1000000;
    const auto args = [&](long first) {
        return std::vector<std::string>{"history", dir, std::to_string(first), std::to_string(kRecordsPerProcess)};
    };
    // Damaged starting files: no line end after the last line; a 0x1A mark with bytes after it.
    const std::string damaged[2] = {"123\r\n456", "123\r\n456\r\n\x1A" "hidden\r\n"};
    const Clock::duration life = TimeOfFullRun(args(1));

    // How each kill found the process: done with every record, between two records, or within one.
    int intact = 0, finished = 0, between = 0, cut = 0, other = 0, strayAfterKill = 0, strayAfterSave = 0;
    for (int round = 0; round < m_kills; ++round) {
        if (round % 10 == 0)
            WriteBytes(file, damaged[round / 10 % 2]);
        const std::vector<std::string> before = LoadHistoryFile(file.string().c_str());
        const long first = nextNumber;
        nextNumber += kRecordsPerProcess;
        KillAtRandom(args(first), life);

        const std::vector<std::string> after = LoadHistoryFile(file.string().c_str());
        bool sound = after.size() >= before.size() && std::equal(before.begin(), before.end(), after.begin());
        std::size_t written = 0;
        bool lastCut = false;
        for (std::size_t i = before.size(); sound && i < after.size(); ++i, ++written) {
            const std::string expected = std::to_string(first + static_cast<long>(written));
            const bool last = i + 1 == after.size();
            if (after[i] == expected)
                continue;
            lastCut = last && !after[i].empty() && expected.starts_with(after[i]);
            sound = lastCut && written < kRecordsPerProcess;
        }
        if (!sound) {
            if (++other <= 3)
                std::fprintf(stderr, "round %d: SentNum.VMO lost or changed a record\n", round);
        } else {
            ++intact;
            if (lastCut)
                ++cut;
            else if (written == kRecordsPerProcess)
                ++finished;
            else
                ++between;
        }
        if (fs::exists(temporary)) {
            ++strayAfterKill;
            Saver saver(args(nextNumber));
            nextNumber += kRecordsPerProcess;
            if (!saver.Finish() || fs::exists(temporary))
                ++strayAfterSave;
        }
    }
    std::printf("SentNum.VMO: %d kills: every earlier record kept in %d (the process had finished in %d, "
                "was between records in %d, cut the record it wrote in %d), anything else %d; %d left a "
                ".new, %d of them still there after the next save\n",
                m_kills, intact, finished, between, cut, other, strayAfterKill, strayAfterSave);
    return intact == m_kills && other == 0 && strayAfterSave == 0;
}

std::optional<unsigned> ParseSeed(std::string_view text)
{
    unsigned seed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return seed;
}

}  // namespace

int main(int argc, char** argv)
{
    const int kills = argc > 1 ? std::atoi(argv[1]) : 500;
    const char* givenSeed = argc > 2 ? argv[2] : std::getenv("VESMO_KILL_SEED");
    unsigned seed = std::random_device{}();
    if (givenSeed && *givenSeed) {
        const auto parsed = ParseSeed(givenSeed);
        if (!parsed) {
            std::fprintf(stderr, "records_kill_test: the seed '%s' is not a whole number\n", givenSeed);
            return 2;
        }
        seed = *parsed;
    }
    std::printf("killing records_saver %d times (seed %u)\n", kills, seed);
    KillTest test(kills / 2, seed);
    const bool speedDialsSound = test.SpeedDials();
    const bool historySound = test.History();
    if (!speedDialsSound || !historySound)
        std::printf("to repeat these moments: VESMO_KILL_SEED=%u\n", seed);
    return speedDialsSound && historySound ? 0 : 1;
}
