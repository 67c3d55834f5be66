// The speed-dial rows, their programming dialog and the operator's service commands,
// driven through the real windows; what they dial is judged by multimon-ng from what the
// wave device really received.
#include "SoundCapture.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using namespace vesmo_test;

// What sfile.vmo holds when each test's program starts.
const std::vector<SpeedDialEntry> kStartEntries = {
    {"Mamma", "123"},
    {"", ""},
    {"", ""},
    {"", ""},     // neither name nor number
    {"", "555"},  // a number but no name
    {"Tom", ""},  // a name but no number
    {"", ""},
    {"", ""},
};

// A menu command and the caption of the prompt or dialog it opens.
struct MenuWindow {
    UINT command;
    const char* caption;
};
const MenuWindow kCallWaitingOn{ID_CALLWAIT_ON, kCallWaitingOnCaption};
const MenuWindow kCallWaitingOff{ID_CALLWAIT_OFF, kCallWaitingOffCaption};
const MenuWindow kCallWaitingVerify{ID_CALLWAIT_VERIFY, kCallWaitingVerifyCaption};
const MenuWindow kForwardingOff{ID_FORWARD_OFF, kForwardingOffCaption};
const MenuWindow kForwardingVerify{ID_FORWARD_VERIFY, kForwardingVerifyCaption};
const MenuWindow kForwardNoAnswer{ID_FORWARD_NOANSWER, kNoAnswerCaption};
const MenuWindow kForwardBusy{ID_FORWARD_BUSY, kBusyCaption};

// How a dialog or message box is closed.
enum class Close { OkButton, CancelButton, Enter, Escape, CloseBox };

void Dismiss(const VesmoProcess& vesmo, HWND dialog, Close how)
{
    switch (how) {
    case Close::OkButton: vesmo.PostClick(dialog, IDOK); break;
    case Close::CancelButton: vesmo.PostClick(dialog, IDCANCEL); break;
    case Close::Enter: vesmo.PostKey(FocusedWindow(dialog), VK_RETURN); break;
    case Close::Escape: vesmo.PostKey(FocusedWindow(dialog), VK_ESCAPE); break;
    case Close::CloseBox: ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    }
}

class DialerRun : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(vesmo.Main(), nullptr) << "the main window did not appear"; }

    HWND OpenProgramming(int row) const
    {
        vesmo.PostClick(kSpeedDialRows[row].program);
        return vesmo.WaitForWindow(kProgrammingCaption);
    }

    // Chooses the menu command; returns its window, once shown.
    HWND Open(const MenuWindow& window) const
    {
        vesmo.PostMenu(window.command);
        return vesmo.WaitForWindow(window.caption);
    }

    // Sends 'number' with the main window's Send: it is then shown and recorded.
    HeardSound SendFromMainWindow(const std::string& number)
    {
        vesmo.SetText(IDC_NUMBER, number);
        capture.Mark();
        vesmo.Click(IDC_SEND);
        return capture.WaitAndDecode(SequenceMs(number));
    }

    // What was heard since the mark, ended by a keypad "D" pressed now: the marker makes
    // the wait short even where the device has played nothing since the program started.
    HeardSound HeardUpToMarker()
    {
        vesmo.Click(IDC_KEY_D);
        return capture.WaitAndDecode(SequenceMs("D"));
    }

    // Moves the slider and applies it with Send on an empty number field, which plays nothing.
    void ApplyToneLength(int ms) const
    {
        vesmo.SetText(IDC_NUMBER, "");
        vesmo.MoveSlider(ms);
        vesmo.Click(IDC_SEND);
    }

    SeededDir dir{kStartEntries};
    VesmoProcess vesmo{dir.Path()};
    SoundCapture capture;
};

using SpeedDialRows = DialerRun;
using ServiceCommands = DialerRun;
using Forwarding = DialerRun;

