#!/usr/bin/env bash
# Sound benchmark: tones through a private PulseAudio and a private PipeWire (as the tests
# start them), played by bench/win/sound.cpp as the program plays numbers, with the machine
# as it is and with every core busy (a busy loop per core, at the user's own priority), at each
# server queue given (PULSE_LATENCY_MSEC; scripts/wine-start.sh gives Vesmo 90 ms). A table of the figures
# per 1000 keys, each row with the machine's load average when it began.
#   scripts/bench-sound.sh [KEYS [QUEUE_MS...]]     (1000 keys, the 90 ms queue)
set -euo pipefail
source "$(dirname "$0")/wine-start.sh"
cd "$(dirname "$0")/.."
scripts/deps.sh sound-bench
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vesmo-sound-bench -j "$(nproc)" >/dev/null
keys=${1:-1000}
queues=("${@:2}")
[ ${#queues[@]} -gt 0 ] || queues=(90)

busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  busy=()
}
source scripts/wine-env.sh
trap 'stop_busy; wine_env_stop' EXIT
pulse_start
pipewire_start

printf '%-10s %-8s %-6s %-5s %6s %7s %7s %7s %11s %9s %9s\n' server queue-ms cores load keys \
  whole split short misdecoded dc-steps delay-ms
for cores in idle busy; do
  if [ "$cores" = busy ]; then
    for _ in $(seq "$(nproc)"); do
      nice -n 0 sh -c 'while :; do :; done' &
      busy+=($!)
    done
  fi
  for server in pulse pipewire; do
    for queue in "${queues[@]}"; do
      load=$(cut -d ' ' -f 1 /proc/loadavg)
      figures=$(VESMO_SOUND=$server PULSE_LATENCY_MSEC=$queue \
        scripts/wine-exec build/win64/bench/win/vesmo-sound-bench.exe "$keys" | tr -d '\r')
      # "keys N whole N split N short N misdecoded N dc-steps N delay-ms N": the values.
      printf '%-10s %-8s %-6s %-5s' "$server" "$queue" "$cores" "$load"
      awk '{ printf " %6s %7s %7s %7s %11s %9s %9s\n", $2, $4, $6, $8, $10, $12, $14 }' <<<"$figures"
    done
  done
  stop_busy
done
