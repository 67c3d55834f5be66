#include "Window.h"

std::string CListBox::GetItemText(int index) const
{
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

bool CToolTip::Create(HWND owner)
{
    m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ::GetModuleHandleA(nullptr),
                               nullptr);
    return m_hWnd != nullptr;
}

bool CToolTip::AddTool(HWND owner, HWND tool, UINT textId) const
{
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.hinst = ::GetModuleHandleA(nullptr);
    info.lpszText = MAKEINTRESOURCEA(textId);
    return Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}
