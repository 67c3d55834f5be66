// The dialog toolkit's modal loop, run on a thread of its own and ended the ways a program
// or an automation tool ends a dialog: whatever happens, DoModal must come back, with the
// right result, and a dialog whose initialisation failed must never be shown.
#include "toolkit_test.h"
#include "toolkit/Dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

namespace {

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(IDD_TEST_DIALOG) {}

    std::function<void(TestDialog&)> onInit;     // runs during OnInitDialog
    std::function<void(TestDialog&)> onAppMessage;  // runs on WM_APP
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> shown{false};

    HWND Window() const { return m_hWnd; }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        window = m_hWnd;
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_SHOWWINDOW && wParam)
            shown = true;
        if (message == WM_APP && onAppMessage) {
            onAppMessage(*this);
            return true;
        }
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
};

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

struct Case {
    const char* what;
    std::function<void(TestDialog&)> onInit;
    std::function<void(TestDialog&)> onAppMessage;
    // What this thread, another than the dialog's, does once the dialog exists.
    std::function<void(HWND)> drive;
    INT_PTR result;
    bool shown;
};

void SendCommand(HWND window, int id) { ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

TEST(ModalLoop, EndsHoweverTheDialogEndsAndNeverShowsAHalfBuiltOne)
{
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

}  // namespace
