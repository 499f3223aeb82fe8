#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
./build/release/src/cli/rowsmith-cli --version
# The main job: import the bundled Shift-JIS sample and show what was found.
./build/release/src/cli/rowsmith-cli import samples/products-sjis.csv --print
