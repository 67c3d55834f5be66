// vesmo_screenshots FOLDER: pictures of every window of Vesmo as the user sees it, saved as
// PNG files into FOLDER (a Windows path). scripts/screenshot.sh runs it under Wine.
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <cstdio>
#include <string>

namespace {

using namespace vesmo_test;

// A window of the program: the caption it is found by, its picture's name and how it opens.
struct Window {
    const char* caption;
    const char* name;
    void (*open)(const VesmoProcess&);
};

const Window kWindows[] = {
    {kProgrammingCaption, "speed-dial", [](const VesmoProcess& v) { v.PostClick(IDC_SPEEDDIAL_1); }},
    {kCallWaitingOnCaption, "service-prompt", [](const VesmoProcess& v) { v.PostMenu(ID_CALLWAIT_ON); }},
    {kNoAnswerCaption, "forward-no-answer", [](const VesmoProcess& v) { v.PostMenu(ID_FORWARD_NOANSWER); }},
    {kBusyCaption, "forward-busy", [](const VesmoProcess& v) { v.PostMenu(ID_FORWARD_BUSY); }},
    {kAboutCaption, "about", [](const VesmoProcess& v) { v.PostMenu(ID_HELP_ABOUT); }},
};

bool Picture(HWND window, const std::string& folder, const char* name)
{
    ::Sleep(300);  // let it finish painting
    const std::string path = folder + "\\" + name + ".png";
    if (SaveWindowPicture(window, path))
        return true;
    std::fprintf(stderr, "vesmo_screenshots: could not save %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vesmo_screenshots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];

    const TempDir dir;
    const VesmoProcess vesmo(dir.Path());
    if (!vesmo.Main()) {
        std::fprintf(stderr, "vesmo_screenshots: the main window did not appear\n");
        return 1;
    }
    bool saved = Picture(vesmo.Main(), folder, "main-window");

    // Each window is opened, pictured and closed with Escape before the next.
    for (const Window& window : kWindows) {
        window.open(vesmo);
        const HWND shown = vesmo.WaitForWindow(window.caption);
        if (!shown) {
            std::fprintf(stderr, "vesmo_screenshots: no window \"%s\" appeared\n", window.caption);
            return 1;
        }
        saved = Picture(shown, folder, window.name) && saved;
        vesmo.PostKey(shown, VK_ESCAPE);
        if (!WaitUntilClosed(shown)) {
            std::fprintf(stderr, "vesmo_screenshots: Escape did not close \"%s\"\n", window.caption);
            return 1;
        }
    }
    return saved ? 0 : 1;
}
