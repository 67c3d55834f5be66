#include "TimedStart.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace {

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

} // namespace

CTimedStart::CTimedStart(const std::string& program, const std::string& workDir)
{
    LARGE_INTEGER start, shown;
    std::string commandLine = program.starts_with('"') ? program : "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                          &startup, &m_process)) {
        std::fprintf(stderr, "%s: CreateProcess error %lu\n", program.c_str(), ::GetLastError());
        return;
    }
    Found found{m_process.dwProcessId, nullptr};
    for (int polls = 0; !found.window && polls < 30000; ++polls) {
        ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.window)
            ::Sleep(1);
    }
    ::QueryPerformanceCounter(&shown);
    DWORD exitCode = STILL_ACTIVE;
    if (!found.window && ::GetExitCodeProcess(m_process.hProcess, &exitCode) && exitCode != STILL_ACTIVE)
        std::fprintf(stderr, "%s: ended with exit code %lu before showing a window\n", program.c_str(), exitCode);
    m_window = found.window;
    m_startMs = MsBetween(start, shown);
}

CTimedStart::~CTimedStart()
{
    if (!m_process.hProcess)
        return;
    if (m_window)
        ::PostMessageA(m_window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(m_process.hProcess, 1);
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

double CTimedStart::PeakWorkingSetKb() const
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(m_process.hProcess, &memory, sizeof memory);
    return static_cast<double>(memory.PeakWorkingSetSize) / 1024.0;
}

double MsBetween(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}
