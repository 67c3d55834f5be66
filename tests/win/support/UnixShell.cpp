#include "UnixShell.h"

#include <windows.h>

#include <fstream>

namespace {

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int RunShell(const std::string& command)
{
    static int counter = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string status = std::string(temp) + "vesmo-shell-" + std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(++counter);
    const std::string unixStatus = UnixPath(status);
    std::string commandLine = "/bin/sh -c \"" + command + "; echo $? > '" + unixStatus + ".part'; mv '" +
                              unixStatus + ".part' '" + unixStatus + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // For a Linux program Wine gives no process handle and leaves the rest of the record
    // undefined: closing what stands there could close one of this program's own handles.
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return -1;

    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    while (!Exists(status)) {
        if (::GetTickCount64() > deadline)
            return -1;
        ::Sleep(20);
    }
    int code = -1;
    std::ifstream(status) >> code;
    ::DeleteFileA(status.c_str());
    return code;
}

std::string UnixPath(const std::string& windowsPath)
{
    char full[MAX_PATH];
    ::GetFullPathNameA(windowsPath.c_str(), MAX_PATH, full, nullptr);
    std::string path = full;
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') {
        path.erase(0, 2);
    } else if (path.size() >= 2 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':') {
        char prefix[MAX_PATH] = {};
        ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
        path = std::string(prefix) + "/drive_c" + path.substr(2);
    }
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}
