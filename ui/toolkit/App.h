// The application object: one global instance of a class derived from CApp. WinMain
// calls Run, which calls InitInstance once; a dialog-based program does all its work
// there and returns false, so no message loop of the application's own runs.
#pragma once

#include <windows.h>

#include <string>

class CDialog;

class CApp {
public:
    CApp();
    virtual ~CApp();
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;

    static CApp* Current() { return s_current; }
    int Run();

    // The executable's file name without its extension: the caption of MessageBox below.
    const std::string& AppName() const { return m_appName; }
    CDialog* m_pMainWnd = nullptr;

protected:
    virtual bool InitInstance() = 0;

private:
    static CApp* s_current;
    std::string m_appName;
};

// The application's message box: captioned with the application name and owned by the
// main window while it is visible. A plain OK box gets the exclamation icon.
int AppMessageBox(const char* text, UINT type = MB_OK);

// A string of the program's string table; empty when it cannot be loaded.
std::string LoadStringResource(UINT id);
