#!/usr/bin/env python3
"""Writes the hostile list files under archive/ and cases.json, which names the
refusal each must meet. Run from anywhere; needs the zstd command."""

import json
import os
import struct
import subprocess

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "archive")

TAG_SELF_DESCRIBED = 55799
TAG_SHAREABLE = 28
TAG_SHARED_REF = 29
TAG_OBJECT = 27900
TAG_ATTRIBUTED_TEXT = 27901
TAG_ROW_TABLE = 27906


def head(major, value):
    if value < 24:
        return bytes([major << 5 | value])
    for info, fmt in ((24, ">B"), (25, ">H"), (26, ">I"), (27, ">Q")):
        if value < 1 << (8 * struct.calcsize(fmt)):
            return bytes([major << 5 | info]) + struct.pack(fmt, value)
    raise ValueError(value)


def uint(value):
    return head(0, value)


def data(raw):
    return head(2, len(raw)) + raw


def text(value):
    raw = value.encode("utf-8")
    return head(3, len(raw)) + raw


def array(items):
    return head(4, len(items)) + b"".join(items)


def cbor_map(pairs):
    return head(5, len(pairs)) + b"".join(text(k) + v for k, v in pairs)


def tag(number, inner):
    return head(6, number) + inner


def archive(value):
    return tag(TAG_SELF_DESCRIBED, array([text("rowsmith-archive"), uint(1), cbor_map([("listItem", value)])]))


def list_item(rows_value, titles=("A",)):
    fields = [("columnTitlesArray", array([text(t) for t in titles])), ("tableItemObjectArray", rows_value)]
    return tag(TAG_OBJECT, array([text("ListItem"), cbor_map(fields)]))


def block(rows, titles, cells, mark_title="", marks=None, offsets=None, declared_rows=None):
    """A row-table block; cells are UTF-8 byte strings, row-major."""
    out = struct.pack("<III", 1, rows if declared_rows is None else declared_rows, len(titles))
    for name in [mark_title] + list(titles):
        raw = name.encode("utf-8")
        out += struct.pack("<I", len(raw)) + raw
    if mark_title:
        out += b"".join(struct.pack("<I", m) for m in marks)
    if offsets is None:
        offsets = [0]
        for cell in cells:
            offsets.append(offsets[-1] + len(cell))
    out += b"".join(struct.pack("<I", o) for o in offsets)
    return out + b"".join(cells)


def row_table(rows, raw_block, styled=()):
    return tag(TAG_ROW_TABLE, array([uint(rows), data(raw_block), array(list(styled))]))


def zstd(raw):
    return subprocess.run(["zstd", "-q", "-19", "-c"], input=raw, stdout=subprocess.PIPE, check=True).stdout


def zeros_frame(size):
    """A frame that unpacks to size zero bytes, made without holding them."""
    command = f"head -c {size} /dev/zero | zstd -q -1 -c"
    return subprocess.run(command, shell=True, stdout=subprocess.PIPE, check=True).stdout


def shared_string_bomb():
    # One long shared text, then rows that each reference it.
    long_text = "x" * (1 << 20)
    first = cbor_map([("A", tag(TAG_ATTRIBUTED_TEXT, tag(TAG_SHAREABLE, text(long_text))))])
    again = cbor_map([("A", tag(TAG_ATTRIBUTED_TEXT, tag(TAG_SHARED_REF, uint(0))))])
    rows = 200000
    value = head(4, rows) + first + again * (rows - 1)
    return zstd(archive(list_item(value)))


def table_file(rows, raw_block, styled=()):
    return archive(list_item(row_table(rows, raw_block, styled)))


def cases():
    one = [b"a", b"b"]
    yield "shared-string-bomb", shared_string_bomb(), "expand past the budget"
    yield "zstd-bomb", zeros_frame(1 << 30), "unpacks to more than"
    yield "row-table-row-count", table_file(0xFFFFFFFF, block(0xFFFFFFFF, [], [])), "expand past the budget"
    yield "row-table-offset-past-text", table_file(2, block(2, ["A"], one, offsets=[0, 1, 9])), "outside"
    yield ("row-table-split-character", table_file(2, block(2, ["A"], ["é".encode(), b"b"], offsets=[0, 1, 3])),
           "inside a character")
    yield "row-table-truncated-block", table_file(2, block(2, ["A"], one)[:28]), "ends inside"
    yield "row-table-rows-mismatch", table_file(3, block(2, ["A"], one)), "rows where"
    yield "row-table-invalid-utf8", table_file(2, block(2, ["A"], [b"\xff", b"b"])), "not valid UTF-8"
    yield ("row-table-styled-mismatch",
           table_file(2, block(2, ["A"], one), [uint(1), tag(TAG_ATTRIBUTED_TEXT, text("zz"))]), "does not match")
    yield "row-table-styled-odd", table_file(2, block(2, ["A"], one), [uint(1)]), "not in pairs"
    yield ("row-table-mark-title", table_file(2, block(2, ["A"], one, mark_title="Mark", marks=[1, 2])),
           "names its marks")


def main():
    os.makedirs(HERE, exist_ok=True)
    manifest = []
    for name, raw, error in cases():
        file_name = name + ".listItems"
        with open(os.path.join(HERE, file_name), "wb") as out:
            out.write(raw)
        manifest.append({"file": file_name, "error": error})
    with open(os.path.join(HERE, "cases.json"), "w") as out:
        json.dump(manifest, out, indent=1)
        out.write("\n")


if __name__ == "__main__":
    main()
