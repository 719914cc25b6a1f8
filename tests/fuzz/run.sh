#!/usr/bin/env bash
# Builds the framer fuzzer with clang (libFuzzer + AddressSanitizer) and runs it.
#   tests/fuzz/run.sh [seconds]   (default 60)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
top="$here/../.."
out="$top/build-fuzz"
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined \
  -I"$top/console/link" -I"$top/service" \
  "$here/fuzz_framers.cpp" "$top/console/link/AnswerFraming.cpp" "$top/service/ServiceReceiver.cpp" \
  -o "$out/fuzz_framers"
"$out/fuzz_framers" -max_total_time="${1:-60}" -max_len=8192 "$out/corpus"
