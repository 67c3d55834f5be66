# Sourced by the test scripts: a Wine prefix of the project's own, a virtual display,
# a persistent wineserver, and a sound device whose output lands in a file.
#   VESMO_CAPTURE        raw S16_LE mono 22050 Hz: what each stream played on wave device 0,
#                        a file per stream (the name, then NAME.0001, NAME.0002, ...)
#   VESMO_NOSOUND_HOME   a HOME in which Wine finds no sound device at all
# Wine finds no PulseAudio server here (not the user's own, not a system-wide one) unless
# pulse_start has started a private one (scripts/wine-exec uses it for VESMO_SOUND=pulse):
#   VESMO_PULSE_CAPTURE  the same format: everything that server's sink played
# VESMO_WINE_DIR chooses where all of it lives (default build/wine), so that several
# people can run Windows tests on one machine without sharing a sound capture.
# wine_env_stop ends everything this started; an EXIT trap calls it, set before anything
# starts, so that a failure part-way leaves nothing running. A caller that sets an EXIT trap
# of its own calls wine_env_stop in it.

VESMO_ROOT=${VESMO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
wine_dir=${VESMO_WINE_DIR:-$VESMO_ROOT/build/wine}

# A private PulseAudio server with one null sink, and a recording of the sink's monitor.
# parec needs a short latency: otherwise it holds back the end of the sound.
pulse_start() {
  local dir=$wine_dir/pulse
  rm -rf "$dir"
  mkdir -p "$dir/runtime" "$dir/home"
  chmod 700 "$dir/runtime"
  export VESMO_PULSE_HOME=$dir/home VESMO_PULSE_CAPTURE=$dir/capture.raw
  export VESMO_PULSE_SERVER=unix:$dir/runtime/pulse/native
  HOME=$dir/home XDG_RUNTIME_DIR=$dir/runtime PULSE_SERVER= pulseaudio -n --daemonize=no \
    --exit-idle-time=-1 --use-pid-file=no --load="module-null-sink sink_name=out norewinds=1" \
    --load="module-native-protocol-unix" >"$dir/pulseaudio.log" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 100); do [ -S "$dir/runtime/pulse/native" ] && break; sleep 0.1; done
  if [ ! -S "$dir/runtime/pulse/native" ]; then
    echo "pulse_start: the PulseAudio server did not start:" >&2
    cat "$dir/pulseaudio.log" >&2
    return 1
  fi
  HOME=$dir/home PULSE_SERVER=$VESMO_PULSE_SERVER parec --latency-msec=20 -d out.monitor \
    --format=s16le --rate=22050 --channels=1 >"$VESMO_PULSE_CAPTURE" 2>"$dir/parec.log" &
  parec_pid=$!
}

pulse_stop() {
  [ -n "${parec_pid:-}" ] && kill "$parec_pid" 2>/dev/null || true
  [ -n "${pulse_pid:-}" ] && kill "$pulse_pid" 2>/dev/null || true
  [ -n "${pulse_pid:-}" ] && wait "$pulse_pid" 2>/dev/null || true
  parec_pid= pulse_pid=
}

wine_env_stop() {
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
if [ ! -f "$WINEPREFIX/vesmo-desktop" ]; then
  # One virtual desktop for every program: window frames, a taskbar and a notification area.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1 || true
  touch "$WINEPREFIX/vesmo-desktop"
  # The desktop started by wineboot does not have these settings yet: start afresh.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi
wineserver -p >/dev/null 2>&1 || true
# Start Wine's services and the desktop now, detached from any test's output: a service
# that inherited a test's stdout would keep CTest waiting for its end.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