TEST_F(SpeedDialRows, SparaSetsTheCaptionAndTheFileChangesOnlyWhenSaved)
{
    const std::string longName = SmallLetters(100);
    struct Programming {
        int row;
        std::string name;
        std::string typedNumber;
        std::string storedNumber;
    };
    const Programming programmed[] = {
        {2, "B\xF6rje \xC5", "08-123 45", "08-123 45"},
        {6, "Kontoret", "0a1b*c#d", "0A1B*C#D"},  // letters arrive as capitals
        {7, longName, "112", "112"},               // the name keeps its first 79 characters
    };

    std::vector<SpeedDialEntry> expected = kStartEntries;
    capture.Mark();
    for (const Programming& p : programmed) {
        SCOPED_TRACE(p.row);
        const HWND dialog = OpenProgramming(p.row);
        ASSERT_NE(dialog, nullptr);
        vesmo.Type(dialog, IDC_SPEEDDIAL_NAME, p.name);
        vesmo.Type(dialog, IDC_SPEEDDIAL_NUMBER, p.typedNumber);
        EXPECT_EQ(VesmoProcess::ItemText(dialog, IDC_SPEEDDIAL_NUMBER), p.storedNumber);
        vesmo.PostClick(dialog, IDOK);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        expected[static_cast<size_t>(p.row)] = {p.name.substr(0, 79), p.storedNumber};
    }

    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(vesmo.Text(kSpeedDialRows[k].program), expected[k].name) << "caption of entry " << k;
    const HeardSound heard = HeardUpToMarker();
    EXPECT_EQ(heard.keys, "D") << "Spara dials nothing";
    EXPECT_EQ(heard.toneMs.size(), 1u);
    EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kStartEntries)) << "written before it was asked for";

    vesmo.Menu(ID_FILE_SAVE_SPEEDDIALS);
    EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(expected));
}

TEST_F(SpeedDialRows, OpensOnTheEntryWithTheNameSelectedAndCancelKeepsIt)
{
    const auto expectShowsStoredEntry = [&](HWND dialog) {
        EXPECT_EQ(VesmoProcess::ItemText(dialog, IDC_SPEEDDIAL_NAME), "Mamma");
        EXPECT_EQ(VesmoProcess::ItemText(dialog, IDC_SPEEDDIAL_NUMBER), "123");
        const HWND name = ::GetDlgItem(dialog, IDC_SPEEDDIAL_NAME);
        EXPECT_EQ(FocusedWindow(dialog), name);
        const auto selection = static_cast<DWORD>(::SendMessageA(name, EM_GETSEL, 0, 0));
        EXPECT_EQ(LOWORD(selection), 0);
        EXPECT_EQ(HIWORD(selection), 5) << "the whole name is selected";
        EXPECT_FALSE(::IsWindowEnabled(vesmo.Main())) << "the main window takes no input meanwhile";
    };

    for (const Close how : {Close::CancelButton, Close::Escape}) {
        SCOPED_TRACE(how == Close::CancelButton ? "Avbryt" : "Escape");
        const HWND dialog = OpenProgramming(0);
        ASSERT_NE(dialog, nullptr);
        expectShowsStoredEntry(dialog);
        vesmo.Type(dialog, IDC_SPEEDDIAL_NAME, "Pappa");
        vesmo.Type(dialog, IDC_SPEEDDIAL_NUMBER, "999");
        Dismiss(vesmo, dialog, how);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        EXPECT_EQ(vesmo.Text(kSpeedDialRows[0].program), "Mamma");
        EXPECT_TRUE(::IsWindowEnabled(vesmo.Main()));
    }

    const HWND dialog = OpenProgramming(0);
    ASSERT_NE(dialog, nullptr);
    expectShowsStoredEntry(dialog);
    vesmo.PostClick(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntilClosed(dialog));
}

