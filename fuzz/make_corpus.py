#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (all of it our own text).

fuzz_ini_reader: UTF-16LE INI files as the input method keeps them, plus the
odd cases the format rules name (no byte-order mark, CR-only line ends, an
embedded zero, quoted values, lower-case byte records).
fuzz_ini_writer: edit scripts in the byte format fuzz_ini_writer.cpp reads.
fuzz_ini_file: the reader's files (the same bytes go through a file).

Run from the repository root: python3 fuzz/make_corpus.py
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def utf16(text, bom=True, line_end="\r\n"):
    body = text.replace("\n", line_end).encode("utf-16-le")
    return (b"\xff\xfe" if bom else b"") + body


def record(data):
    """A byte record: two upper-case digits per byte, then the checksum."""
    return "".join("%02X" % b for b in data) + "%02X" % (sum(data) % 256)


READER = {
    "settings.ini": utf16(
        "[option]\n"
        "option=" + record(range(92)) + "\n"
        "SCRange=" + record([(i * 7) % 256 for i in range(172)]) + "\n"
        "LatinRange=" + record([0xFF] * 172) + "\n"
        "Extend=" + record([1, 2, 0xFF, 0, 0, 0, 0, 9]) + "\n"),
    "config.ini": utf16(
        "; recognition settings of the input method\n"
        "[Option]\n"
        "FontSize = 12\n"
        "  Language=\t0x0411\n"
        "Caption=\"  Recognition range  \"\n"
        "Empty=\n"
        "Quote=\"\n"
        "# a comment line\n"
        "\n"
        "[Window]\n"
        "Left=-7\n"
        "Top=12abc\n"
        "Width=2147483648\n"
        "Height=99999999999999999999999999999999999\n"
        "[Window]\n"
        "Left=1\n"),
    "texts.ini": utf16(
        "[Dialog]\n"
        "Title=Recognition range\n"
        "OK=OK\n"
        "Cancel=Cancel\n"
        "Note=a ; is part of the value\n"
        "[Ranges]\n"
        "Digits=0123456789\n"
        "Latin=\u00e9\u00e8\u00ea\u00c9\n"
        "Kana=\u3042\u3044\u3046\n"
        "[other\n"
        "Hidden=1\n"
        "[ option ]\n"
        " [option]\n"
        "[option] ; note\n"
        "Size=3\n"
        "SizeX=4\n"
        "size=5\n"),
    "no_bom.ini": utf16("[a]\nk=v\n[b]\nk=w", bom=False),
    "cr_only.ini": utf16("[a]\nk=1\nj=2\n", line_end="\r"),
    "lf_only.ini": utf16("[a]\nk=1\n\n;c=3\n#d=4\n  ;e=5\n=6\n \t=7\n", line_end="\n"),
    "embedded_zero.ini": utf16("[a]\nk=1\n") + b"\x00\x00" + utf16("[b]\nk=2\n", bom=False),
    "lower_hex.ini": utf16("[option]\nExtend=0102ff02\nBad=0G\nOdd=123\n"),
    "header_last.ini": utf16("[a]\nk=1\n[last]", line_end="\r\n"),
    "brackets.ini": utf16("[]\n=x\n[a]b]\nk=1\n[[a]\nk=2\n"),
}

# Writer scripts: a room, then edits [op section key value...], in the format
# fuzz_ini_writer.cpp reads (rooms, sections and keys are indices into its
# tables: room 0 is 65536, 1 is 512; section 0 is "option"; key 0 "option",
# 2 "SCRange", 4 "LatinRange", 5 "Extend").
WRITER = {
    # The settings write-back: four records of 92, 172, 172 and 8 bytes.
    "write_back.bin": bytes([0, 3, 0, 0, 92, 1, 3, 0, 2, 172, 2, 3, 0, 4, 172, 3,
                             3, 0, 5, 8, 4]),
    # Set, quote, replace, delete a key, delete a section, reopen, hold.
    "set_and_delete.bin": bytes([0, 0, 1, 6, 3, 0, 1, 2, 0, 3, 8, 2, 4, 0,
                                 0, 1, 7, 5, 1, 1, 1, 1, 1, 1, 6,
                                 2, 3, 0, 0, 5, 0, 0, 4, 0, 0, 0, 0, 0, 1, 9]),
    # A room of 512 bytes: a long value does not fit, a short one does.
    "small_room.bin": bytes([1, 0, 0, 0, 0x80 | 40, 7, 0, 2, 1, 0x80 | 20, 3,
                             0, 0, 1, 3, 4, 5, 6, 0, 0, 1, 0x80 | 30, 1]),
    # Loose mode (bit 3 of byte 0): values with LF make comment, blank and
    # "[" lines inside a section; then keys are appended and sections deleted.
    "loose_lines.bin": bytes([0x08, 0, 0, 1, 4, 0, 9, 4, 0, 0, 0, 0, 2, 9, 9,
                              0, 0, 3, 3, 9, 6, 0, 0, 1, 6, 1, 0, 1, 1, 1, 0, 0,
                              2, 0, 0, 0]),
}


def write_all(folder, files):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(path, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    write_all("fuzz_ini_reader", READER)
    write_all("fuzz_ini_writer", WRITER)
    write_all("fuzz_ini_file", READER)
