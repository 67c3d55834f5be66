#!/bin/bash
# vesmo-tones: what it writes is heard by multimon-ng as the keys it was given, and
# bad arguments fail with one line on stderr and leave no file behind.
#   tones_tool.sh PATH-TO-vesmo-tones
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# The keys multimon-ng hears in a WAV file, resampled to what it reads (22050 Hz S16),
# with some silence after the last tone.
heard() {
  sox -V1 "$1" -t raw -r 22050 -e signed -b 16 -c 1 "$dir/heard.raw" pad 0 0.1 &&
    multimon-ng -q -t raw -a DTMF "$dir/heard.raw" 2>/dev/null | sed -n 's/^DTMF: //p' | tr -d '\n'
}

# args... | keys heard | samples in the file (SamplesPerTone: 2116 at 48 ms, 882 at 20 ms)
while IFS='|' read -r args keys samples; do
  out=$dir/out.wav
  rm -f "$out"
  eval "set -- $args"
  "$tool" "$@" "$out" || { fail "vesmo-tones $args exited with $?"; continue; }
  [ "$(soxi -r "$out")/$(soxi -b "$out")/$(soxi -c "$out")/$(soxi -e "$out")" = "44100/8/1/Unsigned Integer PCM" ] ||
    fail "vesmo-tones $args: not 8-bit unsigned mono 44100 Hz: $(soxi "$out")"
  [ "$(soxi -s "$out")" = "$samples" ] || fail "vesmo-tones $args: $(soxi -s "$out") samples, expected $samples"
  got=$(heard "$out")
  [ "$got" = "$keys" ] || fail "vesmo-tones $args: heard '$got', expected '$keys'"
done <<'CASES'
--ms 48 "0123456789*#ABCD"|0123456789*#ABCD|67612
"0701234567*#"|0701234567*#|50684
--ms 20 --key "#"|#|882
--key --ms 200 D|D|8820
--ms 48 "1-2 a3"|123|25292
CASES

# Replacing a file that exists already.
echo old > "$dir/old.wav"
"$tool" 5 "$dir/old.wav" && [ "$(heard "$dir/old.wav")" = 5 ] || fail "an existing file was not replaced"

# '-' writes the same WAV to standard output, so it pipes into other sound tools.
"$tool" --ms 60 "0701234567#" "$dir/file.wav" &&
  "$tool" --ms 60 "0701234567#" - >"$dir/piped.wav" && cmp -s "$dir/file.wav" "$dir/piped.wav" ||
  fail "the WAV on standard output differs from the file's"
"$tool" 159 - | sox -V1 -t wav - "$dir/piped.wav" vol 0.5 &&
  [ "$(heard "$dir/piped.wav")" = 159 ] || fail "piped through sox, not heard as 159"
rm -f "$dir/file.wav" "$dir/piped.wav"

# --help: the usage on standard output, nothing on standard error, success.
for help in --help -h "--ms 30 --help"; do
  eval "set -- $help"
  out=$("$tool" "$@" 2>"$dir/stderr") || fail "vesmo-tones $help exited with $?"
  case $out in "usage: vesmo-tones "*"--ms N"*) ;; *) fail "vesmo-tones $help printed: $out" ;; esac
  [ ! -s "$dir/stderr" ] || fail "vesmo-tones $help wrote to stderr: $(cat "$dir/stderr")"
done

# args... (the output path is the last)
mkdir "$dir/errors"
while read -r args; do
  eval "set -- $args"
  "$tool" "$@" 2>"$dir/stderr"
  rc=$?
  [ $rc -ne 0 ] || fail "vesmo-tones $args succeeded"
  [ "$(wc -l <"$dir/stderr")" -eq 1 ] || fail "vesmo-tones $args: stderr is not one line: $(cat "$dir/stderr")"
  left=$(ls -A "$dir/errors"; ls -A "$dir" | grep -vx -e errors -e old.wav -e out.wav -e heard.raw -e stderr)
  [ -z "$left" ] || fail "vesmo-tones $args left $left"
done <<CASES
"" "$dir/errors/x.wav"
--ms 19 5 "$dir/errors/x.wav"
--ms 201 5 "$dir/errors/x.wav"
--ms 4x 5 "$dir/errors/x.wav"
--ms "" 5 "$dir/errors/x.wav"
--ms
--key 55 "$dir/errors/x.wav"
--loud 5 "$dir/errors/x.wav"
5
5 "$dir/errors/x.wav" extra
5 "$dir/errors/missing/x.wav"
5 "$dir/errors"
CASES

exit $status