TEST_F(SpeedDialRows, EnterInTheNumberFieldSavesAndDialsWithoutRecording)
{
    // Something for the read-out and the history to keep.
    ASSERT_EQ(SendFromMainWindow("7").keys, "7");

    const HWND dialog = OpenProgramming(1);
    ASSERT_NE(dialog, nullptr);
    vesmo.Type(dialog, IDC_SPEEDDIAL_NAME, "Jobb");
    vesmo.Type(dialog, IDC_SPEEDDIAL_NUMBER, "5c9#");
    capture.Mark();
    vesmo.PostKey(::GetDlgItem(dialog, IDC_SPEEDDIAL_NUMBER), VK_RETURN);
    ASSERT_TRUE(WaitUntilClosed(dialog));
    EXPECT_EQ(vesmo.Text(kSpeedDialRows[1].program), "Jobb");
    EXPECT_EQ(capture.WaitAndDecode(SequenceMs("5C9#")).keys, "5C9#");
    EXPECT_EQ(vesmo.HistoryLines(), std::vector<std::string>{"7"});
    EXPECT_EQ(dir.Read(kHistoryFile), "7\r\n");
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "7");

    // The row's send button dials what was stored, and records and shows it.
    capture.Mark();
    vesmo.Click(kSpeedDialRows[1].send);
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "5C9#");
    EXPECT_EQ(capture.WaitAndDecode(SequenceMs("5C9#")).keys, "5C9#");
    EXPECT_EQ(vesmo.HistoryLines(), (std::vector<std::string>{"5C9#", "7"}));
    EXPECT_EQ(dir.Read(kHistoryFile), "7\r\n5C9#\r\n");
}

TEST_F(SpeedDialRows, RowsWithoutANameOrANumberPlayNothing)
{
    struct Case {
        const char* what;
        size_t row;
        std::vector<std::string> history;
        const char* readOut;
    };
    // The history grows across the cases, so the one that records comes last.
    const Case cases[] = {
        {"neither name nor number", 3, {}, ""},
        {"a name but no number", 5, {}, ""},
        {"a number but no name", 4, {"555"}, "555"},
    };

    EXPECT_EQ(vesmo.Text(kSpeedDialRows[4].program), "");
    EXPECT_EQ(vesmo.Text(kSpeedDialRows[5].program), "Tom");
    capture.Mark();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vesmo.SetText(IDC_DIALLING, "0701234567");
        vesmo.Click(kSpeedDialRows[c.row].send);
        EXPECT_EQ(vesmo.Text(IDC_DIALLING), c.readOut);
        EXPECT_EQ(vesmo.HistoryLines(), c.history);
    }
    const HeardSound heard = HeardUpToMarker();
    EXPECT_EQ(heard.keys, "D");
    EXPECT_EQ(heard.toneMs.size(), 1u);
    EXPECT_EQ(dir.Read(kHistoryFile), "555\r\n");
}

// Only Send, a keypad key and a history resend apply the slider; these play at the
// length last applied, not at the slider's new position.
TEST_F(SpeedDialRows, RowsAndServiceCodesPlayAtTheLengthLastApplied)
{
    ApplyToneLength(100);
    ASSERT_EQ(vesmo.Text(IDC_MS), "100");
    // Moved again without the window being told, as a drag that nothing handles.
    vesmo.MoveSlider(30);

    capture.Mark();
    vesmo.Click(kSpeedDialRows[0].send);
    HeardSound heard = capture.WaitAndDecode(SequenceMs("123", 100));
    EXPECT_EQ(heard.keys, "123");
    EXPECT_EQ(heard.toneMs.size(), 3u);
    for (int ms : heard.toneMs)
        EXPECT_NEAR(ms, 100, kToneToleranceMs);

    const HWND box = Open(kCallWaitingOn);
    ASSERT_NE(box, nullptr);
    capture.Mark();
    vesmo.PostClick(box, IDOK);
    heard = capture.WaitAndDecode(SequenceMs("*43#", 100));
    EXPECT_EQ(heard.keys, "*43#");
    EXPECT_EQ(heard.toneMs.size(), 4u);
    for (int ms : heard.toneMs)
        EXPECT_NEAR(ms, 100, kToneToleranceMs);
    EXPECT_EQ(vesmo.Text(IDC_MS), "100");
}

