// Thin, non-owning wrappers over the standard controls. A wrapper holds the control's
// handle (bound by the dialog's BindControls) and turns messages into named calls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    void SetText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
};

class CEdit : public CWnd {
public:
    void LimitText(int maxChars) const { Send(EM_LIMITTEXT, static_cast<WPARAM>(maxChars)); }
};

class CListBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(Send(LB_GETCURSEL)); }
    int AddString(const char* text) const
    {
        return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // Letter case is ignored, as the list box always does for this search.
    int FindStringExact(int startAfter, const char* text) const
    {
        return static_cast<int>(
            Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
    }
    std::string GetItemText(int index) const;
    void DeleteString(int index) const { Send(LB_DELETESTRING, static_cast<WPARAM>(index)); }
    void ResetContent() const { Send(LB_RESETCONTENT); }
};

class CTrackbar : public CWnd {
public:
    int GetPos() const { return static_cast<int>(Send(TBM_GETPOS)); }
    void SetPos(int pos) const { Send(TBM_SETPOS, TRUE, pos); }
    void SetRange(int minPos, int maxPos) const
    {
        Send(TBM_SETRANGEMAX, TRUE, maxPos);
        Send(TBM_SETRANGEMIN, TRUE, minPos);
    }
    void SetTicFreq(int freq) const { Send(TBM_SETTICFREQ, static_cast<WPARAM>(freq)); }
};

class CToolTip : public CWnd {
public:
    // The tooltip window is owned by 'owner' and goes when the owner is destroyed.
    bool Create(HWND owner);
    void Activate(bool active) const { Send(TTM_ACTIVATE, active); }
    // A tool for the control 'tool' of 'owner', with its text from string resource 'textId'.
    bool AddTool(HWND owner, HWND tool, UINT textId) const;
    void RelayEvent(MSG* msg) const { Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
};
