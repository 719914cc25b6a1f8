#!/usr/bin/env bash
# Sets up what is missing, builds everything and runs the whole test suite (GUI tests on the
# offscreen platform, serial tests on pseudo-terminals), then the tests of the receiving
# threads once more under ThreadSanitizer. Arguments go to ctest (for example -R pattern).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
./scripts/install-deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2 "$@"

if [ "$#" -eq 0 ] && [ "${SKIP_TSAN:-0}" != 1 ]; then
  thread_tests=(test_link tst_service_thread tst_service_link)
  cmake --preset tsan >/dev/null
  cmake --build --preset tsan --target "${thread_tests[@]}"
  ctest --preset tsan -R "^($(IFS='|'; echo "${thread_tests[*]}"))\$"
fi
