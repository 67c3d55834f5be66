// What every window of the program draws: each text whole in its control, measured with the
// control's own font as the control draws it, and no control over another. Run once per
// screen resolution (CTest sets VESMO_DPI and the prefix's LogPixels with it).
#include "RunningMainWindow.h"
#include "VesmoTexts.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vesmo_test::RunningMainWindow;

// A window of the program: its caption and the main window's command that opens it (0: the
// main window itself).
struct ShownWindow {
    const char* name;
    const char* caption;
    UINT command;
};

void PrintTo(const ShownWindow& window, std::ostream* out) { *out << window.name; }

const ShownWindow kWindows[] = {
    {"MainWindow", kMainCaption, 0},
    {"SpeedDial", kProgrammingCaption, IDC_SPEEDDIAL_1},
    {"ForwardOnNoAnswer", kNoAnswerCaption, ID_FORWARD_NOANSWER},
    {"ForwardOnBusy", kBusyCaption, ID_FORWARD_BUSY},
    {"About", kAboutCaption, ID_HELP_ABOUT},
};

// One control as the user sees it: the part of its parent it covers, and its text.
struct Control {
    HWND window;
    std::string kind;
    LONG style;
    std::string text;
    RECT covers;  // in the parent's client coordinates
};

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The size of the icon a static shows; zero when it shows none.
SIZE IconSize(HWND control)
{
    const auto icon = reinterpret_cast<HICON>(::SendMessageA(control, STM_GETICON, 0, 0));
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return {0, 0};
    const std::unique_ptr<void, decltype(&::DeleteObject)> mask(info.hbmMask, ::DeleteObject);
    const std::unique_ptr<void, decltype(&::DeleteObject)> colour(info.hbmColor, ::DeleteObject);
    BITMAP bitmap{};
    ::GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    // A monochrome icon's mask holds the AND and the XOR image, one above the other.
    return {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

bool IsIcon(const Control& control)
{
    return control.kind == "Static" && (control.style & SS_TYPEMASK) == SS_ICON;
}

// The visible controls of a window, in template order. An icon is drawn at its control's
// top left at the icon's own size, whatever the control's.
std::vector<Control> ControlsOf(HWND parent)
{
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child))
            continue;
        Control control{child, ClassOf(child), ::GetWindowLongA(child, GWL_STYLE), TextOf(child), {}};
        ::GetWindowRect(child, &control.covers);
        ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&control.covers), 2);
        if (IsIcon(control)) {
            const SIZE icon = IconSize(child);
            control.covers.right = std::max(control.covers.right, control.covers.left + icon.cx);
            control.covers.bottom = std::max(control.covers.bottom, control.covers.top + icon.cy);
        }
        controls.push_back(control);
    }
    return controls;
}

// Where a control draws its text and how it lays it out (DrawText's format), as the
// system's static and button controls do.
struct TextRoom {
    bool hasText = false;
    RECT room{};
    UINT format = 0;
};

