#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the debug
# build, a short pass of every fuzzer, and the same tests under ASan+UBSan
# (last, so that CTest's summary closes the output).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

bash scripts/setup.sh

echo "== debug build and tests =="
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs"

echo "== fuzzers (time-boxed) =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

echo "== ASan+UBSan build and tests =="
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
