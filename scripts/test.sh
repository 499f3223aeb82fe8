#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: a short
# pass of every fuzzer, then every test under ASan+UBSan (last, so that
# CTest's summary closes the output). The sanitizer build also builds the GUI
# and stops on any warning, so a plain debug build would only repeat it.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

bash scripts/setup.sh

echo "== fuzzers (time-boxed) =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-20}"

echo "== ASan+UBSan build and tests =="
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