TextRoom RoomFor(const Control& control, HDC dc)
{
    TextRoom text;
    ::GetClientRect(control.window, &text.room);
    if (control.kind == "Static") {
        const LONG type = control.style & SS_TYPEMASK;
        const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        text.hasText = wraps || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
        text.format = (wraps ? DT_WORDBREAK : DT_SINGLELINE) | DT_EXPANDTABS |
                      ((control.style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    } else if (control.kind == "Button") {
        const LONG type = control.style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            // The caption sits in the frame's top edge, 7 pixels in from each side under
            // Wine, about one average character in on Windows.
            TEXTMETRICA metrics{};
            ::GetTextMetricsA(dc, &metrics);
            const LONG margin = std::max<LONG>(7, metrics.tmAveCharWidth);
            ::InflateRect(&text.room, -margin, 0);
            text.hasText = true;
            text.format = DT_SINGLELINE;
        } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            // Inside the raised edge and the focus rectangle.
            ::InflateRect(&text.room, -(::GetSystemMetrics(SM_CXEDGE) + 1), -(::GetSystemMetrics(SM_CYEDGE) + 1));
            text.hasText = true;
            text.format = (control.style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
        } else {
            ADD_FAILURE() << "button " << ::GetDlgCtrlID(control.window) << " \"" << control.text
                          << "\" is of a kind this test does not measure";
        }
    }
    text.hasText = text.hasText && !control.text.empty();
    return text;
}

std::string Describe(const Control& control)
{
    const std::string what = IsIcon(control) ? "icon" : control.kind + " \"" + control.text + "\"";
    return what + " (id " + std::to_string(::GetDlgCtrlID(control.window)) + ")";
}

std::string Size(const RECT& rect)
{
    return std::to_string(rect.right - rect.left) + " x " + std::to_string(rect.bottom - rect.top) + " px";
}

// A control's device context with the control's font selected, while it lives.
class ControlDc {
public:
    explicit ControlDc(HWND control) : m_control(control), m_dc(::GetDC(control))
    {
        const auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
        m_previous = ::SelectObject(m_dc, font ? font : ::GetStockObject(SYSTEM_FONT));
    }
    ~ControlDc()
    {
        ::SelectObject(m_dc, m_previous);
        ::ReleaseDC(m_control, m_dc);
    }
    ControlDc(const ControlDc&) = delete;
    ControlDc& operator=(const ControlDc&) = delete;

    operator HDC() const { return m_dc; }

private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Checks that the control's text fits its room, measured with the control's font.
// False when the control shows no text.
bool ExpectTextWhole(const Control& control)
{
    const ControlDc dc(control.window);
    const TextRoom text = RoomFor(control, dc);
    if (!text.hasText)
        return false;
    const LONG width = text.room.right - text.room.left, height = text.room.bottom - text.room.top;
    RECT needs{0, 0, width, 0};
    ::DrawTextA(dc, control.text.c_str(), -1, &needs, text.format | DT_CALCRECT);
    EXPECT_TRUE(needs.right <= width && needs.bottom <= height)
        << Describe(control) << " needs " << Size(needs) << ", has " << Size(text.room);
    return true;
}

bool Contains(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Controls may overlap only where one is a group box and the other lies wholly inside it.
void ExpectNoOverlap(const std::vector<Control>& controls)
{
    for (auto first = controls.begin(); first != controls.end(); ++first) {
        for (auto second = first + 1; second != controls.end(); ++second) {
            RECT common;
            if (!::IntersectRect(&common, &first->covers, &second->covers))
                continue;
            const auto frames = [](const Control& outer, const Control& inner) {
                return outer.kind == "Button" && (outer.style & BS_TYPEMASK) == BS_GROUPBOX &&
                       Contains(outer.covers, inner.covers);
            };
            EXPECT_TRUE(frames(*first, *second) || frames(*second, *first))
                << Describe(*first) << " and " << Describe(*second) << " overlap in " << Size(common);
        }
    }
}

// A shown window of a thread, looked for by its caption.
struct ShownSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM lParam)
{
    auto* const search = reinterpret_cast<ShownSearch*>(lParam);
    if (::IsWindowVisible(window) && TextOf(window) == search->caption)
        search->found = window;
    return search->found ? FALSE : TRUE;
}

// The window with this caption on the main window's thread, once it is shown; null if none
// appears within ten seconds.
HWND WaitForShown(DWORD thread, const char* caption)
{
    ShownSearch search{caption, nullptr};
    for (int waited = 0; waited < 10000; waited += 10) {
        ::EnumThreadWindows(thread, FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            break;
        ::Sleep(10);
    }
    return search.found;
}

class WindowLayout : public ::testing::TestWithParam<ShownWindow> {
protected:
    static void SetUpTestSuite() { s_window = std::make_unique<RunningMainWindow>(); }
    static void TearDownTestSuite() { s_window.reset(); }
    void SetUp() override { ASSERT_NE(s_window->Main(), nullptr) << "the main window did not appear"; }

    static inline std::unique_ptr<RunningMainWindow> s_window;
};

TEST_P(WindowLayout, ShowsEveryTextWholeAndNoControlOverAnother)
{
    const ShownWindow& shown = GetParam();
    const HWND main = s_window->Main();
    if (shown.command)
        ::PostMessageA(main, WM_COMMAND, shown.command, 0);
    const HWND window = WaitForShown(s_window->ThreadId(), shown.caption);
    ASSERT_NE(window, nullptr) << "no window \"" << shown.caption << "\" appeared";

    const std::vector<Control> controls = ControlsOf(window);
    const auto measured = std::count_if(controls.begin(), controls.end(), ExpectTextWhole);
    EXPECT_GT(measured, 0) << "no text measured in \"" << shown.caption << "\"";
    ExpectNoOverlap(controls);

    if (window != main) {
        ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        for (int waited = 0; waited < 10000 && ::IsWindow(window); waited += 10)
            ::Sleep(10);
        EXPECT_FALSE(::IsWindow(window)) << "\"" << shown.caption << "\" did not close";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, WindowLayout, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<ShownWindow>& shown) { return shown.param.name; });

// The resolution the run was set up for is the one the windows are drawn at: otherwise every
// run would measure the same.
TEST(WindowLayoutResolution, IsTheOneAsked)
{
    const char* asked = std::getenv("VESMO_DPI");
    if (!asked)
        GTEST_SKIP() << "VESMO_DPI names no resolution";
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(dpi, std::atoi(asked));
}

}  // namespace
