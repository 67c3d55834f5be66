#include "App.h"

#include "Dialog.h"

CApp* CApp::s_current = nullptr;

CApp::CApp()
{
    s_current = this;
}

CApp::~CApp()
{
    s_current = nullptr;
}

int CApp::Run()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name.erase(0, name.find_last_of("\\/:") + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    m_appName = name;

    InitInstance();
    return 0;
}

int AppMessageBox(const char* text, UINT type)
{
    CApp* app = CApp::Current();
    HWND owner = nullptr;
    if (app && app->m_pMainWnd && ::IsWindowVisible(app->m_pMainWnd->GetSafeHwnd()))
        owner = app->m_pMainWnd->GetSafeHwnd();
    if ((type & MB_TYPEMASK) == MB_OK && (type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    return ::MessageBoxA(owner, text, app ? app->AppName().c_str() : nullptr, type);
}

std::string LoadStringResource(UINT id)
{
    char text[256] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}
