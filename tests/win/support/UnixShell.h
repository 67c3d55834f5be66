#pragma once

// Linux commands run from a Windows test program under Wine.

#include <string>

// Runs the command line with /bin/sh and waits for it (at most a minute); its exit
// status, or -1 when it could not be run or did not finish. Wine starts Linux programs
// but gives no handle to wait on, so the command leaves its status in a file.
int RunShell(const std::string& command);

// A Windows path as the Linux side sees it (Z:\tmp\x -> /tmp/x, C:\x -> $WINEPREFIX/drive_c/x).
std::string UnixPath(const std::string& windowsPath);
