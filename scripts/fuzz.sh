#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each one for a fixed
# time on a scratch copy of its committed seed corpus, as many at once as
# there are cores (each fuzzer uses one). Usage: fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

# Runs one harness; its log and any failing input stay under build/fuzz.
fuzz_one() {
  local harness=$1 name work status=0
  name=$(basename "$harness")
  work=$(mktemp -d)
  [ -d "fuzz/corpus/${name#fuzz_}" ] && cp -r "fuzz/corpus/${name#fuzz_}"/. "$work"/
  "$harness" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -artifact_prefix="build/fuzz/$name-" "$work" >"build/fuzz/$name.log" 2>&1 || status=1
  rm -rf "$work"
  return $status
}

harnesses=()
for harness in build/fuzz/fuzz/fuzz_*; do
  [ -f "$harness" ] && [ -x "$harness" ] && harnesses+=("$harness")
done
slots=$(nproc)
status=0
for ((i = 0; i < ${#harnesses[@]}; i += slots)); do
  batch=("${harnesses[@]:i:slots}")
  pids=()
  for harness in "${batch[@]}"; do
    echo "-- $(basename "$harness") for ${seconds}s"
    fuzz_one "$harness" &
    pids+=($!)
  done
  for j in "${!pids[@]}"; do
    if ! wait "${pids[$j]}"; then
      name=$(basename "${batch[$j]}")
      echo "$name found a failure; see build/fuzz/$name.log"
      tail -n 40 "build/fuzz/$name.log"
      status=1
    fi
  done
done
exit $status
