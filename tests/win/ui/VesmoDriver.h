// Drives a real vesmo.exe under Wine with window messages, the way a user's clicks and
// keys reach it, and reads back what its windows show and the files it wrote.
#pragma once

#include "TestFiles.h"
#include "UnixShell.h"
#include "resource.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace vesmo_test {

// Polls 'condition' until it holds or 'timeoutMs' has passed; returns the last result.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Waits until 'window' is destroyed; false when it is still there after 'timeoutMs'.
bool WaitUntilClosed(HWND window, int timeoutMs = 10000);

// ---- The program's files ---------------------------------------------------------------

// In the working folder: the numbers sent, and the eight speed-dial entries.
inline constexpr char kHistoryFile[] = "SentNum.VMO";
inline constexpr char kSpeedDialFile[] = "sfile.vmo";

// Each text as one line of a data file, ended with CR LF as the files hold them on disk.
std::string Lines(std::initializer_list<std::string> texts);
// n empty lines, as the files hold them on disk.
std::string EmptyLines(int n);

struct SpeedDialEntry {
    std::string name;
    std::string number;
};
// sfile.vmo as the program writes it: each entry's name and number on lines of their own,
// the entries given first and the rest of the eight (kSpeedDialRows) empty.
std::string SpeedDialFile(const std::vector<SpeedDialEntry>& entries);

// A working directory that holds the file 'name' before the program starts in it.
struct PreparedDir : TempDir {
    PreparedDir(const char* name, const std::string& bytes) { Write(name, bytes); }
};

// A working directory whose sfile.vmo holds these entries before the program starts in it.
struct SeededDir : PreparedDir {
    explicit SeededDir(const std::vector<SpeedDialEntry>& entries)
        : PreparedDir(kSpeedDialFile, SpeedDialFile(entries))
    {
    }
};

// ---- Tones -----------------------------------------------------------------------------

// The tone length the program starts with, before the slider is applied.
inline constexpr int kStartToneMs = 48;
// Audio time of a sequence of keys: each tone is followed by an equally long pause. Every
// character takes its slot, a hyphen of a number as written too (it is silent).
int SequenceMs(const std::string& keys, int toneMs = kStartToneMs);

// ---- The program -----------------------------------------------------------------------

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
    // Starts the vesmo.exe of this build (the file the build made, named when the driver was
    // compiled) in 'workDir' and, unless 'waitForWindow' is false, waits for its main window
    // to be shown.
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
    // Moves the slider to 'ms' without the window being told, as a drag that nothing handles.
    void MoveSlider(int ms) const;

    // A button press, handled before this returns (for buttons that open no dialog).
    void Click(int id) const;
    void Click(HWND dialog, int id) const;
    // A button press posted to the program (for buttons that open a dialog).
    void PostClick(int id) const;
    void PostClick(HWND dialog, int id) const;
    // A menu command, handled before this returns (for commands that open no window).
    void Menu(UINT commandId) const;
    // A menu command posted as the menu bar sends it (for commands that open a window).
    void PostMenu(UINT commandId) const;
    // Characters typed into a control: WM_CHAR, as the keyboard sends them.
    void Type(HWND control, const std::string& text) const;
    void Type(HWND dialog, int id, const std::string& text) const { Type(::GetDlgItem(dialog, id), text); }
    // A key press posted to the program's message loop (Enter, Escape).
    void PostKey(HWND target, UINT virtualKey) const;
    // Returns once the program has finished what it was doing and handled every message
    // sent to the main window before this call, the shell's notifications too: sent messages
    // reach a thread in the order they came, and only when its message loop (or a message
    // box's) next looks for messages.
    void Settle() const;

    // The program's top-level windows, shown or not; only those of window class
    // 'className' where one is given.
    std::vector<HWND> TopLevelWindows(const char* className = nullptr) const;
    // A top-level dialog or message box of the program with this caption, once shown.
    HWND WaitForWindow(const std::string& caption, int timeoutMs = 10000) const;
    // The captions of the program's shown top-level windows other than the main window.
    std::vector<std::string> OtherWindows() const;
    // The text of a message box (its static control).
    static std::string MessageBoxText(HWND box);

    bool WaitForExit(int timeoutMs = 15000) const;
    bool Running() const;
    // For a failure's message: whether the program runs or how it ended, and the captions
    // of its top-level windows ("(hidden)" after those not shown), with the text of any other
    // window shown (a message box's).
    std::string State() const;
    // Ends the program at once, as a crash or a killed process ends, and waits until it has.
    void Kill() const;

private:
    PROCESS_INFORMATION m_processInfo{};
    HWND m_main = nullptr;
};

// The window that has the keyboard focus in the thread that owns 'window'.
HWND FocusedWindow(HWND window);

// A picture of 'window' as it is shown on the screen into 'pngPath', a Windows path
// (ImageMagick's import, cutting the window out of the whole virtual screen).
bool SaveWindowPicture(HWND window, const std::string& pngPath);

}  // namespace vesmo_test
