# What every start of Wine by these scripts shares, and by the Linux package's launcher,
# which sources it from /usr/lib/vesmo. Sourced first thing.
#
# They run again, at once, with the kernel's address randomization off for them and
# everything they start. Debian's 64-bit Wine 8 has no preloader. Its loader is a program
# fixed at 0x7d000000, and the kernel puts such a program's heap anywhere in the gigabyte
# above it; about one start in 10,000 that heap covers 0x7ffe0000, where every Wine process
# must map the shared user data. That start fails ("failed to map the shared user data:
# c0000018", seen by the program that started it as CreateProcess error 1359,
# ERROR_INTERNAL_ERROR, or as a failed ShellExecuteEx). Without randomization the heap
# begins right after the loader, far below that address. Where the kernel refuses to turn
# it off (a container's seccomp profile may), they run as they are.
if [ -z "${VESMO_WINE_LAYOUT_FIXED:-}" ] && command -v setarch >/dev/null &&
   setarch "$(uname -m)" --addr-no-randomize true 2>/dev/null; then
  export VESMO_WINE_LAYOUT_FIXED=1
  exec setarch "$(uname -m)" --addr-no-randomize "$0" "$@"
fi

# Wine's PulseAudio driver keeps only some 30 ms queued in the sound server: a machine busy
# for longer than that cuts a tone in two. A 90 ms queue rides that out, at a few ms more
# from click to sound (scripts/bench-sound.sh measures both); the user's own setting wins.
export PULSE_LATENCY_MSEC="${PULSE_LATENCY_MSEC:-90}"
