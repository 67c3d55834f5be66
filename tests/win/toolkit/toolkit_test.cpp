// The dialog toolkit, in-process, with a dialog of the tests' own.
//
// The modal loop, run on a thread of its own and ended the ways a program or an
// automation tool ends a dialog: whatever happens, DoModal must come back, with the right
// result, and a dialog whose initialisation failed must never be shown. The loop also
// leaves a quit request for the loop outside it and gives the owner back its input however
// it ends. The dialog procedure: which results go back directly and which through
// DWLP_MSGRESULT, which WM_COMMANDs are commands, and what becomes of a handler's exception.
#include "toolkit_test.h"
#include "toolkit/Dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Posted during initialisation: the dialog runs its script once its loop runs.
constexpr UINT kRunScript = WM_APP + 1;

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_TEST_DIALOG) {}

    std::function<void(TestDialog&)> onInit;        // runs during OnInitDialog
    std::function<void(TestDialog&)> onAppMessage;  // runs on WM_APP
    std::function<void(TestDialog&)> script;        // runs once the modal loop runs
    // Handlers of single messages: each is handled with the result its function returns.
    std::map<UINT, std::function<LRESULT()>> handlers;
    // Sees each message of the modal loop before the toolkit does.
    std::function<void(const MSG&)> preTranslate;
    // What the command and notify rows, OnOK and OnCancel were called for, in order.
    std::vector<std::string> calls;

    std::atomic<HWND> window{nullptr};
    std::atomic<bool> shown{false};

    HWND Window() const { return m_hWnd; }
    HWND Item(int id) const { return GetDlgItem(id); }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        window = m_hWnd;
        if (script)
            ::PostMessageA(m_hWnd, kRunScript, 0, 0);
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG* msg) override
    {
        if (preTranslate)
            preTranslate(*msg);
        return CDialog::PreTranslateMessage(msg);
    }
    void OnOK() override
    {
        calls.push_back("OK");
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        calls.push_back("Cancel");
        CDialog::OnCancel();
    }

private:
    static const MessageEntry<TestDialog> s_messageMap[];

    void OnCommandRow(UINT id) { calls.push_back("command " + std::to_string(id)); }
    void OnListDoubleClick() { calls.push_back("list double-click"); }
};

// A command row for every control of the dialog and for a command without one, and a
// notify row for the list box.
const MessageEntry<TestDialog> TestDialog::s_messageMap[] = {
    OnCommandRangeEntry(IDC_TEST_LIST, ID_TEST_COMMAND, &TestDialog::OnCommandRow),
    OnNotifyEntry(IDC_TEST_LIST, LBN_DBLCLK, &TestDialog::OnListDoubleClick),
};

bool TestDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_SHOWWINDOW && wParam)
        shown = true;
    if (const auto handler = handlers.find(message); handler != handlers.end()) {
        result = handler->second();
        return true;
    }
    if (message == WM_APP && onAppMessage) {
        onAppMessage(*this);
        return true;
    }
    if (message == kRunScript) {
        script(*this);
        return true;
    }
    return DispatchMessageMap<TestDialog>(this, s_messageMap, message, wParam, lParam, result) ||
           CDialog::OnMessage(message, wParam, lParam, result);
}

struct ModalRun {
    TestDialog dialog;
    INT_PTR result = 0;
};

DWORD WINAPI RunModal(LPVOID param)
{
    auto* run = static_cast<ModalRun*>(param);
    run->result = run->dialog.DoModal(nullptr);
    return 0;
}

