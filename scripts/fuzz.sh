#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each one for a fixed
# time on a scratch copy of its committed seed corpus. Usage: fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
status=0
for harness in build/fuzz/fuzz/fuzz_*; do
  [ -f "$harness" ] && [ -x "$harness" ] || continue
  name=$(basename "$harness")
  seeds="fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  echo "-- $name for ${seconds}s"
  if ! "$harness" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
       -artifact_prefix="build/fuzz/$name-" "$work" >"build/fuzz/$name.log" 2>&1; then
    echo "$name found a failure; see build/fuzz/$name.log"
    tail -n 40 "build/fuzz/$name.log"
    status=1
  fi
  rm -rf "$work"
done
exit $status
