// The main window: keypad, number field, sent-number history, tone-length slider,
// the eight speed-dial rows, the operator's service commands and the notification icon.
#pragma once

#include "RunningCopy.h"
#include "SpeedDialDlg.h"
#include "toolkit/Dialog.h"

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <type_traits>

class CDialerDlg : public CDialog {
public:
    // The window is published through 'runningCopy' for later starts in the folder to show.
    explicit CDialerDlg(const CRunningCopy& runningCopy);
    ~CDialerDlg() override = default;

    // Makes 'ms' the generator's tone length, the slider position and the read-out.
    void ApplyToneLength(int ms);
    BOOL DestroyWindow() override;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void BindControls() override;
    bool PreTranslateMessage(MSG* msg) override;
    BOOL OnInitDialog() override;
    // The user's ways of closing the window come here (FinishRun covers the others).
    void OnCancel() override;

private:
    static const MessageEntry<CDialerDlg> s_messageMap[];

    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnQueryDragIcon(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnTrayNotify(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnQueryEndSession(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnEndSession(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // What the end of a run leaves behind, once, at the session's end or at the window's
    // destruction, whichever comes first: the speed dials saved and the icon removed.
    void FinishRun();
    // The window has begun to close: later starts wait for this copy to end instead of
    // asking it, and the icon goes, as it could only bring back a window that is going.
    void BeginClosing();
    // A later start's request (CRunningCopy): the window shown, or the reply that it is closing.
    LRESULT AnswerLaterStart();
    // As a right-button press on the icon does: the window shown, in the foreground.
    void ShowInForeground();
    // The notification icon, always the same record: NIM_ADD puts it there, and NIM_MODIFY,
    // which then changes nothing, succeeds only when the shell has it. True on success.
    bool NotifyTrayIcon(DWORD notifyMessage) const;

    // The slider's position as the tone length: at a key, at Send and at a resend.
    void ApplySliderToneLength();
    void OnKey(UINT id);
    void OnSend();
    void OnHide();
    void OnAppExit();
    void OnEditCommand(UINT id);
    void OnHelpAbout();

    // Sent-number history: the list box and SentNum.VMO.
    void LoadHistory();
    void AddToHistory(const char* number);
    // Lists the number as the newest line.
    void ListHistoryNumber(const char* number);
    // Takes the line listed first out of the list.
    void DeleteOldestHistoryLine();
    void ResendFromHistory();
    void ClearHistory();

    // Speed dials: SpeedDialTable and sfile.vmo.
    void LoadSpeedDials();
    void UpdateSpeedDialCaptions();
    void SaveSpeedDials();
    void ClearSpeedDials();
    void ProgramSpeedDial(UINT buttonId);
    void SendSpeedDial(UINT buttonId);

    // The operator's network services.
    void SendServiceCode(UINT commandId);
    void ForwardOnNoAnswer();
    void ForwardOnBusy();

    // The read-out under "Slår numret...".
    void ShowDialling(const char* number) const;
    // A message box over the window with its text and caption from the string table.
    int MessageFromResources(UINT textId, UINT captionId, UINT type) const;

    CListBox SentNumberList;
    // The lines listed, in the order they were listed: the list sorts them.
    std::deque<std::string> m_historyOrder;
    CEdit m_wndNumber;
    CTrackbar m_wndSpeed;
    CToolTip m_wndToolTip;
    // The window icon at the size the system gives icons (LoadIconA loads SM_CXICON),
    // shared by the system and never destroyed.
    HICON m_hIcon;
    // The same picture at the size of small icons (SM_CXSMICON): the caption's and the
    // notification area's. Loaded for this window alone, so destroyed with it.
    struct IconDestroyer {
        void operator()(HICON icon) const { ::DestroyIcon(icon); }
    };
    std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer> m_hSmallIcon;
    // Broadcast by a shell that has started again and lost every notification icon.
    const UINT m_nTaskbarCreatedMessage;
    std::array<CSpeedDialDlg, kSpeedDialCount> SpeedDialTable;
    bool m_speedDialsLoaded = false;
    bool m_closing = false;
    bool m_runFinished = false;
    const CRunningCopy& m_runningCopy;
};
