// The main window in-process: what another process cannot read of it. The window runs
// once for the whole suite.
#include "RunningMainWindow.h"
#include "VesmoTexts.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using vesmo_test::RunningMainWindow;

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_window = std::make_unique<RunningMainWindow>(); }
    static void TearDownTestSuite() { s_window.reset(); }
    void SetUp() override { ASSERT_NE(Main(), nullptr) << "the main window did not appear"; }

    static HWND Main() { return s_window->Main(); }

private:
    static inline std::unique_ptr<RunningMainWindow> s_window;
};

// An item of a menu, by position.
struct MenuItem {
    bool read = false;
    UINT type = 0, id = 0, state = 0;
    std::string text;
};

MenuItem ItemAt(HMENU menu, int position)
{
    char text[64] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    const bool read = ::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) != FALSE;
    return {read, info.fType, info.wID, info.fState, text};
}

TEST_F(MainWindow, SystemMenuEndsWithASeparatorAndTheAboutItemAfterTheSystemsOwn)
{
    const HMENU menu = ::GetSystemMenu(Main(), FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 3);

    // The system's own items (its commands and separators; Wine has one of its own too)
    // come first, and the program adds its item once.
    for (int position = 0; position < count - 2; ++position) {
        const MenuItem own = ItemAt(menu, position);
        ASSERT_TRUE(own.read);
        EXPECT_TRUE((own.type & MFT_SEPARATOR) || own.id >= SC_SIZE) << "item " << position << ", id " << own.id;
    }

    const MenuItem separator = ItemAt(menu, count - 2);
    ASSERT_TRUE(separator.read);
    EXPECT_TRUE(separator.type & MFT_SEPARATOR);

    const MenuItem about = ItemAt(menu, count - 1);
    ASSERT_TRUE(about.read);
    EXPECT_EQ(about.type & MFT_SEPARATOR, 0u);
    EXPECT_EQ(about.id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(about.text, kAboutMenuItem);
    EXPECT_EQ(about.state & (MFS_DISABLED | MFS_CHECKED), 0u);
}

// WM_QUERYDRAGICON is one of the messages whose result a dialog procedure returns itself:
// through DWLP_MSGRESULT the caller would get TRUE instead of the icon.
TEST_F(MainWindow, AnswersWmQueryDragIconWithItsIcon)
{
    const HICON programIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(programIcon, nullptr);
    EXPECT_EQ(::SendMessageA(Main(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(programIcon));
    EXPECT_EQ(::SendMessageA(Main(), WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(programIcon));
}

}  // namespace
