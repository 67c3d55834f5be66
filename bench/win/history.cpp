// Sent-number history benchmark, run under Wine: Vesmo started in each folder given, whose
// SentNum.VMO differ in length, timed from the start of its process to its window (as
// vesmo-startup-bench times it), then "Sänd" pressed for numbers it has not sent before,
// timed from the click until the window has handled it: the number recorded in the list and
// the file, and its tones queued on the wave device. The folders take turns, run after run;
// the medians are printed, and each folder's start beside the first folder's.
//   vesmo-history-bench RUNS SENDS PROGRAM WORKDIR...
#include "TimedStart.h"
#include "resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Timings {
    std::vector<double> startMs;
    std::vector<double> sendMs;
    int notAppended = 0;
};

long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The name of the folder's last part, which the caller makes say what the file holds.
std::string Label(const std::string& workDir)
{
    return workDir.substr(workDir.find_last_of("\\/") + 1);
}

bool RunOnce(const std::string& program, const std::string& workDir, int sends, long long& nextNumber,
             Timings& timings)
{
    const CTimedStart started(program, workDir);
    if (!started.Window())
        return false;
    timings.startMs.push_back(started.StartMs());
    const std::string history = workDir + "\\SentNum.VMO";
    HWND numberField = ::GetDlgItem(started.Window(), IDC_NUMBER);
    HWND sendButton = ::GetDlgItem(started.Window(), IDC_SEND);
    for (int i = 0; i < sends; ++i) {
        const std::string number = std::to_string(nextNumber++);
        ::SendMessageA(numberField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(number.c_str()));
        const long long sizeBefore = std::max(FileSize(history), 0LL);
        LARGE_INTEGER clicked, handled;
        ::QueryPerformanceCounter(&clicked);
        ::SendMessageA(sendButton, BM_CLICK, 0, 0);
        ::QueryPerformanceCounter(&handled);
        timings.sendMs.push_back(MsBetween(clicked, handled));
        if (FileSize(history) != sizeBefore + static_cast<long long>(number.size()) + 2)
            ++timings.notAppended;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: vesmo-history-bench RUNS SENDS PROGRAM WORKDIR...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const int sends = std::max(1, std::atoi(argv[2]));
    const std::string program = argv[3];
    const std::vector<std::string> workDirs(argv + 4, argv + argc);
    std::vector<Timings> timings(workDirs.size());
    // Numbers no file holds yet (theirs are shorter), so that every Send records one.
    long long nextNumber = 900000000000LL;
    for (int run = 0; run < runs; ++run) {
        for (std::size_t d = 0; d < workDirs.size(); ++d) {
            if (!RunOnce(program, workDirs[d], sends, nextNumber, timings[d])) {
                std::fprintf(stderr, "%s in %s: no window appeared\n", program.c_str(), workDirs[d].c_str());
                return 1;
            }
        }
    }
    std::printf("%s, median of %d starts and %d sends in each folder\n", program.c_str(), runs, runs * sends);
    std::printf("%-22s %16s %16s %18s\n", "folder", "start to window", "beside first", "Send to queued");
    const double firstStart = Median(timings[0].startMs);
    for (std::size_t d = 0; d < workDirs.size(); ++d) {
        const double start = Median(timings[d].startMs);
        std::printf("%-22s %13.1f ms %+13.1f ms %15.2f ms", Label(workDirs[d]).c_str(), start, start - firstStart,
                    Median(timings[d].sendMs));
        if (timings[d].notAppended > 0)
            std::printf("   (%d sends not appended to SentNum.VMO)", timings[d].notAppended);
        std::printf("\n");
    }
    return 0;
}
