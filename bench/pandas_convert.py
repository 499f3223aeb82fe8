"""The pandas side of bench/convert_vs_pandas.sh: one measurement per process.

    pandas_convert.py import FILE ENCODING
    pandas_convert.py export FILE ENCODING OUT OUT_ENCODING
"""
import os
import resource
import sys
import time

import pandas


def peak_mb():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0


def main():
    mode, path, encoding = sys.argv[1:4]
    size_mb = os.path.getsize(path) / 1048576.0
    start = time.perf_counter()
    frame = pandas.read_csv(path, dtype=str, encoding=encoding, keep_default_na=False)
    read_seconds = time.perf_counter() - start
    if mode == "import":
        print("pandas   import %-28s rows %9d  %6.2f s  %7.1f MB/s  peak %7.1f MB"
              % (os.path.basename(path), len(frame), read_seconds, size_mb / read_seconds, peak_mb()))
        return
    out, out_encoding = sys.argv[4:6]
    start = time.perf_counter()
    frame.to_csv(out, index=False, encoding=out_encoding)
    seconds = time.perf_counter() - start
    print("pandas   export %-28s rows %9d  %6.2f s  %7.1f MB/s"
          % (os.path.basename(out), len(frame), seconds, os.path.getsize(out) / 1048576.0 / seconds))


if __name__ == "__main__":
    main()
