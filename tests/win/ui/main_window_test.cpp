// The main window, started for real and driven with window messages; the tones it plays
// are judged by multimon-ng from what the wave device really received.
#include "ExpectTones.h"
#include "SoundCapture.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <mmsystem.h>

namespace {

using namespace vesmo_test;

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(vesmo.Main(), nullptr) << "the main window did not appear"; }

    void SetNumber(const std::string& text) const { vesmo.SetText(IDC_NUMBER, text); }

    TempDir dir;
    VesmoProcess vesmo{dir.Path()};
    SoundCapture capture;
};

TEST_F(MainWindow, StartsWithItsLabelsSliderAtFortyEightAndFocusInTheNumberField)
{
    EXPECT_EQ(vesmo.WindowText(vesmo.Main()), kMainCaption);
    EXPECT_EQ(vesmo.Text(IDC_NUM2SEND_LABEL), kNumberLabel);
    EXPECT_EQ(vesmo.Text(IDC_LATEST_LABEL), kHistoryLabel);
    EXPECT_EQ(vesmo.Text(IDC_SPEED_GROUP), kSpeedLabel);
    EXPECT_EQ(vesmo.Text(IDC_SHORT_GROUP), kSpeedDialLabel);
    EXPECT_EQ(vesmo.Text(kSpeedDialRows[0].send), "1");
    EXPECT_EQ(vesmo.Text(kSpeedDialRows[7].send), "8");

    HWND slider = vesmo.Item(IDC_SPEED);
    EXPECT_EQ(::SendMessageA(slider, TBM_GETPOS, 0, 0), 48);
    EXPECT_EQ(::SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), 20);
    EXPECT_EQ(::SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 200);
    // Ticks every 10 ms between the ends: 30, 40, ..., 190.
    EXPECT_EQ(::SendMessageA(slider, TBM_GETNUMTICS, 0, 0), 19);
    EXPECT_EQ(vesmo.Text(IDC_MS), "48");
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "");
    EXPECT_EQ(FocusedWindow(vesmo.Main()), vesmo.Item(IDC_NUMBER));
}

TEST_F(MainWindow, EachKeypadButtonIsHeardAsItsKey)
{
    struct Button {
        int id;
        char key;
    };
    // Row by row, as the keypad shows them.
    const Button keypad[] = {{IDC_KEY_1, '1'}, {IDC_KEY_2, '2'},    {IDC_KEY_3, '3'},    {IDC_KEY_A, 'A'},
                             {IDC_KEY_4, '4'}, {IDC_KEY_5, '5'},    {IDC_KEY_6, '6'},    {IDC_KEY_B, 'B'},
                             {IDC_KEY_7, '7'}, {IDC_KEY_8, '8'},    {IDC_KEY_9, '9'},    {IDC_KEY_C, 'C'},
                             {IDC_KEY_STAR, '*'}, {IDC_KEY_0, '0'}, {IDC_KEY_HASH, '#'}, {IDC_KEY_D, 'D'}};
    for (const Button& button : keypad) {
        SCOPED_TRACE(button.key);
        PlayAndExpectHeard(capture, kStartToneMs, std::string(1, button.key), kStartToneMs,
                           [&] { vesmo.Click(button.id); });
    }
    // A keypad key sounds for one tone length and changes neither field nor read-out.
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "");
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "");
}

TEST_F(MainWindow, TypedLettersArriveInCapitalsAndTheFieldHoldsAtMost255Characters)
{
    vesmo.Type(vesmo.Item(IDC_NUMBER), "a1b2c3d#");
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "A1B2C3D#");

    SetNumber("");
    vesmo.Type(vesmo.Item(IDC_NUMBER), std::string(300, '7'));
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), std::string(255, '7'));
}

TEST_F(MainWindow, EnterInTheNumberFieldSendsTheNumberAndShowsIt)
{
    vesmo.Type(vesmo.Item(IDC_NUMBER), "0701234567*#");
    capture.Mark();
    vesmo.PostKey(vesmo.Item(IDC_NUMBER), VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return vesmo.Text(IDC_DIALLING) == "0701234567*#"; }));
    const HeardSound heard = capture.WaitAndDecode(SequenceMs("0701234567*#"));
    EXPECT_EQ(heard.keys, "0701234567*#");
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "0701234567*#") << "the field keeps its text after sending";
}

TEST_F(MainWindow, SendPlaysAndShowsTheNumberAndAnEmptySendPlaysNothing)
{
    SetNumber("5B9");
    capture.Mark();
    vesmo.Click(IDC_SEND);
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "5B9");
    EXPECT_EQ(capture.WaitAndDecode(SequenceMs("5B9")).keys, "5B9");

    SetNumber("");
    capture.Mark();
    vesmo.Click(IDC_SEND);
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "");
    const HeardSound heard = capture.WaitAndDecode(300);
    EXPECT_EQ(heard.keys, "");
    EXPECT_TRUE(heard.toneMs.empty());
}

