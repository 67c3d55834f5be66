# Sourced by the test scripts: a Wine prefix of the project's own, a virtual display,
# a persistent wineserver, and a sound device whose output lands in a file.
#   VESMO_CAPTURE        raw S16_LE mono 22050 Hz: what each stream played on wave device 0,
#                        a file per stream (the name, then NAME.0001, NAME.0002, ...)
#   VESMO_NOSOUND_HOME   a HOME in which Wine finds no sound device at all
# Wine finds no PulseAudio server here (not the user's own, not a system-wide one) unless
# pulse_start or pipewire_start has started a private one, each with a sink named out whose
# monitor is recorded (scripts/wine-exec uses them for VESMO_SOUND=pulse and =pipewire):
#   VESMO_PULSE_CAPTURE     the same format: everything PulseAudio's sink played
#   VESMO_PIPEWIRE_CAPTURE  the same again through PipeWire and its PulseAudio service
# VESMO_WINE_DIR chooses where all of it lives (default build/wine), so that several
# people can run Windows tests on one machine without sharing a sound capture.
# wine_env_stop ends everything this started; an EXIT trap calls it, set before anything
# starts, so that a failure part-way leaves nothing running. A caller that sets an EXIT trap
# of its own calls wine_env_stop in it.

VESMO_ROOT=${VESMO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
wine_dir=${VESMO_WINE_DIR:-$VESMO_ROOT/build/wine}

# Waits for a server's socket; a server that does not make it is named, with its log.
wait_for_socket() {
  local socket=$1 name=$2 log=$3
  for _ in $(seq 100); do [ -S "$socket" ] && return 0; sleep 0.1; done
  echo "wine-env: $name did not start:" >&2
  cat "$log" >&2
  return 1
}

# Records the sink out's monitor into a file: record_sink HOME SERVER FILE (HOME holds the
# server's cookie). parec needs a short latency: otherwise it holds back the end of the sound.
record_sink() {
  HOME=$1 PULSE_SERVER=$2 parec --latency-msec=20 -d out.monitor \
    --format=s16le --rate=22050 --channels=1 >"$3" 2>"$(dirname "$3")/parec.log" &
}

# Starts a sound server as a desktop lets it run: allowed to raise its own sound threads to
# real-time priority (a desktop's RealtimeKit, or the audio group's limits, grants that), so
# that a busy machine delays the program feeding the server, not the server itself. Where the
# limits cannot be raised the server runs as it can.
as_desktop_server() {
  ulimit -r 95 -e 40 2>/dev/null || true
  exec "$@"
}

# A private PulseAudio server with one null sink, and a recording of the sink's monitor.
pulse_start() {
  pulse_stop
  local dir=$wine_dir/pulse
  rm -rf "$dir"
  mkdir -p "$dir/runtime" "$dir/home"
  chmod 700 "$dir/runtime"
  export VESMO_PULSE_HOME=$dir/home VESMO_PULSE_CAPTURE=$dir/capture.raw
  export VESMO_PULSE_SERVER=unix:$dir/runtime/pulse/native
  (as_desktop_server env HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" PULSE_SERVER= pulseaudio -n --daemonize=no \
    --exit-idle-time=-1 --use-pid-file=no --load="module-null-sink sink_name=out norewinds=1" \
    --load="module-native-protocol-unix") >"$dir/pulseaudio.log" 2>&1 &
  pulse_pid=$!
  wait_for_socket "$dir/runtime/pulse/native" "the PulseAudio server" "$dir/pulseaudio.log" || return 1
  record_sink "$dir/home" "$VESMO_PULSE_SERVER" "$VESMO_PULSE_CAPTURE"
  parec_pid=$!
}

pulse_stop() {
  [ -n "${parec_pid:-}" ] && kill "$parec_pid" 2>/dev/null || true
  [ -n "${pulse_pid:-}" ] && kill "$pulse_pid" 2>/dev/null || true
  [ -n "${pulse_pid:-}" ] && wait "$pulse_pid" 2>/dev/null || true
  parec_pid= pulse_pid=
}

# A private PipeWire, as a Linux desktop runs it: a session bus of its own, PipeWire, its
# session manager and its PulseAudio service, all in a runtime folder of their own (none of
# the user's servers, none of systemd's). A null sink made through the PulseAudio service,
# the default, and a recording of its monitor.
pipewire_start() {
  pipewire_stop
  local dir=$wine_dir/pipewire
  rm -rf "$dir"
  mkdir -p "$dir/runtime" "$dir/home/.config/wireplumber/main.lua.d" \
    "$dir/home/.config/wireplumber/bluetooth.lua.d"
  chmod 700 "$dir/runtime"
  export VESMO_PIPEWIRE_HOME=$dir/home VESMO_PIPEWIRE_CAPTURE=$dir/capture.raw
  export VESMO_PIPEWIRE_SERVER=unix:$dir/runtime/pulse/native
  # The session manager leaves the machine's sound cards, cameras and Bluetooth alone: on a
  # desktop they are the user's own session's.
  printf 'alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n' \
    >"$dir/home/.config/wireplumber/main.lua.d/51-no-devices.lua"
  printf 'bluez_monitor.enabled = false\n' >"$dir/home/.config/wireplumber/bluetooth.lua.d/51-no-devices.lua"
  # What the servers and their clients find: this folder, never the user's session, its
  # settings or its saved state.
  local session=(env -u PIPEWIRE_RUNTIME_DIR -u PIPEWIRE_REMOTE -u PIPEWIRE_CONFIG_DIR -u PULSE_RUNTIME_PATH
                 -u PULSE_SERVER -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME
                 HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime"
                 DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/runtime/bus")
  if ! "${session[@]}" dbus-daemon --session --fork --print-pid --address="unix:path=$dir/runtime/bus" \
       >"$dir/dbus.pid" 2>"$dir/dbus.log"; then
    echo "wine-env: the session bus did not start:" >&2
    cat "$dir/dbus.log" >&2
    return 1
  fi
  pipewire_bus_pid=$(head -n 1 "$dir/dbus.pid")
  (as_desktop_server "${session[@]}" pipewire) >"$dir/pipewire.log" 2>&1 &
  pipewire_pid=$!
  wait_for_socket "$dir/runtime/pipewire-0" PipeWire "$dir/pipewire.log" || return 1
  "${session[@]}" wireplumber >"$dir/wireplumber.log" 2>&1 &
  wireplumber_pid=$!
  (as_desktop_server "${session[@]}" pipewire-pulse) >"$dir/pipewire-pulse.log" 2>&1 &
  pipewire_pulse_pid=$!
  wait_for_socket "$dir/runtime/pulse/native" "PipeWire's PulseAudio service" "$dir/pipewire-pulse.log" || return 1
  local pactl=("${session[@]}" PULSE_SERVER="$VESMO_PIPEWIRE_SERVER" pactl)
  "${pactl[@]}" load-module module-null-sink sink_name=out >/dev/null
  # The default sink is kept by the session manager, which may not be ready yet.
  for _ in $(seq 100); do
    "${pactl[@]}" set-default-sink out && "${pactl[@]}" info | grep -qx 'Default Sink: out' && break
    sleep 0.1
  done
  if ! "${pactl[@]}" info | grep -qx 'Default Sink: out'; then
    echo "wine-env: PipeWire's sink out did not become the default:" >&2
    cat "$dir/wireplumber.log" >&2
    return 1
  fi
  record_sink "$dir/home" "$VESMO_PIPEWIRE_SERVER" "$VESMO_PIPEWIRE_CAPTURE"
  pipewire_parec_pid=$!
}

pipewire_stop() {
  local pid
  for pid in ${pipewire_parec_pid:-} ${pipewire_pulse_pid:-} ${wireplumber_pid:-} ${pipewire_pid:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  # The session bus forked away from this shell: it is no child to wait for.
  [ -n "${pipewire_bus_pid:-}" ] && kill "$pipewire_bus_pid" 2>/dev/null || true
  pipewire_parec_pid= pipewire_pulse_pid= wireplumber_pid= pipewire_pid= pipewire_bus_pid=
}

wine_env_stop() {
  pipewire_stop
  pulse_stop
  if [ -d "$wine_dir/prefix" ]; then
    WINEPREFIX=$wine_dir/prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$wine_dir/prefix wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

trap wine_env_stop EXIT

mkdir -p "$wine_dir/home" "$wine_dir/home-nosound"

export WINEPREFIX=$wine_dir/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export VESMO_CAPTURE=$wine_dir/capture.raw
export VESMO_NOSOUND_HOME=$wine_dir/home-nosound
export HOME=$wine_dir/home
# A server address where there is none, and no starting of one on demand.
printf 'autospawn = no\n' >"$wine_dir/pulse-client.conf"
export PULSE_CLIENTCONFIG=$wine_dir/pulse-client.conf
export PULSE_SERVER=unix:$wine_dir/no-pulse-server

cat > "$HOME/.asoundrc" <<ASOUND
pcm.!default {
  type plug
  slave {
    pcm { type file slave.pcm "null" format "raw" truncate false file "$VESMO_CAPTURE" }
    format S16_LE
    rate 22050
    channels 1
  }
}
ASOUND

# Xvfb takes a free display itself and names it on a pipe once it accepts connections;
# an Xvfb that ends without naming one closes the pipe, and the read returns at once.
if [ -z "${VESMO_KEEP_DISPLAY:-}" ]; then
  rm -f "$wine_dir/xvfb-display"
  mkfifo "$wine_dir/xvfb-display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$wine_dir/xvfb-display" \
    >"$wine_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  display_number=
  read -r -t 20 display_number <"$wine_dir/xvfb-display" || true
  rm -f "$wine_dir/xvfb-display"
  if [ -z "$display_number" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "wine-env: Xvfb did not start:" >&2
    cat "$wine_dir/xvfb.log" >&2
    return 1
  fi
  export DISPLAY=":$display_number"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
fi
"$VESMO_ROOT/scripts/wine-fonts" "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/vesmo-desktop-with-taskbar" ]; then
  # One virtual desktop for every program: window frames, a taskbar and a notification area.
  # Wine 8 gives a virtual desktop its taskbar; Wine 10 only where the desktop's EnableShell
  # says so, and shows the icons in a little window of their own otherwise.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops\Default' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1 || true
  touch "$WINEPREFIX/vesmo-desktop-with-taskbar"
  # The desktop started by wineboot does not have these settings yet: start afresh.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi
wineserver -p >/dev/null 2>&1 || true
# A screen of 96 DPI, whatever a run cut short left (scripts/wine-exec's VESMO_DPI).
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1 </dev/null || true
# Start Wine's services and the desktop now, detached from any test's output: a service
# that inherited a test's stdout would keep CTest waiting for its end.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
