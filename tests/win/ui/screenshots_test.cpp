// Pictures of every window as the user sees it. With VESMO_SCREENSHOT_DIR set (by
// scripts/screenshot.sh) they are kept there; otherwise they go to a temporary folder.
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The window's own rectangle cut out of a picture of the whole virtual screen.
bool SaveWindowPicture(HWND window, const std::string& name, const std::string& folder)
{
    RECT rect;
    ::GetWindowRect(window, &rect);
    const std::string path = UnixPath(folder) + "/" + name + ".png";
    const std::string crop = std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) +
                             "+" + std::to_string(rect.left) + "+" + std::to_string(rect.top);
    return RunShell("import -window root -crop " + crop + " +repage '" + path + "'") == 0;
}

class Screenshots : public ::testing::Test {
protected:
    std::string Folder() const
    {
        const char* kept = std::getenv("VESMO_SCREENSHOT_DIR");
        return kept ? std::string(kept) : dir.Path();
    }
    // Opens a window of the program, pictures it and closes it with Escape.
    void Picture(const std::string& caption, const std::string& name, void (*open)(const VesmoProcess&))
    {
        open(vesmo);
        const HWND window = vesmo.WaitForWindow(caption);
        ASSERT_NE(window, nullptr) << caption;
        ::Sleep(300);  // let it finish painting
        EXPECT_TRUE(SaveWindowPicture(window, name, Folder()));
        vesmo.PostKey(window, VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(window); })) << caption;
    }

    TempDir dir;
    VesmoProcess vesmo{dir.Path()};
};

TEST_F(Screenshots, EveryWindowOfTheProgram)
{
    ASSERT_NE(vesmo.Main(), nullptr);
    ::Sleep(300);
    EXPECT_TRUE(SaveWindowPicture(vesmo.Main(), "main-window", Folder()));

    Picture(kProgrammingCaption, "speed-dial", [](const VesmoProcess& v) { v.PostClick(IDC_SPEEDDIAL_1); });
    Picture(kCallWaitingOnCaption, "service-prompt", [](const VesmoProcess& v) { v.PostMenu(ID_CALLWAIT_ON); });
    Picture(kNoAnswerCaption, "forward-no-answer", [](const VesmoProcess& v) { v.PostMenu(ID_FORWARD_NOANSWER); });
    Picture(kBusyCaption, "forward-busy", [](const VesmoProcess& v) { v.PostMenu(ID_FORWARD_BUSY); });
    Picture(kAboutCaption, "about", [](const VesmoProcess& v) { v.PostMenu(ID_HELP_ABOUT); });
}

}  // namespace