TEST_F(MainWindow, TheSliderTakesEffectOnlyAtTheNextKey)
{
    // Moved without the window being told, as a drag that nothing handles.
    vesmo.MoveSlider(120);
    EXPECT_EQ(vesmo.Text(IDC_MS), "48");

    PlayAndExpectHeard(capture, SequenceMs("5", 120), "5", 120, [&] {
        vesmo.Click(IDC_KEY_5);
        EXPECT_EQ(vesmo.Text(IDC_MS), "120");
    });
}

// The three ways of dialling, one after the other, as a user would in one sitting.
TEST(Dialling, ATypedNumberAKeypadKeyAndASpeedDialRowAreHeard)
{
    const std::vector<SpeedDialEntry> entries = {{"Mamma", "112#"}};
    SeededDir dir(entries);
    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);
    SoundCapture capture;

    const auto expectHeard = [&](int control, const std::string& keys) {
        SCOPED_TRACE(keys);
        capture.Mark();
        vesmo.Click(control);
        const HeardSound heard = capture.WaitAndDecode(SequenceMs(keys));
        EXPECT_EQ(heard.keys, keys);
        EXPECT_EQ(heard.dcStepMs, std::vector<int>{}) << "DC steps, in ms";
    };
    vesmo.Type(vesmo.Item(IDC_NUMBER), "0701234567");
    expectHeard(IDC_SEND, "0701234567");
    expectHeard(IDC_KEY_HASH, "#");
    expectHeard(kSpeedDialRows[0].send, "112#");
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "112#");
}

TEST_F(MainWindow, EditCommandsActOnTheNumberFieldWhereverTheFocusIs)
{
    HWND number = vesmo.Item(IDC_NUMBER);
    SetNumber("123");
    ::SendMessageA(number, EM_SETSEL, 0, -1);
    ::PostMessageA(vesmo.Main(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(vesmo.Item(IDC_HISTORY)), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(vesmo.Main()) == vesmo.Item(IDC_HISTORY); }));

    vesmo.Menu(ID_EDIT_COPY);
    ::SendMessageA(number, EM_SETSEL, 3, 3);
    vesmo.Menu(ID_EDIT_PASTE);
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "123123");
    vesmo.Menu(ID_EDIT_UNDO);
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "123");
    ::SendMessageA(number, EM_SETSEL, 0, -1);
    vesmo.Menu(ID_EDIT_CUT);
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "");
    vesmo.Menu(ID_EDIT_PASTE);
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "123");
    EXPECT_EQ(FocusedWindow(vesmo.Main()), vesmo.Item(IDC_HISTORY)) << "the focus stayed where it was";
}

TEST_F(MainWindow, SendAndExitButtonsHaveTheirTooltips)
{
    HWND tooltip = nullptr;
    for (HWND w : vesmo.TopLevelWindows(TOOLTIPS_CLASSA))
        if (::GetWindow(w, GW_OWNER) == vesmo.Main())
            tooltip = w;
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
}

// Every way out ends the modal loop; the window's destruction then writes sfile.vmo.
TEST(MainWindowExit, EveryExitPathEndsTheProgram)
{
    struct ExitPath {
        const char* name;
        void (*act)(const VesmoProcess&);
    };
    const ExitPath paths[] = {
        {"A&vsluta", [](const VesmoProcess& v) { v.PostClick(IDCANCEL); }},
        {"Escape", [](const VesmoProcess& v) { v.PostKey(v.Item(IDC_NUMBER), VK_ESCAPE); }},
        {"close box", [](const VesmoProcess& v) { ::PostMessageA(v.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"&Avsluta", [](const VesmoProcess& v) { v.PostMenu(ID_APP_EXIT); }},
    };
    for (const ExitPath& path : paths) {
        SCOPED_TRACE(path.name);
        TempDir dir;
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);
        path.act(vesmo);
        EXPECT_TRUE(vesmo.WaitForExit());
        EXPECT_EQ(dir.Read(kSpeedDialFile), EmptyLines(16));
    }
}

// Run with no sound device at all: the program tells the user why and ends.
TEST(NoSoundDevice, ShowsTheSystemsTextAndEndsWithoutShowingTheWindow)
{
    // The code and text the platform gives for this machine without a device.
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8, 0};
    HWAVEOUT device = nullptr;
    const MMRESULT code = ::waveOutOpen(&device, 0, &format, 0, 0, WAVE_ALLOWSYNC);
    ASSERT_NE(code, MMSYSERR_NOERROR) << "this test needs a machine without a sound device";
    char expected[256] = {};
    ::waveOutGetErrorTextA(code, expected, 255);

    const PreparedDir dir(kSpeedDialFile, Lines({"Mamma", "123"}));
    VesmoProcess vesmo(dir.Path(), false);
    const HWND box = vesmo.WaitForWindow(kProgramNameCaption);
    ASSERT_NE(box, nullptr) << "no message box captioned with the program's name";
    EXPECT_EQ(VesmoProcess::MessageBoxText(box), expected);
    EXPECT_EQ(vesmo.WaitForWindow(kMainCaption, 0), nullptr) << "the main window was shown";

    vesmo.PostClick(box, IDOK);
    EXPECT_TRUE(vesmo.WaitForExit());
    // The entries loaded before the end are written back whole.
    EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile({{"Mamma", "123"}}));
}

}  // namespace
