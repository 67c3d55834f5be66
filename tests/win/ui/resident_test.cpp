// Vesmo through a Windows day as a program that stays running: the session ending at
// log-off or shut-down.
#include "Taskbar.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What sfile.vmo holds when the program starts; the entry each test programs into the
// empty second row, in memory only; and the file once that entry has been saved.
const std::vector<SpeedDialEntry> kSaved = {{"Mamma", "123"}};
const SpeedDialEntry kProgrammed = {"Test B", "0701234567"};
const std::vector<SpeedDialEntry> kSavedAndProgrammed = {{"Mamma", "123"}, kProgrammed};

// Programs the second row through its dialog, as the user does: the entry changes in
// memory and its caption shows the name.
void ProgramSecondRow(const VesmoProcess& vesmo)
{
    vesmo.PostClick(kSpeedDialRows[1].program);
    const HWND dialog = vesmo.WaitForWindow(kProgrammingCaption);
    ASSERT_NE(dialog, nullptr);
    vesmo.Type(dialog, IDC_SPEEDDIAL_NAME, kProgrammed.name);
    vesmo.Type(dialog, IDC_SPEEDDIAL_NUMBER, kProgrammed.number);
    vesmo.PostClick(dialog, IDOK);
    ASSERT_TRUE(WaitUntilClosed(dialog));
    ASSERT_EQ(vesmo.Text(kSpeedDialRows[1].program), kProgrammed.name);
}

// ---- The session ends ------------------------------------------------------------------

// Windows asks every top-level window with WM_QUERYENDSESSION, tells it the outcome with
// WM_ENDSESSION, and when the session ends, ends the process without destroying a window.
TEST(SessionEnd, SavesTheSpeedDialsAndRemovesTheIconOnlyWhenTheSessionEnds)
{
    struct Case {
        const char* what;
        BOOL ends;
        std::vector<SpeedDialEntry> fileAfterwards;
        bool iconAfterwards;
    };
    const Case cases[] = {
        {"the session ends", TRUE, kSavedAndProgrammed, false},
        {"the end was cancelled", FALSE, kSaved, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeededDir dir(kSaved);
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);
        ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(vesmo));
        ASSERT_TRUE(Taskbar::HasIcon(vesmo.Main(), 0));

        EXPECT_NE(::SendMessageA(vesmo.Main(), WM_QUERYENDSESSION, 0, 0), 0) << "the program holds the session up";
        ::SendMessageA(vesmo.Main(), WM_ENDSESSION, c.ends, 0);
        EXPECT_EQ(Taskbar::HasIcon(vesmo.Main(), 0), c.iconAfterwards);
        EXPECT_TRUE(vesmo.Running());

        vesmo.Kill();
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(c.fileAfterwards));
        EXPECT_FALSE(dir.Exists("sfile.vmo.new"));
    }
}

}  // namespace