TEST_F(ServiceCommands, EachPromptSendsItsCodeHoweverItIsClosed)
{
    struct Service {
        MenuWindow prompt;
        const char* code;
        Close close;
    };
    const Service services[] = {
        {kCallWaitingOn, "*43#", Close::OkButton},
        {kCallWaitingOff, "#43#", Close::Enter},
        {kCallWaitingVerify, "*#43#", Close::Escape},
        {kForwardingOff, "#61#", Close::OkButton},
        {kForwardingVerify, "*#61#", Close::Escape},
    };

    // Something for the read-out and the history to keep.
    ASSERT_EQ(SendFromMainWindow("1").keys, "1");
    for (const Service& service : services) {
        SCOPED_TRACE(service.prompt.caption);
        const HWND box = Open(service.prompt);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(VesmoProcess::MessageBoxText(box), kServicePrompt);
        EXPECT_EQ(::GetWindow(box, GW_OWNER), vesmo.Main());
        capture.Mark();
        Dismiss(vesmo, box, service.close);
        ASSERT_TRUE(WaitUntilClosed(box));
        EXPECT_EQ(capture.WaitAndDecode(SequenceMs(service.code)).keys, service.code);
        EXPECT_EQ(vesmo.HistoryLines(), std::vector<std::string>{"1"});
        EXPECT_EQ(vesmo.Text(IDC_DIALLING), "1");
    }
    EXPECT_EQ(dir.Read(kHistoryFile), "1\r\n");
}

TEST_F(Forwarding, OkSendsTheCodeBuiltFromTheFieldsAsTyped)
{
    struct Case {
        MenuWindow dialog;
        const char* number;
        const char* seconds;  // nullptr: the dialog asks for no delay
        Close close;
        const char* heard;
    };
    const Case cases[] = {
        {kForwardNoAnswer, "123", "20", Close::OkButton, "*61*123*20#"},
        {kForwardNoAnswer, "", "", Close::Enter, "*61**#"},
        {kForwardBusy, "456", nullptr, Close::OkButton, "*67*456#"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.heard);
        const HWND dialog = Open(c.dialog);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(FocusedWindow(dialog), ::GetDlgItem(dialog, IDC_FORWARD_NUMBER));
        vesmo.Type(dialog, IDC_FORWARD_NUMBER, c.number);
        if (c.seconds)
            vesmo.Type(dialog, IDC_FORWARD_SECONDS, c.seconds);
        capture.Mark();
        Dismiss(vesmo, dialog, c.close);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        EXPECT_EQ(capture.WaitAndDecode(SequenceMs(c.heard)).keys, c.heard);
    }
    EXPECT_TRUE(vesmo.HistoryLines().empty());
    EXPECT_FALSE(dir.Exists(kHistoryFile));
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "");
}

TEST_F(Forwarding, OverlongFieldsAreCutWhenRead)
{
    const std::string number = Digits(130);
    const std::string expected = "*61*" + number.substr(0, 126) + "*12345678#";

    // The shortest tones keep the 140 keys quick to hear.
    ApplyToneLength(20);
    const HWND dialog = Open(kForwardNoAnswer);
    ASSERT_NE(dialog, nullptr);
    vesmo.Type(dialog, IDC_FORWARD_NUMBER, number);
    vesmo.Type(dialog, IDC_FORWARD_SECONDS, "123456789");
    capture.Mark();
    vesmo.PostClick(dialog, IDOK);
    ASSERT_TRUE(WaitUntilClosed(dialog));
    EXPECT_EQ(capture.WaitAndDecode(SequenceMs(expected, 20)).keys, expected);
}

TEST_F(Forwarding, CancelEscapeAndTheCloseBoxSendNothing)
{
    struct Case {
        const char* what;
        MenuWindow dialog;
        Close close;
    };
    const Case cases[] = {
        {"Cancel", kForwardNoAnswer, Close::CancelButton},
        {"Escape", kForwardNoAnswer, Close::Escape},
        {"close box", kForwardNoAnswer, Close::CloseBox},
        {"Cancel on busy", kForwardBusy, Close::CancelButton},
    };

    capture.Mark();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HWND dialog = Open(c.dialog);
        ASSERT_NE(dialog, nullptr);
        vesmo.Type(dialog, IDC_FORWARD_NUMBER, "123");
        Dismiss(vesmo, dialog, c.close);
        ASSERT_TRUE(WaitUntilClosed(dialog));
        EXPECT_TRUE(::IsWindowEnabled(vesmo.Main()));
    }
    const HeardSound heard = HeardUpToMarker();
    EXPECT_EQ(heard.keys, "D");
    EXPECT_EQ(heard.toneMs.size(), 1u);
}

}  // namespace
