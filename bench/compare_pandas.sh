#!/usr/bin/env bash
# Every path a user waits on, Rowsmith against pandas, on one generated CSV
# (1,000,000 rows x 10 short ASCII and Japanese cells) and its Shift-JIS twin:
# wall time and peak resident memory of each process, from /usr/bin/time -v.
# Build the release preset first. Usage: bench/compare_pandas.sh [rows]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/release/src/cli/rowsmith-cli
bench_package=build/release/bench/bench_package
rows=${1:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Debian's python3 carries Debian's pandas (scripts/setup.sh installs it).
python=/usr/bin/python3

"$python" bench/make_bench_csv.py "$work/utf8.csv" "$work/sjis.csv" "$rows"
printf 'file: %d rows, UTF-8 %.1f MB, Shift-JIS %.1f MB\n\n' "$rows" \
  "$(echo "$(stat -c %s "$work/utf8.csv") / 1048576" | bc -l)" \
  "$(echo "$(stat -c %s "$work/sjis.csv") / 1048576" | bc -l)"

# Prints "SECONDS MB" for one command, or "failed -" when it fails.
measure() {
  local log="$work/time.log"
  if /usr/bin/time -v -o "$log" "$@" >/dev/null 2>"$work/stderr.log"; then
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = t[n] + (n > 1 ? 60 * t[n-1] : 0) + (n > 2 ? 3600 * t[n-2] : 0) }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.2f s %6.0f MB", s, kb / 1024 }' "$log"
  else
    printf 'failed (%s)' "$(tail -c 120 "$work/stderr.log" | tr '\n' ' ')"
  fi
}

row() { printf '%-44s %-22s %s\n' "$1" "$2" "$3"; }

row "path" "Rowsmith" "pandas"
row "import UTF-8" "$(measure "$cli" import "$work/utf8.csv")" \
    "$(measure "$python" bench/pandas_steps.py import "$work/utf8.csv" utf-8)"
row "import Shift-JIS" "$(measure "$cli" import "$work/sjis.csv")" \
    "$(measure "$python" bench/pandas_steps.py import "$work/sjis.csv" shift_jis)"
row "new (import, store, save)" "$(measure "$cli" new "$work/doc.pgcd" --import "$work/utf8.csv" --title T)" \
    "$(measure "$python" bench/pandas_steps.py new "$work/utf8.csv" utf-8 "$work/frame.pkl")"
row "open package, read list (eval '=1+1')" "$(measure "$cli" eval "$work/doc.pgcd" --list T '=1+1')" \
    "$(measure "$python" bench/pandas_steps.py open "$work/frame.pkl")"
row "info on the package" "$(measure "$cli" info "$work/doc.pgcd")" "-"
# Opening checks every segment but builds rows on first use; exporting every
# row shows what opening and then reading the whole list costs.
row "open package, export every row" "$(measure "$cli" export "$work/doc.pgcd" --list T -o "$work/out0.csv" --all)" "-"
row "convert --all UTF-8" "$(measure "$cli" convert "$work/utf8.csv" -o "$work/out.csv" --all)" \
    "$(measure "$python" bench/pandas_steps.py convert "$work/utf8.csv" utf-8 "$work/pandas-out.csv")"
row "convert --all Shift-JIS in, UTF-8 out" "$(measure "$cli" convert "$work/sjis.csv" -o "$work/out2.csv" --all)" \
    "$(measure "$python" bench/pandas_steps.py convert "$work/sjis.csv" shift_jis "$work/pandas-out2.csv")"

# Storing the list file and reading it back are inner steps: bench_package
# times them on a generated list of the same size.
if [ -x "$bench_package" ]; then
  echo
  "$bench_package" "$rows" | grep -E 'write list file|read list file|reopen: copy \+ root \+ list' | sed 's/^/bench_package: /'
fi
