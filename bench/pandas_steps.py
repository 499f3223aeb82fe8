"""The pandas side of bench/compare_pandas.sh: one step per process, so that
/usr/bin/time measures it alone.

    pandas_steps.py import FILE ENCODING
    pandas_steps.py new FILE ENCODING STORE      (read, then store as a pickle)
    pandas_steps.py open STORE                   (read the stored frame back)
    pandas_steps.py convert FILE ENCODING OUT    (read, then write CSV)
"""
import sys

import pandas


def read(path, encoding):
    return pandas.read_csv(path, dtype=str, encoding=encoding, keep_default_na=False)


def main():
    step = sys.argv[1]
    if step == "import":
        read(sys.argv[2], sys.argv[3])
    elif step == "new":
        read(sys.argv[2], sys.argv[3]).to_pickle(sys.argv[4])
    elif step == "open":
        pandas.read_pickle(sys.argv[2])
    elif step == "convert":
        read(sys.argv[2], sys.argv[3]).to_csv(sys.argv[4], index=False)
    else:
        sys.exit("unknown step " + step)


if __name__ == "__main__":
    main()
