#!/bin/bash
# An installer as a user meets it, in a fresh Wine prefix: a silent install, Vesmo started
# from its Start-menu shortcut, an upgrade over it, a silent uninstall, and an install into
# a folder chosen with /D=. Silent NSIS exits 0 whatever happened, so each step is judged by
# what it left behind. ARCH (x64 or x86) is the test program's architecture.
#   installer.sh RELEASE_DIR vesmo_install_tests.exe ARCH
set -u
release=$1
test_exe=$2
arch=$3
[ -n "${DISPLAY:-}" ] || { echo "installer.sh: run it through scripts/test.sh (it prepares a display)" >&2; exit 2; }
setup=$(ls "$release"/vesmo-*-setup-"$arch".exe 2>/dev/null | head -n 1)
[ -f "$setup" ] || { echo "FAIL: no installer in $release (scripts/release.sh writes it)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vesmo-install.XXXXXX")
export WINEPREFIX=$work/prefix
trap 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }
# Runs a Windows program and waits for everything it started: the uninstaller returns at
# once and goes on in a copy of itself.
run_and_wait() { wine "$@" </dev/null >/dev/null 2>&1; wineserver -w; }
check() { wine "$test_exe" --gtest_brief=1 "--gtest_filter=$1" </dev/null || fail "$1 in $2"; }
# The Unix folder that a Windows environment variable (APPDATA, ...) names. A Wine program
# that failed to start prints an error text instead: that is no folder, and the test stops.
unix_folder() {
  local windows unix
  windows=$(wine cmd /c echo "%$1%" </dev/null) || { echo "FAIL: wine cmd ended with $? asking for %$1%" >&2; return 1; }
  windows=${windows%$'\r'}
  unix=$(winepath -u "$windows" 2>/dev/null) && [ -d "$unix" ] ||
    { echo "FAIL: %$1% is \"$windows\", which is no folder here" >&2; return 1; }
  printf '%s\n' "$unix"
}

wineboot -i >/dev/null 2>&1
appdata=$(unix_folder APPDATA) || exit 1
localappdata=$(unix_folder LOCALAPPDATA) || exit 1
data=$appdata/Vesmo
programs=$localappdata/Programs/Vesmo

run_and_wait "$setup" /S
check 'Installed.*:Shortcut.*' "the first install"

# The data folder as the user has it by now: Vesmo's two files and one of the user's own.
printf '0701234567\r\n' >"$data/SentNum.VMO"
printf 'mina anteckningar\n' >"$data/anteckningar.txt"
cp -a "$data" "$work/data-before"

run_and_wait "$setup" /S
diff -r "$work/data-before" "$data" >&2 || fail "installing again changed the data folder"
check 'Installed.*' "the upgrade"

run_and_wait "$programs/avinstallera.exe" /S
check 'Uninstalled.*' "the uninstall"
diff -r "$work/data-before" "$data" >&2 || fail "uninstalling changed the data folder"

# /D= is the last switch and takes a path with spaces as it stands, unquoted: given as two
# arguments, Wine joins them into the command line with one space and no quotes.
chosen='C:\Program Vesmo'
run_and_wait "$setup" /S '/D=C:\Program' Vesmo
VESMO_INSTALL_DIR=$chosen check 'Installed.*' "an install with /D="
run_and_wait "$WINEPREFIX/drive_c/Program Vesmo/avinstallera.exe" /S
VESMO_INSTALL_DIR=$chosen check 'Uninstalled.*' "the uninstall of the /D= install"
exit $status
