#!/usr/bin/env bash
# Import and export throughput and peak memory, Rowsmith against pandas, on a
# generated 100 MB UTF-8 CSV and its Shift-JIS twin. Build the release preset
# first. Usage: bench/convert_vs_pandas.sh [megabytes]
set -euo pipefail
cd "$(dirname "$0")/.."
bench=build/release/bench/bench_convert
megabytes=${1:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Debian's python3 carries Debian's pandas (scripts/setup.sh installs it).
python=/usr/bin/python3

"$bench" generate "$work/utf8.csv" "$work/sjis.csv" "$megabytes"
"$bench" import "$work/utf8.csv"
"$python" bench/pandas_convert.py import "$work/utf8.csv" utf-8
"$bench" import "$work/sjis.csv"
"$python" bench/pandas_convert.py import "$work/sjis.csv" shift_jis
"$bench" export "$work/utf8.csv" "$work/out-utf8.csv" 0
"$python" bench/pandas_convert.py export "$work/utf8.csv" utf-8 "$work/pandas-utf8.csv" utf-8
"$bench" export "$work/utf8.csv" "$work/out-sjis.csv" 1
"$python" bench/pandas_convert.py export "$work/utf8.csv" utf-8 "$work/pandas-sjis.csv" shift_jis
