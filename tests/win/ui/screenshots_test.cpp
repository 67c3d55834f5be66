// Pictures of every window as the user sees it. With VESMO_SCREENSHOT_DIR set (by
// scripts/screenshot.sh) they are kept there; otherwise they go to a temporary folder.
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Screenshots : public ::testing::Test {
protected:
    std::string Png(const std::string& name) const
    {
        const char* kept = std::getenv("VESMO_SCREENSHOT_DIR");
        return (kept ? std::string(kept) : dir.Path()) + "\\" + name + ".png";
    }
    // Opens a window of the program, pictures it and closes it with Escape.
    void Picture(const std::string& caption, const std::string& name, void (*open)(const VesmoProcess&))
    {
        open(vesmo);
        const HWND window = vesmo.WaitForWindow(caption);
        ASSERT_NE(window, nullptr) << caption;
        ::Sleep(300);  // let it finish painting
        EXPECT_TRUE(SaveWindowPicture(window, Png(name)));
        vesmo.PostKey(window, VK_ESCAPE);
        ASSERT_TRUE(WaitUntilClosed(window)) << caption;
    }

    TempDir dir;
    VesmoProcess vesmo{dir.Path()};
};

TEST_F(Screenshots, EveryWindowOfTheProgram)
{
    ASSERT_NE(vesmo.Main(), nullptr);
    ::Sleep(300);
    EXPECT_TRUE(SaveWindowPicture(vesmo.Main(), Png("main-window")));

    Picture(kProgrammingCaption, "speed-dial", [](const VesmoProcess& v) { v.PostClick(IDC_SPEEDDIAL_1); });
    Picture(kCallWaitingOnCaption, "service-prompt", [](const VesmoProcess& v) { v.PostMenu(ID_CALLWAIT_ON); });
    Picture(kNoAnswerCaption, "forward-no-answer", [](const VesmoProcess& v) { v.PostMenu(ID_FORWARD_NOANSWER); });
    Picture(kBusyCaption, "forward-busy", [](const VesmoProcess& v) { v.PostMenu(ID_FORWARD_BUSY); });
    Picture(kAboutCaption, "about", [](const VesmoProcess& v) { v.PostMenu(ID_HELP_ABOUT); });
}

}  // namespace
