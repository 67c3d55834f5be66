#!/usr/bin/env bash
# Builds one libFuzzer target with AddressSanitizer and UBSan and runs it for a bounded time
# (VESMO_FUZZ_SECONDS, 15 by default) or, with VESMO_FUZZ_RUNS set, for that many inputs,
# starting from the damaged files the tests use (corpus/seeds) and the inputs scripts/fuzz.sh
# has kept for this fuzzer (corpus/FUZZER). Fails if the build fails or the fuzzer finds a crash, a
# leak or undefined behaviour; the input that caused it is left in WORK_DIR.
#   run_fuzzer.sh CLANGXX WORK_DIR INCLUDE_DIRS FUZZER_SOURCE LIBRARY_SOURCES...
# INCLUDE_DIRS: the libraries' header folders, separated by ':'.
set -euo pipefail
clangxx=$1 work_dir=$2 fuzzer_source=$4
IFS=: read -r -a include_dirs <<<"$3"
shift 4
name=$(basename "$fuzzer_source" .cpp)
dictionary=$(dirname "$fuzzer_source")/records.dict
corpus=$(dirname "$fuzzer_source")/corpus
kept=()
[ -d "$corpus/$name" ] && kept=("$corpus/$name")

mkdir -p "$work_dir/$name.corpus"
"$clangxx" -std=c++20 -O1 -g -Wall -Wextra -Wpedantic -Wshadow -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  "${include_dirs[@]/#/-I}" "$fuzzer_source" "$@" -o "$work_dir/$name"
if [ -n "${VESMO_FUZZ_RUNS:-}" ]; then
  limit=-runs=$VESMO_FUZZ_RUNS
else
  limit=-max_total_time=${VESMO_FUZZ_SECONDS:-15}
fi
"$work_dir/$name" "$limit" -dict="$dictionary" -print_final_stats=1 \
  -artifact_prefix="$work_dir/$name-" "$work_dir/$name.corpus" "${kept[@]}" "$corpus/seeds"
