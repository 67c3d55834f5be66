// Drives a real vesmo.exe under Wine with window messages, the way a user's clicks and
// keys reach it, and reads back what its windows show and the files it wrote.
#pragma once

#include "UnixShell.h"
#include "resource.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls 'condition' until it holds or 'timeoutMs' has passed; returns the last result.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// A fresh working directory for one run of the program, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const char* name) const { return m_path + "\\" + name; }
    // The file's bytes; empty when it does not exist (see Exists).
    std::string Read(const char* name) const;
    bool Exists(const char* name) const;
    void Write(const char* name, const std::string& bytes) const;

private:
    std::string m_path;
};

// The buttons of the eight speed-dial rows, top to bottom: the programming button, whose
// caption is the entry's name, and the button that dials the entry.
struct SpeedDialRow {
    int program;
    int send;
};
inline constexpr SpeedDialRow kSpeedDialRows[8] = {
    {IDC_SPEEDDIAL_1, IDC_SPEEDSEND_1}, {IDC_SPEEDDIAL_2, IDC_SPEEDSEND_2}, {IDC_SPEEDDIAL_3, IDC_SPEEDSEND_3},
    {IDC_SPEEDDIAL_4, IDC_SPEEDSEND_4}, {IDC_SPEEDDIAL_5, IDC_SPEEDSEND_5}, {IDC_SPEEDDIAL_6, IDC_SPEEDSEND_6},
    {IDC_SPEEDDIAL_7, IDC_SPEEDSEND_7}, {IDC_SPEEDDIAL_8, IDC_SPEEDSEND_8},
};

// A program file other than the build's own vesmo.exe: an installed or unpacked copy.
struct ProgramFile {
    std::string path;
};

class VesmoProcess {
public:
    // Starts build/win64/vesmo.exe (next to the test program) in 'workDir' and, unless
    // 'waitForWindow' is false, waits for its main window to be shown.
    explicit VesmoProcess(const std::string& workDir, bool waitForWindow = true);
    // Starts 'program' in 'workDir', as a shortcut or a double-click in that folder does.
    VesmoProcess(const ProgramFile& program, const std::string& workDir, bool waitForWindow = true);
    ~VesmoProcess();
    VesmoProcess(const VesmoProcess&) = delete;
    VesmoProcess& operator=(const VesmoProcess&) = delete;

    HWND Main() const { return m_main; }
    HWND Item(int id) const { return ::GetDlgItem(m_main, id); }
    DWORD ProcessId() const { return m_processInfo.dwProcessId; }

    std::string Text(int id) const { return WindowText(Item(id)); }
    static std::string WindowText(HWND hwnd);
    // The text of control 'id' of any dialog of the program.
    static std::string ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }
    std::vector<std::string> HistoryLines() const;  // the history list box, top to bottom
    void SetText(int id, const std::string& text) const;  // WM_SETTEXT, as a paste would

    // A button press, handled before this returns (for buttons that open no dialog).
    void Click(int id) const;
    // A button press posted to the program (for buttons that open a dialog).
    void PostClick(int id) const;
    void PostClick(HWND dialog, int id) const;
    // A menu command, handled before this returns (for commands that open no window).
    void Menu(UINT commandId) const;
    // A menu command posted as the menu bar sends it (for commands that open a window).
    void PostMenu(UINT commandId) const;
    // Characters typed into a control: WM_CHAR, as the keyboard sends them.
    void Type(HWND control, const std::string& text) const;
    // A key press posted to the program's message loop (Enter, Escape).
    void PostKey(HWND target, UINT virtualKey) const;

    // A top-level dialog or message box of the program with this caption, once shown.
    HWND WaitForWindow(const std::string& caption, int timeoutMs = 10000) const;
    // The text of a message box (its static control).
    static std::string MessageBoxText(HWND box);

    bool WaitForExit(int timeoutMs = 15000) const;
    bool Running() const;
    // Ends the program at once, as a crash or a killed process ends, and waits until it has.
    void Kill() const;

private:
    PROCESS_INFORMATION m_processInfo{};
    HWND m_main = nullptr;
};

// The window that has the keyboard focus in the thread that owns 'window'.
HWND FocusedWindow(HWND window);

// A screenshot of the whole virtual screen into 'pngPath' (ImageMagick's import).
bool SaveScreenshot(const std::string& pngPath);
