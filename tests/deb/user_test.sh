#!/usr/bin/env bash
# The Debian package as a user meets it, run as root in a clean Debian root
# (scripts/deb-roots.sh): apt installs it; an ordinary user with a desktop's sound server (a
# PulseAudio of the user's own, found where a session puts it) starts Vesmo by the desktop
# entry's Exec line on an X display, types a number and sends it with Enter; the tones are
# heard from the server's monitor by multimon-ng, and the number lands in SentNum.VMO in the
# user's data folder. A second start shows the running window; apt's remove leaves the
# numbers, and after a reinstall Vesmo finds them.
#   tests/deb/user_test.sh DEB
set -euo pipefail
deb=$(readlink -f "$1")
user=vesmo-tester
number=0812345679
log=/tmp/vesmo-user-test
rm -rf "$log"
mkdir -m 755 "$log"
export DEBIAN_FRONTEND=noninteractive

fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs COMMAND every tenth of a second until it succeeds or SECONDS have passed; the status is
# its last run's: within SECONDS COMMAND...
within() {
  local tries
  for ((tries = 10 * $1; tries > 1; tries--)); do
    "${@:2}" && return 0
    sleep 0.1
  done
  "${@:2}"
}
# The user's processes, or those of them that run the command NAME (the root has no procps):
# user_pids [NAME]
user_pids() {
  local pid
  for pid in /proc/[0-9]*; do
    [ "$(stat -c %u "$pid" 2>/dev/null)" = "$uid" ] || continue
    [ -z "${1:-}" ] || [ "$(cat "$pid/comm" 2>/dev/null)" = "$1" ] || continue
    echo "${pid#/proc/}"
  done
}
# signal_user SIGNAL [NAME]
signal_user() {
  local pid
  for pid in $(user_pids "${2:-}"); do
    # A process may end between the look and the signal.
    kill "-$1" "$pid" 2>/dev/null || true
  done
}
stop_all() {
  signal_user TERM
  sleep 1
  signal_user KILL
  # userdel refuses a user who has a process, a killed one too until its parent has reaped it.
  within 10 no_user_process || true
}
no_user_process() { [ -z "$(user_pids)" ]; }
say() { echo "-- $*"; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# What an earlier run left: the package, the user and everything the user ran.
if dpkg-query -W -f='${Status}' vesmo 2>/dev/null | grep -q installed; then apt-get purge -y -q vesmo >/dev/null; fi
if id "$user" >/dev/null 2>&1; then
  uid=$(id -u "$user")
  stop_all
  userdel -r "$user" 2>/dev/null || true
fi
useradd --create-home --shell /bin/bash "$user"
uid=$(id -u "$user")
home=$(getent passwd "$user" | cut -d: -f6)
data=$home/.local/share/vesmo
# What a log-in session gives the user: a runtime folder of its own.
runtime=/run/user/$uid
mkdir -p "$runtime"
chown "$user:" "$runtime"
chmod 700 "$runtime"

session=(HOME="$home" USER="$user" LOGNAME="$user" SHELL=/bin/bash LANG=C.UTF-8
         PATH=/usr/local/bin:/usr/bin:/bin XDG_RUNTIME_DIR="$runtime")
as_user() { runuser -u "$user" -- env -i "${session[@]}" "$@"; }

# A run that set -e ends says which command it stopped at (fail gives its own reason).
on_exit() {
  local status=$? command=$BASH_COMMAND
  [ "$status" = 0 ] || [[ $command == exit* ]] || echo "FAIL: stopped at \"$command\" (exit $status)" >&2
  stop_all
}
trap on_exit EXIT

# The display.
mkfifo "$log/display"
chown "$user:" "$log/display"
as_user Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$log/display" >"$log/xvfb.log" 2>&1 &
display=
read -r -t 20 display <"$log/display" || { cat "$log/xvfb.log" >&2; fail "Xvfb did not start"; }
session+=(DISPLAY=":$display")
# A window manager, as every desktop has. Without one (or under twm) Wine 10 leaves a window
# mapped on the screen when the program hides it, a plain window too; under openbox it goes.
as_user openbox >"$log/openbox.log" 2>&1 &
managed() { as_user xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
within 10 managed || { cat "$log/openbox.log" >&2; fail "openbox did not start"; }
# A notification area, as the desktop's panel has, for Vesmo's icon.
as_user trayer --edge bottom --align right --widthtype request --SetDockType false >"$log/trayer.log" 2>&1 &

# The user's sound server, with a null sink as its default, whose monitor is recorded.
as_user pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --load="module-null-sink sink_name=out norewinds=1" --load=module-native-protocol-unix \
  >"$log/pulseaudio.log" 2>&1 &
within 10 test -S "$runtime/pulse/native" || { cat "$log/pulseaudio.log" >&2; fail "PulseAudio did not start"; }

install_package() {
  local t
  t=$(now)
  (cd "$(dirname "$deb")" && apt-get install -y -q "./$(basename "$deb")") >"$log/apt-install.log" 2>&1 || { cat "$log/apt-install.log" >&2; fail "apt-get install failed"; }
  say "apt-get install ./$(basename "$deb"): $(since "$t") s"
}

exec_line=
# Starts Vesmo as the menu does, in the background; its output goes to LOG.
start_from_menu() {
  exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/vesmo.desktop)
  [ -n "$exec_line" ] || fail "the desktop entry has no Exec line"
  # The entry's Exec has no field codes: its words are the command.
  # shellcheck disable=SC2086
  as_user $exec_line >"$1" 2>&1 &
  launcher_pid=$!
}

main_windows() { as_user xdotool search --onlyvisible --name '^Vesmo f' 2>/dev/null || true; }
main_window_shown() { [ -n "$(main_windows)" ]; }
no_main_window_shown() { [ -z "$(main_windows)" ]; }
only_the_main_window_shown() { [ "$(main_windows)" = "$main_window" ]; }
launcher_ended() { ! kill -0 "$launcher_pid" 2>/dev/null; }

wait_for_window() {
  local t=$1
  within 120 main_window_shown || { cat "$log"/start*.log >&2; fail "no main window within 120 s"; }
  main_window=$(main_windows | head -n 1)
  say "the main window after $(since "$t") s"
  # A moment, as a user's, for the window to take input.
  sleep 2
}

# As a user does: a click into the number field (its middle, 55, 56 pixels into the window at
# 96 DPI), then the number and Enter.
type_number() {
  as_user xdotool windowfocus --sync "$main_window"
  as_user xdotool mousemove --window "$main_window" 55 56 click 1
  as_user xdotool type --delay 60 "$number"
  as_user xdotool key Return
}

# Types the number into the window and sends it with Enter, then waits until the number is
# in the file (once) and its tones were heard: send_number CAPTURE
send_number() {
  local capture=$1 heard= t
  as_user parec --latency-msec=20 -d out.monitor --format=s16le --rate=22050 --channels=1 \
    >"$capture" 2>>"$log/parec.log" &
  # The null sink's monitor gives silence from the start: recording has begun once it grows.
  within 10 test -s "$capture" || fail "parec recorded nothing in 10 s: $(cat "$log/parec.log")"
  type_number
  t=$(now)
  for _ in $(seq 150); do
    sleep 0.2
    heard=$(multimon-ng -q -t raw -a DTMF "$capture" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n' || true)
    [ "$heard" = "$number" ] && break
  done
  signal_user TERM parec
  [ "$heard" = "$number" ] ||
    fail "typed $number, heard \"$heard\"; SentNum.VMO: $(cat -v "$data/SentNum.VMO" 2>&1)"
  say "heard $heard, $(since "$t") s after Enter"
  [ -f "$data/SentNum.VMO" ] || fail "no $data/SentNum.VMO"
  [ "$(tr -d '\r' <"$data/SentNum.VMO")" = "$number" ] ||
    fail "SentNum.VMO holds \"$(cat -v "$data/SentNum.VMO")\", not $number once"
}

close_vesmo() {
  as_user xdotool windowfocus --sync "$main_window"
  as_user xdotool key Escape
  within 20 launcher_ended || fail "Vesmo did not close on Escape"
  [ -f "$data/sfile.vmo" ] || fail "closing saved no $data/sfile.vmo"
  # Wine's server, which stays a moment after the last program, goes before apt works.
  as_user env WINEPREFIX="$data/wine" wineserver -w
}

say "$(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version 2>/dev/null)"
install_package
[ "$(as_user vesmo --version)" = "vesmo $(dpkg-query -W -f='${Version}' vesmo)" ] || fail "vesmo --version: $(as_user vesmo --version)"
as_user vesmo --help | grep -q "^usage: vesmo" || fail "vesmo --help says no usage"
! as_user vesmo --no-such-option >/dev/null 2>&1 || fail "vesmo takes an unknown option"

t=$(now)
start_from_menu "$log/start1.log"
wait_for_window "$t"
grep -q "första gången" "$log/start1.log" || fail "the first start did not say that it takes a while"
[ -f "$data/wine/.vesmo-ready" ] && [ -d "$data/wine/drive_c/windows" ] || fail "no Wine prefix in $data/wine"
! ls "$home"/.local/share/applications/wine* >/dev/null 2>&1 || fail "Wine made menu entries: $(ls "$home/.local/share/applications")"
wm_class=$(as_user xprop -id "$main_window" WM_CLASS | sed -n 's/.*= "\(.*\)", "\(.*\)"/\2/p' || true)
startup_class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/vesmo.desktop)
[ "$wm_class" = "$startup_class" ] || fail "the window's class is \"$wm_class\", the desktop entry's \"$startup_class\""
as_user xwd -root -silent >"$log/main-window.xwd"
send_number "$log/capture1.raw"

# Hidden with Dölj (Alt+D) and started again, Vesmo shows the window already open, and the
# second start ends.
as_user xdotool windowfocus --sync "$main_window"
as_user xdotool key alt+d
within 10 no_main_window_shown || fail "Dölj left the main window shown"
say "Dölj hid the main window"
t=$(now)
first_launcher=$launcher_pid
start_from_menu "$log/start2.log"
within 30 launcher_ended || fail "the second start still runs after 30 s"
say "the second start ended after $(since "$t") s"
# The window is on the screen once the window manager has mapped it, a moment after the start.
within 10 only_the_main_window_shown || fail "after a second start the main windows are: $(main_windows | tr '\n' ' ')"
launcher_pid=$first_launcher
close_vesmo

apt-get remove -y -q vesmo >"$log/apt-remove.log" 2>&1 || { cat "$log/apt-remove.log" >&2; fail "apt-get remove failed"; }
[ "$(tr -d '\r' <"$data/SentNum.VMO")" = "$number" ] || fail "apt-get remove did not leave SentNum.VMO"
[ -f "$data/sfile.vmo" ] || fail "apt-get remove did not leave sfile.vmo"
say "apt-get remove left $(ls "$data" | tr '\n' ' ')"

# Vesmo installed again reads the numbers: the number sent again is not added twice.
install_package
t=$(now)
start_from_menu "$log/start3.log"
wait_for_window "$t"
send_number "$log/capture2.raw"
close_vesmo
apt-get purge -y -q vesmo >/dev/null
# The user's Wine prefix takes some 700 MB: a run that passed leaves no user.
stop_all
userdel -r "$user" 2>/dev/null || say "the user $user could not be removed"
say "passed"