void SendCommand(HWND window, int id) { ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

TEST(ModalLoop, EndsHoweverTheDialogEndsAndNeverShowsAHalfBuiltOne)
{
    struct Case {
        const char* what;
        std::function<void(TestDialog&)> onInit;
        std::function<void(TestDialog&)> onAppMessage;
        // What this thread, another than the dialog's, does once the dialog exists.
        std::function<void(HWND)> drive;
        INT_PTR result;
        bool shown;
    };
    const Case cases[] = {
        {"OK sent from another thread", nullptr, nullptr, [](HWND w) { SendCommand(w, IDOK); }, IDOK, true},
        {"Cancel sent from another thread", nullptr, nullptr, [](HWND w) { SendCommand(w, IDCANCEL); }, IDCANCEL,
         true},
        {"EndDialog in a handler of a message sent from another thread", nullptr,
         [](TestDialog& d) { d.EndDialog(42); }, [](HWND w) { ::SendMessageA(w, WM_APP, 0, 0); }, 42, true},
        {"the window destroyed without EndDialog", nullptr,
         [](TestDialog& d) { ::DestroyWindow(d.Window()); }, [](HWND w) { ::SendMessageA(w, WM_APP, 0, 0); }, -1,
         true},
        {"OnInitDialog threw", [](TestDialog&) { throw std::runtime_error("initialisation failed"); }, nullptr,
         nullptr, -1, false},
        {"EndDialog during OnInitDialog", [](TestDialog& d) { d.EndDialog(7); }, nullptr, nullptr, 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModalRun run;
        run.dialog.onInit = c.onInit;
        run.dialog.onAppMessage = c.onAppMessage;
        const HANDLE thread = ::CreateThread(nullptr, 0, RunModal, &run, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        if (c.drive) {
            const ULONGLONG deadline = ::GetTickCount64() + 10000;
            while (!(run.dialog.window && run.dialog.shown) && ::GetTickCount64() < deadline)
                ::Sleep(10);
            ASSERT_NE(run.dialog.window.load(), nullptr) << "the dialog did not open";
            c.drive(run.dialog.window);
        }
        const bool ended = ::WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0;
        EXPECT_TRUE(ended) << "DoModal did not return";
        if (!ended)
            ::TerminateThread(thread, 1);  // the loop is stranded: nothing else gets it out
        ::CloseHandle(thread);
        if (!ended)
            continue;
        EXPECT_EQ(run.result, c.result);
        EXPECT_EQ(run.dialog.shown.load(), c.shown);
        EXPECT_EQ(run.dialog.Window(), nullptr) << "the window outlived DoModal";
    }
}

// The following tests run each dialog on the test's own thread: a script run from the
// dialog's loop sends it what a user, a control or another program would.

// A window of the test's own, to own a dialog.
using OwnedWindow = std::unique_ptr<HWND__, decltype([](HWND w) { ::DestroyWindow(w); })>;
OwnedWindow CreateOwner()
{
    return OwnedWindow(::CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 300, 200,
                                         nullptr, nullptr, nullptr, nullptr));
}

TEST(ModalLoop, EnablesTheOwnerAgainWhenPreTranslateMessageThrows)
{
    constexpr UINT kFailInPreTranslate = WM_APP + 2;
    const OwnedWindow owner = CreateOwner();
    ASSERT_NE(owner, nullptr);
    TestDialog dialog;
    bool ownerDisabled = false;
    dialog.script = [&](TestDialog& d) {
        ownerDisabled = !::IsWindowEnabled(owner.get());
        ::PostMessageA(d.Window(), kFailInPreTranslate, 0, 0);
    };
    dialog.preTranslate = [&](const MSG& msg) {
        if (msg.message == kFailInPreTranslate)
            throw std::runtime_error("pre-translation failed");
    };
    EXPECT_THROW(dialog.DoModal(owner.get()), std::runtime_error);
    EXPECT_TRUE(ownerDisabled) << "the owner took input while the dialog ran";
    EXPECT_TRUE(::IsWindowEnabled(owner.get())) << "the owner was left disabled";
}

// A quit request that arrives in a nested dialog ends it and every dialog outside it, and
// is left for the loop that runs outside them all (here: none, so it stays in the queue).
TEST(ModalLoop, LeavesTheQuitRequestForTheLoopOutsideEveryDialog)
{
    constexpr int kExitCode = 17;
    constexpr INT_PTR kGaveUp = 99;
    TestDialog outer, inner;
    INT_PTR innerResult = 0;
    bool outerEnabledAfterInner = false;
    inner.script = [](TestDialog&) { ::PostQuitMessage(kExitCode); };
    outer.script = [&](TestDialog& d) {
        innerResult = inner.DoModal(d.Window());
        outerEnabledAfterInner = ::IsWindowEnabled(d.Window()) != FALSE;
        // Should the quit request be lost, this ends the outer dialog instead of a hang.
        ::SetTimer(d.Window(), 1, 5000, nullptr);
    };
    outer.handlers[WM_TIMER] = [&] {
        outer.EndDialog(kGaveUp);
        return LRESULT{0};
    };

    EXPECT_EQ(outer.DoModal(nullptr), -1) << "the outer dialog did not end at the quit request";
    EXPECT_EQ(innerResult, -1);
    EXPECT_TRUE(outerEnabledAfterInner);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was lost";
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(kExitCode));
}

// The dialog manager returns the dialog procedure's own result for a few messages, and
// for every other handled one what the procedure left in DWLP_MSGRESULT.
TEST(DialogProcedure, ReturnsDirectlyOnlyTheResultsTheDialogManagerTakesSo)
{
    struct Case {
        const char* what;
        UINT message;
        bool direct;
    };
    const Case cases[] = {
        {"WM_CTLCOLORMSGBOX", WM_CTLCOLORMSGBOX, true},
        {"WM_CTLCOLOREDIT", WM_CTLCOLOREDIT, true},
        {"WM_CTLCOLORLISTBOX", WM_CTLCOLORLISTBOX, true},
        {"WM_CTLCOLORBTN", WM_CTLCOLORBTN, true},
        {"WM_CTLCOLORDLG", WM_CTLCOLORDLG, true},
        {"WM_CTLCOLORSCROLLBAR", WM_CTLCOLORSCROLLBAR, true},
        {"WM_CTLCOLORSTATIC", WM_CTLCOLORSTATIC, true},
        {"WM_COMPAREITEM", WM_COMPAREITEM, true},
        {"WM_VKEYTOITEM", WM_VKEYTOITEM, true},
        {"WM_CHARTOITEM", WM_CHARTOITEM, true},
        {"WM_QUERYDRAGICON", WM_QUERYDRAGICON, true},
        {"WM_NOTIFY", WM_NOTIFY, false},
        {"WM_CONTEXTMENU", WM_CONTEXTMENU, false},
        {"a message of the program's own", WM_APP + 20, false},
    };
    TestDialog dialog;
    dialog.script = [&](TestDialog& d) {
        const NMHDR notification{d.Item(IDC_TEST_LIST), IDC_TEST_LIST, static_cast<UINT>(NM_CLICK)};
        LRESULT answer = 0x4100;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            ++answer;
            d.handlers[c.message] = [answer] { return answer; };
            ::SetWindowLongPtrA(d.Window(), DWLP_MSGRESULT, 0);
            const LPARAM lParam = c.message == WM_NOTIFY ? reinterpret_cast<LPARAM>(&notification) : 0;
            EXPECT_EQ(::SendMessageA(d.Window(), c.message, 0, lParam), answer);
            EXPECT_EQ(::GetWindowLongPtrA(d.Window(), DWLP_MSGRESULT) == answer, !c.direct)
                << (c.direct ? "the result went through DWLP_MSGRESULT" : "the result is not in DWLP_MSGRESULT");
            d.handlers.erase(c.message);
        }
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
}

// A command is a menu item or an accelerator (no control, code 0 or 1) or a button's
// click; a control's other notifications reach notify rows only, whatever their code.
TEST(MessageMap, CommandsAreMenuItemsAcceleratorsAndButtonClicksOnly)
{
    struct Case {
        const char* what;
        int id;
        int code;
        bool fromControl;
        const char* call;  // what must be called; empty: nothing
    };
    const Case cases[] = {
        {"a menu item", ID_TEST_COMMAND, 0, false, "command 1005"},
        {"an accelerator", ID_TEST_COMMAND, 1, false, "command 1005"},
        {"a button's click", IDC_TEST_BUTTON, BN_CLICKED, true, "command 1004"},
        {"a list box's selection change", IDC_TEST_LIST, LBN_SELCHANGE, true, ""},
        {"a list box's double-click", IDC_TEST_LIST, LBN_DBLCLK, true, "list double-click"},
        {"a combo box's selection change", IDC_TEST_COMBO, CBN_SELCHANGE, true, ""},
        {"a static control's double-click", IDC_TEST_STATIC, STN_DBLCLK, true, ""},
        {"a button's focus", IDC_TEST_BUTTON, BN_SETFOCUS, true, ""},
        {"OK clicked", IDOK, BN_CLICKED, true, "OK"},
        {"code 1 from the OK button", IDOK, 1, true, ""},
        {"Cancel from a menu", IDCANCEL, 0, false, "Cancel"},
        {"Cancel as an accelerator", IDCANCEL, 1, false, "Cancel"},
        {"code 1 from the Cancel button", IDCANCEL, 1, true, ""},
    };
    TestDialog dialog;
    dialog.script = [&](TestDialog& d) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            d.calls.clear();
            const LPARAM control = c.fromControl ? reinterpret_cast<LPARAM>(d.Item(c.id)) : 0;
            ASSERT_TRUE(!c.fromControl || control != 0) << "no such control";
            ::SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(c.id, c.code), control);
            EXPECT_EQ(d.calls, *c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{});
        }
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
}

