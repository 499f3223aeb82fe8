#!/usr/bin/env bash
# Imports one large CSV (default 3 GB) made of copies of the benchmark file's
# rows, to show that size is bounded by free memory, not by a fixed cap.
# Build the release preset first. Usage: bench/import_large.sh [gigabytes]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/release/src/cli/rowsmith-cli
gigabytes=${1:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 bench/make_bench_csv.py "$work/part.csv" "$work/part-sjis.csv" 1000000
rm "$work/part-sjis.csv"
head -n 1 "$work/part.csv" > "$work/large.csv"
tail -n +2 "$work/part.csv" > "$work/rows.csv"
target=$((gigabytes * 1024 * 1024 * 1024))
while [ "$(stat -c %s "$work/large.csv")" -lt "$target" ]; do
  cat "$work/rows.csv" >> "$work/large.csv"
done
rm "$work/rows.csv" "$work/part.csv"
printf 'file: %.2f GB\n' "$(echo "$(stat -c %s "$work/large.csv") / 1073741824" | bc -l)"
/usr/bin/time -f 'import: %e s, peak %M KB' "$cli" import "$work/large.csv" | grep -E '^(rows|rejected):'
