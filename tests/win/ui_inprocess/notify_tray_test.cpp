// The record the notification icon hands the shell, read byte by byte as the shell of each
// platform reads it: the first version of NOTIFYICONDATAA, 88 bytes on 32-bit Windows.
#include "NotifyTray.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Where the shell finds each field of the record.
struct RecordLayout {
    std::size_t size, window, id, flags, callbackMessage, icon, tip;
};
#ifdef _WIN64
constexpr RecordLayout kLayout{104, 8, 16, 20, 24, 32, 40};
#else
constexpr RecordLayout kLayout{88, 4, 8, 12, 16, 20, 24};
#endif
// The first version's tip: 63 characters and the terminator.
constexpr std::size_t kTipBytes = 64;

// While it lives, this program's calls of an imported function go to a replacement: the
// function's slot in the program's import table points there instead.
class ImportReplacement {
public:
    ImportReplacement(const char* dll, const char* function, void* replacement)
    {
        auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             module->Name; ++module) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), dll) != 0)
                continue;
            auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; name->u1.AddressOfData; ++name, ++slot) {
                if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                    std::strcmp(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name,
                                function) == 0)
                    m_slot = reinterpret_cast<void**>(&slot->u1.Function);
            }
        }
        if (m_slot) {
            m_original = *m_slot;
            Write(replacement);
        }
    }
    ~ImportReplacement()
    {
        if (m_slot)
            Write(m_original);
    }
    ImportReplacement(const ImportReplacement&) = delete;
    ImportReplacement& operator=(const ImportReplacement&) = delete;

    bool Replaced() const { return m_slot != nullptr; }
    void* Original() const { return m_original; }

private:
    void Write(void* value)
    {
        DWORD protection = 0;
        ::VirtualProtect(m_slot, sizeof value, PAGE_READWRITE, &protection);
        *m_slot = value;
        ::VirtualProtect(m_slot, sizeof value, protection, &protection);
    }

    void** m_slot = nullptr;
    void* m_original = nullptr;
};

// What the shell was given: the message and the bytes the record's size lets it read.
struct ShellCall {
    DWORD message;
    std::vector<BYTE> record;
};

std::vector<ShellCall> g_shellCalls;
decltype(&::Shell_NotifyIconA) g_shell = nullptr;

BOOL WINAPI RecordingShell(DWORD message, PNOTIFYICONDATAA data)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(data);
    g_shellCalls.push_back({message, {bytes, bytes + std::min<std::size_t>(data->cbSize, sizeof *data)}});
    return g_shell(message, data);
}

template <class T>
T FieldAt(const std::vector<BYTE>& record, std::size_t offset)
{
    T value{};
    if (offset + sizeof value <= record.size())
        std::memcpy(&value, record.data() + offset, sizeof value);
    return value;
}

std::string TipIn(const std::vector<BYTE>& record)
{
    if (record.size() < kLayout.tip + kTipBytes)
        return "(no tip field)";
    return std::string(reinterpret_cast<const char*>(record.data() + kLayout.tip), kTipBytes);
}

class NotifyTrayRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shell.Replaced()) << "Shell_NotifyIconA is not in the program's import table";
        g_shell = reinterpret_cast<decltype(g_shell)>(shell.Original());
        g_shellCalls.clear();
        ASSERT_NE(window, nullptr);
        ASSERT_NE(icon, nullptr);
    }

    ImportReplacement shell{"shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(&RecordingShell)};
    const std::unique_ptr<HWND__, decltype([](HWND w) { ::DestroyWindow(w); })> window{::CreateWindowExA(
        0, "Static", "tray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)};
    const HICON icon = ::LoadIconA(nullptr, IDI_APPLICATION);
};

TEST_F(NotifyTrayRecord, TheShellGetsTheFirstVersionsRecordWithTheTipCutTo63Characters)
{
    const std::string longTip(80, 'x');
    EXPECT_TRUE(NotifyTray(window.get(), NIM_ADD, 7, icon, longTip.c_str()));
    EXPECT_TRUE(NotifyTray(window.get(), NIM_DELETE, 7, nullptr, nullptr));

    ASSERT_EQ(g_shellCalls.size(), 2u);
    for (const ShellCall& call : g_shellCalls) {
        const bool adding = call.message == NIM_ADD;
        SCOPED_TRACE(adding ? "NIM_ADD" : "NIM_DELETE");
        const std::vector<BYTE>& record = call.record;
        ASSERT_EQ(FieldAt<DWORD>(record, 0), kLayout.size);
        EXPECT_EQ(record.size(), kLayout.size);
        EXPECT_EQ(FieldAt<HWND>(record, kLayout.window), window.get());
        EXPECT_EQ(FieldAt<UINT>(record, kLayout.id), 7u);
        EXPECT_EQ(FieldAt<UINT>(record, kLayout.flags), static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(FieldAt<UINT>(record, kLayout.callbackMessage), static_cast<UINT>(WM_TRAYNOTIFY));
        EXPECT_EQ(FieldAt<HICON>(record, kLayout.icon), adding ? icon : nullptr);
        const std::string tip = adding ? longTip.substr(0, kTipBytes - 1) : "";
        EXPECT_EQ(TipIn(record), tip + std::string(kTipBytes - tip.size(), '\0'));
    }
    EXPECT_EQ(g_shellCalls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(g_shellCalls[1].message, static_cast<DWORD>(NIM_DELETE));
}

}  // namespace
