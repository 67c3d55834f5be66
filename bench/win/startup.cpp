// Start-up benchmark, run under Wine: for each program given, the time from starting the
// process to its first visible top-level window, and the process's peak working set,
// median of several alternating runs. Prints one line per program and the ratio of the
// first program to the second. Each program starts in its own working folder. A PROGRAM that
// begins with a quote is a whole command line, the program's arguments included.
//   vesmo-startup-bench RUNS PROGRAM1 WORKDIR1 PROGRAM2 WORKDIR2
#include "TimedStart.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Sample {
    double ms;
    double peakKb;
};

bool StartOnce(const std::string& program, const std::string& workDir, Sample& sample)
{
    const CTimedStart started(program, workDir);
    if (!started.Window())
        return false;
    ::Sleep(300);  // let it settle before reading its peak memory
    sample.ms = started.StartMs();
    sample.peakKb = started.PeakWorkingSetKb();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: vesmo-startup-bench RUNS PROGRAM1 WORKDIR1 PROGRAM2 WORKDIR2\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::string programs[2] = {argv[2], argv[4]};
    const std::string workDirs[2] = {argv[3], argv[5]};
    std::vector<double> ms[2], peakKb[2];
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < 2; ++p) {
            Sample sample{};
            if (!StartOnce(programs[p], workDirs[p], sample)) {
                std::fprintf(stderr, "%s: no window appeared\n", programs[p].c_str());
                return 1;
            }
            ms[p].push_back(sample.ms);
            peakKb[p].push_back(sample.peakKb);
        }
    }
    for (int p = 0; p < 2; ++p)
        std::printf("%-50s in %-40s start to window %7.1f ms   peak working set %8.0f KB\n",
                    programs[p].c_str(), workDirs[p].c_str(), Median(ms[p]), Median(peakKb[p]));
    std::printf("ratio first/second: time %.2fx, peak memory %.2fx (median of %d runs each)\n",
                Median(ms[0]) / Median(ms[1]), Median(peakKb[0]) / Median(peakKb[1]), runs);
    return 0;
}
