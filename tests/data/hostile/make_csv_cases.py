#!/usr/bin/env python3
"""Writes the hostile CSV catalogue into csv/ beside this script.

Each case is one file plus a line in csv/cases.tsv:
    file <TAB> options <TAB> expectation
options: "plain" or "quoted", optionally ",budget=BYTES" (the memory the
import may use). expectation: "ok key=value;..." with rows, rejected,
encoding and titles (joined by "|"), or "fail TEXT" where TEXT must occur in
the error. Run it again after changing a case and commit its output.
"""
import os

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "csv")

CASES = []


def case(name, data, expectation, options="plain"):
    CASES.append((name, data, options, expectation))


case("duplicate_titles.csv", b"a,a,a\n1,2,3\n",
     "ok rows=1;rejected=0;titles=a|a 2|a 3")
case("empty_titles.csv", b",,\n1,2,3\n",
     "ok rows=1;titles=Column 1|Column 2|Column 3")
case("reserved_titles.csv", b"NSRIndication,NSROption,x\n7,8,9\n",
     "ok rows=1;titles=NSRIndication 2|NSROption 2|x")
case("taken_suffix.csv", b"a,a,a 2\n1,2,3\n",
     "ok rows=1;titles=a|a 3|a 2")
case("open_quote_in_titles.csv", b"\"a,b\n1,2\n3,4\n",
     "fail the quote opened on line 1 is never closed", "quoted")
case("open_quote_in_data.csv", b"a,b\n1,2\n\"x\ny\",3\n4,\"open\n5,6\n",
     "ok rows=2;rejected=1", "quoted")
case("iso2022jp.csv",
     "名前,値\n山田,1\n".encode("iso2022_jp"),
     "ok rows=1;encoding=ISO-2022-JP;titles=名前|値")
case("escape_with_8bit.csv", b"a,b\n\x1b$B,\xc3\xa9\n",
     "ok rows=1;encoding=UTF-8")
case("shift_jis.csv", "名前,値\n山田,ｱｲ\n".encode("shift_jis"),
     "ok rows=1;encoding=Shift_JIS")
case("invalid_bytes.csv", b"t\n\xff\xfe\x80\xfd\x00\xa0\xef",
     "fail not text in UTF-8, Shift-JIS or ISO-2022-JP")
case("empty.csv", b"", "fail holds no text")
case("bom_only.csv", b"\xef\xbb\xbf", "fail no data line")
case("titles_only_long_line.csv", b"x" * (600 << 10), "fail no data line")
case("nul_bytes.csv", b"a,b\n\x00\x00,\x00\n", "ok rows=1")
case("only_line_feeds.csv", b"\n" * 100000, "ok rows=99999;titles=Column 1")
case("short_and_long_rows.csv", b"a,b,c\n1\n1,2\n1,2,3\n1,2,3,4\n",
     "ok rows=2;rejected=2")
case("every_line_end.csv", "a,b\r1,2\r\n3,4\u20285,6\u20297,8\x85\n9,0".encode("utf-8"),
     "ok rows=5")
case("wide_row.csv", b",".join(b"c%d" % i for i in range(20000)) + b"\n" + b"1," * 19999 + b"1\n",
     "ok rows=1")
case("tiny_rows.csv", b"a,b\n" + b"1,2\n" * 50000,
     "fail needs about", "plain,budget=4000000")
case("tiny_rows_fit.csv", b"a,b\n" + b"1,2\n" * 2000,
     "ok rows=2000", "plain,budget=400000000")
case("quote_left_open_to_the_end.csv", b"a\n\"" + b"x,y\n" * 50000,
     "fail the quote opened on line 2 is never closed", "quoted")


def main():
    os.makedirs(HERE, exist_ok=True)
    for name in os.listdir(HERE):
        os.remove(os.path.join(HERE, name))
    lines = []
    for name, data, options, expectation in CASES:
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        lines.append("\t".join((name, options, expectation)))
    with open(os.path.join(HERE, "cases.tsv"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
