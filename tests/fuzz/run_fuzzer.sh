#!/usr/bin/env bash
# Builds one libFuzzer target with AddressSanitizer and UBSan and runs it for a bounded time
# (VESMO_FUZZ_SECONDS, 15 by default). Fails if the build fails or the fuzzer finds a crash,
# a leak or undefined behaviour; the input that caused it is left in WORK_DIR.
#   run_fuzzer.sh CLANGXX WORK_DIR INCLUDE_DIR FUZZER_SOURCE LIBRARY_SOURCES...
set -euo pipefail
clangxx=$1 work_dir=$2 include_dir=$3 fuzzer_source=$4
shift 4
name=$(basename "$fuzzer_source" .cpp)
dictionary=$(dirname "$fuzzer_source")/records.dict

mkdir -p "$work_dir/$name.corpus"
"$clangxx" -std=c++20 -O1 -g -Wall -Wextra -Wpedantic -Wshadow -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I "$include_dir" "$fuzzer_source" "$@" -o "$work_dir/$name"
"$work_dir/$name" -max_total_time="${VESMO_FUZZ_SECONDS:-15}" -dict="$dictionary" \
  -artifact_prefix="$work_dir/$name-" "$work_dir/$name.corpus"
