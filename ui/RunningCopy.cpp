#include "RunningCopy.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// How often a later start looks again for the running copy's window and its end.
constexpr DWORD kPollMs = 50;
// How long the running copy may take to answer before this start asks again.
constexpr UINT kAnswerTimeoutMs = 5000;

// Room for any path Windows gives.
constexpr DWORD kMaxPath = 32768;

// 'call' fills a buffer of kMaxPath characters and returns the length it wrote.
template <class Call>
std::wstring PathFrom(Call call)
{
    std::wstring path(kMaxPath, L'\0');
    path.resize(std::min<DWORD>(call(path.data()), kMaxPath));
    return path;
}

// The current folder in one spelling for every way of writing it: a full path, with long
// names where 8.3 names were given, in capitals.
std::wstring FolderKey()
{
    const std::wstring current = PathFrom([](wchar_t* out) { return ::GetCurrentDirectoryW(kMaxPath, out); });
    const std::wstring full =
        PathFrom([&](wchar_t* out) { return ::GetFullPathNameW(current.c_str(), kMaxPath, out, nullptr); });
    std::wstring path = PathFrom([&](wchar_t* out) { return ::GetLongPathNameW(full.c_str(), out, kMaxPath); });
    if (path.empty())
        path = full;
    std::wstring capitals(path.size(), L'\0');
    ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, path.c_str(), static_cast<int>(path.size()),
                   capitals.data(), static_cast<int>(capitals.size()));
    return capitals;
}

// The name of the folder's mutex; its mapping's name adds "-window". A kernel object's name
// cannot hold the path itself (no backslash, at most MAX_PATH characters), so it holds the
// path's 64-bit FNV-1a hash. "Local\" is the user's log-on session.
std::string ObjectName()
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const wchar_t c : FolderKey()) {
        for (const unsigned byte : {c & 0xFFu, (c >> 8) & 0xFFu}) {
            hash ^= byte;
            hash *= 1099511628211ULL;
        }
    }
    char name[40];
    std::snprintf(name, sizeof name, "Local\\Vesmo-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

// The published window handle. A window handle has 32 significant bits in 32- and 64-bit
// programs alike, so the two builds can find each other through a LONG. Other processes
// read and write it at any time: an atomic, lock-free on every Windows machine.
std::atomic_ref<LONG> PublishedHandle(void* view)
{
    static_assert(std::atomic_ref<LONG>::is_always_lock_free);
    return std::atomic_ref<LONG>(*static_cast<LONG*>(view));
}

}  // namespace

bool CRunningCopy::ClaimFolder()
{
    const std::string name = ObjectName();
    // Every start opens the mapping, creating it if it is the first, before it looks at the
    // mutex: a start that finds the mutex taken has the mapping too.
    m_hMapping.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                          (name + "-window").c_str()));
    if (m_hMapping)
        m_pPublished.reset(::MapViewOfFile(m_hMapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(LONG)));

    const HANDLE mutex = ::CreateMutexA(nullptr, TRUE, name.c_str());
    const bool taken = ::GetLastError() == ERROR_ALREADY_EXISTS;
    m_hMutex.reset(mutex);
    // Without a mutex (its name held by an object of another kind) the program runs as it
    // would without this check.
    if (!m_hMutex || !taken)
        return true;

    // Another copy runs here: this start ends once that copy has shown itself, or runs
    // when it has ended (its mutex then comes to this process, abandoned if it crashed).
    for (;;) {
        if (AskPublishedWindowToShow() == kShownReply)
            return false;
        // A wait that fails runs the program as it would without the check.
        if (::WaitForSingleObject(m_hMutex.get(), kPollMs) != WAIT_TIMEOUT)
            return true;
    }
}

void CRunningCopy::PublishMainWindow(HWND window) const
{
    if (m_pPublished)
        PublishedHandle(m_pPublished.get()).store(HandleToLong(window), std::memory_order_release);
}

HWND CRunningCopy::PublishedWindow() const
{
    return m_pPublished
               ? static_cast<HWND>(LongToHandle(PublishedHandle(m_pPublished.get()).load(std::memory_order_acquire)))
               : nullptr;
}

LRESULT CRunningCopy::AskPublishedWindowToShow() const
{
    const HWND window = PublishedWindow();
    if (!window || m_nShowRequestMessage == 0)
        return 0;
    // The running copy may take the foreground, which this process has as the one the user
    // has just started.
    DWORD processId = 0;
    if (!::GetWindowThreadProcessId(window, &processId))
        return 0;
    ::AllowSetForegroundWindow(processId);
    DWORD_PTR reply = 0;
    if (!::SendMessageTimeoutA(window, m_nShowRequestMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &reply))
        return 0;
    return static_cast<LRESULT>(reply);
}
