#!/usr/bin/env bash
# Runs each fuzzer of the record files (the two file readers and recording a number) for RUNS
# inputs (default 10 million) with AddressSanitizer and UndefinedBehaviorSanitizer, and prints
# executions, executions per second and findings. Inputs that reached new code are merged into
# tests/fuzz/corpus/FUZZER, the corpus kept in the repository; an input that failed is left in
# build/fuzz. The test command runs every fuzzer for a bounded time from the same corpus.
#   scripts/fuzz.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh fuzz
runs=${1:-10000000}
work=$root/build/fuzz
mkdir -p "$work"
clangxx=$(command -v clang++ || command -v clang++-14)

status=0
printf '%-28s %12s %9s %12s %s\n' fuzzer executions seconds exec/s findings
for name in records_history_fuzzer records_speed_dial_fuzzer records_append_fuzzer; do
  rm -f "$work/$name"-crash-* "$work/$name"-leak-* "$work/$name"-timeout-* "$work/$name"-oom-*
  log=$work/$name.log
  started=$(date +%s)
  if VESMO_FUZZ_RUNS=$runs tests/fuzz/run_fuzzer.sh "$clangxx" "$work" records:base "tests/fuzz/$name.cpp" \
       records/*.cpp base/*.cpp >"$log" 2>&1; then
    findings=none
  else
    # A fuzzer that fails before it runs (its build) leaves no input behind.
    findings=$(cd "$work" && ls "$name"-* 2>/dev/null | tr '\n' ' ' || true)
    findings=${findings:-"the fuzzer failed, see $log"}
    status=1
  fi
  seconds=$(($(date +%s) - started))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  mkdir -p "tests/fuzz/corpus/$name"
  "$work/$name" -merge=1 "tests/fuzz/corpus/$name" "$work/$name.corpus" >/dev/null 2>&1 || true
  printf '%-28s %12s %9s %12s %s\n' "$name" "${executions:-?}" "$seconds" "${rate:-?}" "$findings"
done
exit $status
