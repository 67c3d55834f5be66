// Modal dialogs built on dialog templates.
//
// A dialog class names its template, overrides the virtual steps it needs and keeps a
// static message map: a table of (message or command id, handler). OnMessage of each
// class looks in its own table and otherwise defers to its base class. The one place
// where the window procedure reaches the C++ object is CDialog::DialogProc.
#pragma once

#include "Window.h"

#include <span>
#include <variant>

class CDialog {
public:
    explicit CDialog(UINT templateId);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog, owned by 'owner' (null: none), runs its own message loop until
    // EndDialog, destroys the window and returns the value given to EndDialog: -1 when the
    // dialog could not be created, when its OnInitDialog threw (it is then never shown), or
    // when its window was destroyed without EndDialog. The owner is disabled meanwhile.
    INT_PTR DoModal(HWND owner);
    void EndDialog(INT_PTR result);
    HWND GetSafeHwnd() const { return m_hWnd; }
    virtual BOOL DestroyWindow();

    // No exception may cross into the system's code that called a handler: the dialog
    // procedure catches it and reports what it was to the debugger (OutputDebugStringA)
    // and, when set, to this function.
    static inline void (*s_onHandlerException)(const char* text) = nullptr;

protected:
    // Handles one message; true when handled, with the handler's result in 'result'.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Binds the control wrappers to their controls; called first in OnInitDialog.
    virtual void BindControls();
    // Offered every message of the modal loop before it is dispatched; true = consumed.
    virtual bool PreTranslateMessage(MSG* msg);
    // WM_INITDIALOG: TRUE lets the dialog manager focus the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    void BindControl(CWnd& control, int id) const { control.m_hWnd = ::GetDlgItem(m_hWnd, id); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const char* text) const { ::SetDlgItemTextA(m_hWnd, id, text); }
    // Text of a control, at most maxChars - 1 characters, into a buffer of maxChars.
    void GetDlgItemText(int id, char* buffer, int maxChars) const { ::GetDlgItemTextA(m_hWnd, id, buffer, maxChars); }

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Called inside a catch block: reports the exception being handled.
    void ReportHandlerException(UINT message) const;
    void CentreIfUnplaced() const;
    // Gets and dispatches messages until the dialog ends or a quit request comes.
    void RunModalLoop();
    // Ends the modal loop: it returns from GetMessage and sees that it is done.
    void WakeModalLoop();

    UINT m_templateId;
    bool m_placedByTemplate = false;
    bool m_modalRunning = false;
    INT_PTR m_modalResult = -1;
};

// Whether a WM_COMMAND is a command: a menu item or an accelerator (no control; code 0 or
// 1) or a control's code 0, BN_CLICKED. STN_CLICKED is 0 too, so a click on a static with
// SS_NOTIFY is a command as well. A control's other notifications (LBN_SELCHANGE,
// CBN_SELCHANGE and STN_DBLCLK are 1) reach Notify rows only.
inline bool IsCommand(WPARAM wParam, LPARAM lParam)
{
    return lParam == 0 ? HIWORD(wParam) <= 1 : HIWORD(wParam) == BN_CLICKED;
}

// One row of a message map. Command rows match commands (IsCommand); Notify rows match
// one control's notification.
template <class T>
struct MessageEntry {
    using MessageHandler = bool (T::*)(WPARAM, LPARAM, LRESULT&);
    using CommandHandler = void (T::*)();
    using RangeHandler = void (T::*)(UINT id);

    UINT message;
    UINT firstId;
    UINT lastId;
    int notifyCode;  // -1: a command
    std::variant<MessageHandler, CommandHandler, RangeHandler> handler;
};

template <class T>
constexpr MessageEntry<T> OnMessageEntry(UINT message, bool (T::*handler)(WPARAM, LPARAM, LRESULT&))
{
    return {message, 0, 0, -1, handler};
}
template <class T>
constexpr MessageEntry<T> OnCommandEntry(UINT id, void (T::*handler)())
{
    return {WM_COMMAND, id, id, -1, handler};
}
template <class T>
constexpr MessageEntry<T> OnCommandEntry(UINT id, void (T::*handler)(UINT))
{
    return {WM_COMMAND, id, id, -1, handler};
}
template <class T>
constexpr MessageEntry<T> OnCommandRangeEntry(UINT firstId, UINT lastId, void (T::*handler)(UINT))
{
    return {WM_COMMAND, firstId, lastId, -1, handler};
}
template <class T>
constexpr MessageEntry<T> OnNotifyEntry(UINT id, int notifyCode, void (T::*handler)())
{
    return {WM_COMMAND, id, id, notifyCode, handler};
}

// Looks 'message' up in 'map' and calls the handler on 'self'; false when no row matches.
template <class T>
bool DispatchMessageMap(T* self, std::span<const MessageEntry<T>> map, UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result)
{
    const UINT id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    for (const MessageEntry<T>& entry : map) {
        if (entry.message != message)
            continue;
        if (message == WM_COMMAND) {
            if (id < entry.firstId || id > entry.lastId)
                continue;
            if (entry.notifyCode == -1 ? !IsCommand(wParam, lParam) : code != entry.notifyCode)
                continue;
        }
        result = 0;
        if (auto onMessage = std::get_if<typename MessageEntry<T>::MessageHandler>(&entry.handler))
            return (self->**onMessage)(wParam, lParam, result);
        if (auto onCommand = std::get_if<typename MessageEntry<T>::CommandHandler>(&entry.handler))
            (self->**onCommand)();
        else
            (self->*std::get<typename MessageEntry<T>::RangeHandler>(entry.handler))(id);
        return true;
    }
    return false;
}
