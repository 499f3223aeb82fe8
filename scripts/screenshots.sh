#!/usr/bin/env bash
# Takes the README's screenshots: runs the desktop application's screenshot
# tour (bench_gui --screenshots) on a virtual X server and saves the PNGs
# under docs/screenshots/ (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screenshots}"
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target bench_gui
mkdir -p "$out"
out="$(cd "$out" && pwd)"
# A fixed screen, the X platform plugin and a throw-away profile.
xvfb-run -a -s "-screen 0 1280x800x24" \
  env QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \
  ./build/release/bench/bench_gui --screenshots "$out" "$PWD/samples"
ls -l "$out"
