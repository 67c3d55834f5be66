// Start-up benchmark, run under Wine: for each program given, the time from starting the
// process to its first visible top-level window, and the process's peak working set,
// median of several alternating runs. Prints one line per program and the ratio of the
// first program to the second. Each program starts in its own working folder. A PROGRAM that
// begins with a quote is a whole command line, the program's arguments included.
//   vesmo-startup-bench RUNS PROGRAM1 WORKDIR1 PROGRAM2 WORKDIR2
#include <windows.h>
#include <psapi.h>

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

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM param)
{
    auto* found = reinterpret_cast<Found*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == found->processId && ::IsWindowVisible(hwnd) && !::GetWindow(hwnd, GW_OWNER)) {
        found->window = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool StartOnce(const std::string& program, const std::string& workDir, Sample& sample)
{
    LARGE_INTEGER frequency, start, shown;
    ::QueryPerformanceFrequency(&frequency);
    std::string commandLine = program.starts_with('"') ? program : "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                          &startup, &process)) {
        std::fprintf(stderr, "%s: CreateProcess error %lu\n", program.c_str(), ::GetLastError());
        return false;
    }
    Found found{process.dwProcessId, nullptr};
    for (int polls = 0; !found.window && polls < 30000; ++polls) {
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.window)
            ::Sleep(1);
    }
    ::QueryPerformanceCounter(&shown);
    DWORD exitCode = STILL_ACTIVE;
    if (!found.window && ::GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != STILL_ACTIVE)
        std::fprintf(stderr, "%s: ended with exit code %lu before showing a window\n", program.c_str(), exitCode);
    ::Sleep(300);  // let it settle before reading its peak memory
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    if (found.window)
        ::PostMessageA(found.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    sample.ms = 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    sample.peakKb = static_cast<double>(memory.PeakWorkingSetSize) / 1024.0;
    return found.window != nullptr;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
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
