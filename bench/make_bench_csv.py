"""Writes the benchmark CSV: ROWS rows of ten short cells, ASCII and Japanese
mixed, from a fixed seed, as UTF-8 and as its Shift-JIS twin.

    make_bench_csv.py UTF8_OUT SJIS_OUT [ROWS]
"""
import random
import sys

WORDS = ["東京", "大阪", "りんご", "みかん", "緑茶", "食パン", "キャベツ", "株式会社",
         "営業部", "山田太郎", "佐藤花子", "北海道", "名古屋", "研究所", "ﾃｽﾄ"]


def main():
    utf8_path, sjis_path = sys.argv[1:3]
    rows = int(sys.argv[3]) if len(sys.argv) > 3 else 1000000
    rnd = random.Random(42)
    lines = ["id,name,city,code,price,stock,dept,note,date,mail"]
    for row in range(1, rows + 1):
        lines.append(",".join((
            str(row),
            rnd.choice(WORDS) + rnd.choice(WORDS),
            rnd.choice(WORDS),
            "C%06d" % rnd.randrange(100000),
            str(rnd.randrange(100000)),
            str(rnd.randrange(1000)),
            rnd.choice(WORDS) + rnd.choice(WORDS),
            "note-%d" % rnd.randrange(1000000),
            "2026-%d-%d" % (1 + rnd.randrange(12), 1 + rnd.randrange(28)),
            "user%d@example.jp" % rnd.randrange(100000),
        )))
    text = "\n".join(lines) + "\n"
    with open(utf8_path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    with open(sjis_path, "w", encoding="shift_jis", newline="") as f:
        f.write(text)


if __name__ == "__main__":
    main()
