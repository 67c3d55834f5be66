// The texts the user should see in Vesmo's windows, as code page 1252 bytes. Written down
// here by hand, not taken from the program's resources, so that the tests check those.
#pragma once

// Captions of the program's windows.
inline constexpr char kMainCaption[] = "Vesmo f\xF6r 32-bit Windows";
inline constexpr char kProgrammingCaption[] = "Programmera kortnummer";
inline constexpr char kNoAnswerCaption[] = "Vidarekoppla vid ej svar";
inline constexpr char kBusyCaption[] = "Vidarekoppla vid upptaget";
inline constexpr char kAboutCaption[] = "Om Vesmo";
// A message box about the sound device is captioned with the program's name.
inline constexpr char kProgramNameCaption[] = "vesmo";

// The main window's labels.
inline constexpr char kNumberLabel[] = "Nummer att ringa upp:";
inline constexpr char kHistoryLabel[] = "Senast slagna nummer:";
inline constexpr char kSpeedLabel[] = "Hastighet:";
inline constexpr char kSpeedDialLabel[] = "Kortnummer:";

// The notification icon's tip.
inline constexpr char kTrayTip[] = "Tryck h\xF6ger musknapp";

// The item the program adds to the main window's system menu.
inline constexpr char kAboutMenuItem[] = "&Om Vesmo...";

// The About box.
inline constexpr char kAboutVersion[] = "Vesmo Version 1.0 Beta";
inline constexpr char kAboutNotice[] = "\xA9 2026 Vesmo-teamet";
inline constexpr char kAboutSystemInfo[] = "SystemInformation";
inline constexpr char kAboutFreeMemoryLabel[] = "Ledigt minne:";
inline constexpr char kAboutCallMe[] = "Ring Mig";

// The operator's services: each prompt's caption, and the text they all show.
inline constexpr char kCallWaitingOnCaption[] = "Aktivera 'Samtal V\xE4ntar'";
inline constexpr char kCallWaitingOffCaption[] = "Avaktivera 'Samtal V\xE4ntar'";
inline constexpr char kCallWaitingVerifyCaption[] = "Verifiera 'Samtal V\xE4ntar'";
inline constexpr char kForwardingOffCaption[] = "Avaktivera 'Vidarekoppla ej'";
inline constexpr char kForwardingVerifyCaption[] = "Verifiera 'Vidarekoppla ej'";
inline constexpr char kServicePrompt[] = "H\xE5ll luren mot datorh\xF6gtalaren.\n\nTryck OK d\xE5 ni vill s\xE4nda";

// The questions before clearing.
inline constexpr char kClearHistoryCaption[] = "Rensa senast slagna nummer";
inline constexpr char kClearHistoryText[] = "Alla nummer du har slagit f\xF6rsvinner. \n\nVill du rensa alla nummer?";
inline constexpr char kClearSpeedDialsCaption[] = "Ta bort alla kortnummer";
inline constexpr char kClearSpeedDialsText[] =
    "Alla kortnummer kommer att f\xF6rsvinna.\n\n Vill du verkligen radera alla?";
