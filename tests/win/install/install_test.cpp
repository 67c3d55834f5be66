// What a user meets after running the installer or unpacking a zip: the files in place,
// the shortcut and the installed-programs entry as Windows reads them, and Vesmo started
// the way the shortcut starts it, keeping its numbers in the data folder. The scripts
// beside this file run the installer, the uninstaller and the unpacking around these.
//   VESMO_INSTALL_DIR   where the installer was told to install (default: its own choice)
//   VESMO_PORTABLE_DIR  the unpacked Vesmo folder of a zip
#include "VesmoDriver.h"
#include "VesmoTexts.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace vesmo_test;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vesmo";
constexpr char kUninstaller[] = "avinstallera.exe";

std::string KnownFolder(int csidl)
{
    char path[MAX_PATH] = {};
    return ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : "";
}

std::string InstallDir()
{
    const char* chosen = std::getenv("VESMO_INSTALL_DIR");
    return chosen ? chosen : KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Vesmo";
}
std::string DataDir() { return KnownFolder(CSIDL_APPDATA) + "\\Vesmo"; }
std::string StartMenuShortcut() { return KnownFolder(CSIDL_PROGRAMS) + "\\Vesmo.lnk"; }
std::string DesktopShortcut() { return KnownFolder(CSIDL_DESKTOPDIRECTORY) + "\\Vesmo.lnk"; }

DWORD Attributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }
bool IsFile(const std::string& path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES && !(Attributes(path) & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsDirectory(const std::string& path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES && (Attributes(path) & FILE_ATTRIBUTE_DIRECTORY);
}
bool SamePath(const std::string& a, const std::string& b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size())) - 1));
    return wide;
}

// The names in a folder, sorted; wide, as the non-ASCII name LÄSMIG.txt needs.
std::vector<std::wstring> NamesIn(const std::string& dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((Wide(dir) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

ULONGLONG TotalFileBytes(const std::string& dir)
{
    ULONGLONG total = 0;
    for (const std::wstring& name : NamesIn(dir)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (::GetFileAttributesExW((Wide(dir) + L"\\" + name).c_str(), GetFileExInfoStandard, &data))
            total += (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    }
    return total;
}

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComRelease>;

struct ComApartment {
    ComApartment() { ::CoInitialize(nullptr); }
    ~ComApartment() { ::CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

struct Shortcut {
    std::string target;
    std::string workingDir;
};

// The .lnk file read back by the shell's own reader, as Explorer and the Start menu read it.
std::optional<Shortcut> ReadShortcut(const std::string& path)
{
    const ComApartment com;
    IShellLinkA* rawLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&rawLink))))
        return std::nullopt;
    const ComPtr<IShellLinkA> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile))))
        return std::nullopt;
    const ComPtr<IPersistFile> file(rawFile);
    if (FAILED(file->Load(Wide(path).c_str(), STGM_READ)))
        return std::nullopt;
    char target[MAX_PATH] = {};
    char workingDir[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) ||
        FAILED(link->GetWorkingDirectory(workingDir, MAX_PATH)))
        return std::nullopt;
    return Shortcut{target, workingDir};
}