// Collects the toolkit's reports of handler exceptions while it lives.
class ExceptionReports {
public:
    ExceptionReports()
    {
        s_texts.clear();
        CDialog::s_onHandlerException = [](const char* text) { s_texts.emplace_back(text); };
    }
    ~ExceptionReports() { CDialog::s_onHandlerException = nullptr; }
    ExceptionReports(const ExceptionReports&) = delete;
    ExceptionReports& operator=(const ExceptionReports&) = delete;

    const std::vector<std::string>& Texts() const { return s_texts; }

private:
    static inline std::vector<std::string> s_texts;
};

// An exception from a handler goes no further than the dialog procedure, and is reported
// with the message and what the exception was; the dialog goes on.
TEST(HandlerExceptions, AreReportedWithTheMessageAndWhatTheyWere)
{
    constexpr UINT kFailingMessage = WM_APP + 16;
    struct Case {
        const char* what;
        std::function<void(TestDialog&)> setUp;
        INT_PTR result;
        std::vector<std::string> reported;  // each must be in the one report
    };
    const auto sendFailingMessageThenEnd = [](TestDialog& d) {
        ::SendMessageA(d.Window(), kFailingMessage, 0, 0);
        d.EndDialog(IDOK);
    };
    const Case cases[] = {
        {"a std::exception",
         [&](TestDialog& d) {
             d.handlers[kFailingMessage] = []() -> LRESULT { throw std::runtime_error("the number is too long"); };
             d.script = sendFailingMessageThenEnd;
         },
         IDOK, {"0x8010", "the number is too long"}},
        {"something else",
         [&](TestDialog& d) {
             d.handlers[kFailingMessage] = []() -> LRESULT { throw 42; };
             d.script = sendFailingMessageThenEnd;
         },
         IDOK, {"0x8010", "not derived from std::exception"}},
        {"from OnInitDialog",
         [](TestDialog& d) { d.onInit = [](TestDialog&) { throw std::runtime_error("no sound device"); }; }, -1,
         {"0x0110", "no sound device"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ExceptionReports reports;
        TestDialog dialog;
        c.setUp(dialog);
        EXPECT_EQ(dialog.DoModal(nullptr), c.result);
        ASSERT_EQ(reports.Texts().size(), 1u);
        for (const std::string& part : c.reported)
            EXPECT_NE(reports.Texts()[0].find(part), std::string::npos) << reports.Texts()[0];
    }
}

}  // namespace
