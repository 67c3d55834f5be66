// A program started under Wine for a benchmark, timed from the start of its process to its
// first visible top-level window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CTimedStart {
public:
    // Starts 'program' in 'workDir' and waits up to 30 s for its window. A 'program' that
    // begins with a quote is a whole command line, the program's arguments included. A start
    // that fails or ends without a window says why on standard error.
    CTimedStart(const std::string& program, const std::string& workDir);
    // Asks the window to close and waits for the process; ends it if it is still there 10 s later.
    ~CTimedStart();
    CTimedStart(const CTimedStart&) = delete;
    CTimedStart& operator=(const CTimedStart&) = delete;

    // The first visible top-level window; nullptr when none appeared or the program did not start.
    HWND Window() const { return m_window; }
    double StartMs() const { return m_startMs; }
    // The process's peak working set so far.
    double PeakWorkingSetKb() const;

private:
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
    double m_startMs = 0;
};

// Milliseconds between two readings of the performance counter.
double MsBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to);

double Median(std::vector<double> values);