std::optional<std::string> UninstallText(const char* name)
{
    char value[1024] = {};
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

std::optional<DWORD> UninstallNumber(const char* name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// Vesmo started from 'program' in 'workDir': the first speed-dial row programmed through
// its dialog, then the program ended with Avsluta, which saves the speed dials.
void ProgramFirstRowAndExit(const std::string& program, const std::string& workDir)
{
    VesmoProcess vesmo(ProgramFile{program}, workDir);
    ASSERT_NE(vesmo.Main(), nullptr) << program << " showed no main window";
    vesmo.PostClick(IDC_SPEEDDIAL_1);
    const HWND dialog = vesmo.WaitForWindow(kProgrammingCaption);
    ASSERT_NE(dialog, nullptr);
    vesmo.Type(dialog, IDC_SPEEDDIAL_NAME, "Mamma");
    vesmo.Type(dialog, IDC_SPEEDDIAL_NUMBER, "0701234567");
    vesmo.PostClick(dialog, IDOK);
    ASSERT_TRUE(WaitUntilClosed(dialog));
    vesmo.PostClick(IDCANCEL);
    ASSERT_TRUE(vesmo.WaitForExit());
}

std::string ExpectedSpeedDials() { return SpeedDialFile({{"Mamma", "0701234567"}}); }

TEST(Installed, ProgramFilesAreInTheInstallFolder)
{
    const std::vector<std::wstring> expected = {L"L\u00C4SMIG.txt", L"avinstallera.exe", L"vesmo-tones.exe",
                                                L"vesmo.exe"};
    EXPECT_EQ(NamesIn(InstallDir()), expected) << "in " << InstallDir();
}

TEST(Installed, StartMenuShortcutStartsVesmoInTheDataFolder)
{
    const std::optional<Shortcut> shortcut = ReadShortcut(StartMenuShortcut());
    ASSERT_TRUE(shortcut) << "no readable shortcut " << StartMenuShortcut();
    EXPECT_TRUE(SamePath(shortcut->target, InstallDir() + "\\vesmo.exe")) << shortcut->target;
    EXPECT_TRUE(SamePath(shortcut->workingDir, DataDir())) << shortcut->workingDir;
    EXPECT_TRUE(IsDirectory(DataDir())) << "the installer made no data folder " << DataDir();
    EXPECT_FALSE(IsFile(DesktopShortcut())) << "a silent install makes no desktop shortcut";
}

TEST(Installed, InstalledProgramsEntryDescribesTheInstallation)
{
    const std::string uninstaller = "\"" + InstallDir() + "\\" + kUninstaller + "\"";
    const struct {
        const char* name;
        std::string value;
    } texts[] = {
        {"DisplayName", "Vesmo"},
        {"DisplayVersion", VESMO_VERSION},
        {"Publisher", "Vesmo-teamet"},
        {"DisplayIcon", InstallDir() + "\\vesmo.exe,0"},
        {"UninstallString", uninstaller},
        {"QuietUninstallString", uninstaller + " /S"},
    };
    for (const auto& text : texts) {
        const std::optional<std::string> value = UninstallText(text.name);
        ASSERT_TRUE(value) << text.name << " is missing";
        EXPECT_TRUE(SamePath(*value, text.value)) << text.name << " is " << *value;
    }
    EXPECT_EQ(UninstallNumber("NoModify"), 1u);
    EXPECT_EQ(UninstallNumber("NoRepair"), 1u);
    // In KB, as the installed-programs list shows it; rounding may take off up to 1 KB.
    const ULONGLONG kilobytes = TotalFileBytes(InstallDir()) / 1024;
    const std::optional<DWORD> estimated = UninstallNumber("EstimatedSize");
    ASSERT_TRUE(estimated) << "EstimatedSize is missing";
    EXPECT_GE(*estimated + 1, kilobytes);
    EXPECT_LE(*estimated, kilobytes + 1);
    EXPECT_TRUE(IsFile(InstallDir() + "\\" + kUninstaller));
}

TEST(Shortcut, VesmoStartedAsTheShortcutStartsItKeepsItsNumbersInTheDataFolder)
{
    const std::optional<Shortcut> shortcut = ReadShortcut(StartMenuShortcut());
    ASSERT_TRUE(shortcut);
    ProgramFirstRowAndExit(shortcut->target, shortcut->workingDir);
    EXPECT_EQ(ReadBytes(DataDir() + "\\" + kSpeedDialFile), ExpectedSpeedDials());
    EXPECT_FALSE(IsFile(InstallDir() + "\\" + kSpeedDialFile)) << "numbers written beside the program";
}

TEST(Uninstalled, ProgramShortcutsAndEntryAreGoneAndTheNumbersStay)
{
    EXPECT_FALSE(IsDirectory(InstallDir())) << InstallDir() << " is left";
    EXPECT_FALSE(IsFile(StartMenuShortcut()));
    EXPECT_FALSE(IsFile(DesktopShortcut()));
    HKEY key = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the installed-programs entry is left";
    if (key)
        ::RegCloseKey(key);
    EXPECT_EQ(ReadBytes(DataDir() + "\\" + kSpeedDialFile), ExpectedSpeedDials());
}

TEST(Portable, VesmoStartedInItsUnpackedFolderKeepsItsNumbersBesideIt)
{
    const char* folder = std::getenv("VESMO_PORTABLE_DIR");
    ASSERT_NE(folder, nullptr) << "VESMO_PORTABLE_DIR names no unpacked folder";
    ProgramFirstRowAndExit(std::string(folder) + "\\vesmo.exe", folder);
    EXPECT_EQ(ReadBytes(std::string(folder) + "\\" + kSpeedDialFile), ExpectedSpeedDials());
}

}  // namespace
