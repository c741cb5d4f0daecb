#!/usr/bin/env python3
"""Writes src/ui/text/encoding_tables.cpp, the decoding tables of the
single-byte encodings, from the code-page mappings of Python's own codecs.

Every table has 256 UTF-16 units, one per byte. Bytes that a code page leaves
undefined decode to U+0000, with two house conventions on top of the
published mappings: the five holes of Windows 1252 (81, 8D, 8F, 90, 9D)
decode to the C1 control of the same number, so that any byte sequence
survives a load and save in that encoding, and byte 7F of Mac Roman decodes
to U+0000.

The script checks its result before writing anything: the conventions above,
a few well-known characters, that no two defined bytes share a unit (so every
defined byte round-trips through the encoding maps), and that byte 0 is the
only defined byte that decodes to U+0000. Run it from anywhere:

    python3 tools/generate_encoding_tables.py          # rewrite the file
    python3 tools/generate_encoding_tables.py --check  # compare, change nothing
"""

import codecs
import pathlib
import sys

# (id, codec name, display name) in id order; the ids and names must match
# the table in src/ui/text/encoding.cpp.
ENCODINGS = [
    (1, "cp1252", "Western (Windows 1252)"),
    (2, "latin_1", "Western (ISO 8859-1)"),
    (3, "iso8859_3", "Western (ISO 8859-3)"),
    (4, "iso8859_15", "Western (ISO 8859-15)"),
    (5, "mac_roman", "Western (Mac Roman)"),
    (6, "cp437", "DOS (CP 437)"),
    (7, "cp1256", "Arabic (Windows 1256)"),
    (8, "iso8859_6", "Arabic (ISO 8859-6)"),
    (9, "cp1257", "Baltic (Windows 1257)"),
    (10, "iso8859_4", "Baltic (ISO 8859-4)"),
    (11, "iso8859_14", "Celtic (ISO 8859-14)"),
    (12, "cp1250", "Central European (Windows 1250)"),
    (13, "iso8859_2", "Central European (ISO 8859-2)"),
    (14, "cp1251", "Cyrillic (Windows 1251)"),
    (15, "cp866", "Cyrillic (Windows 866)"),
    (16, "iso8859_5", "Cyrillic (ISO 8859-5)"),
    (17, "koi8_r", "Cyrillic (KOI8-R)"),
    (18, "koi8_u", "Cyrillic (KOI8-U)"),
    (19, "iso8859_13", "Estonian (ISO 8859-13)"),
    (20, "cp1253", "Greek (Windows 1253)"),
    (21, "iso8859_7", "Greek (ISO 8859-7)"),
    (22, "cp1255", "Hebrew (Windows 1255)"),
    (23, "iso8859_8", "Hebrew (ISO 8859-8)"),
    (24, "iso8859_10", "Nordic (ISO 8859-10)"),
    (25, "iso8859_16", "Romanian (ISO 8859-16)"),
    (26, "cp1254", "Turkish (Windows 1254)"),
    (27, "iso8859_9", "Turkish (ISO 8859-9)"),
    (28, "cp1258", "Vietnamese (Windows 1258)"),
]

WINDOWS_1252_HOLES = (0x81, 0x8D, 0x8F, 0x90, 0x9D)

# Spot checks: (codec, byte, unit) pairs that any correct mapping has.
KNOWN = [
    ("cp1252", 0x80, 0x20AC), ("cp1252", 0x9F, 0x0178), ("cp1252", 0xE9, 0x00E9),
    ("latin_1", 0x80, 0x0080), ("latin_1", 0xFF, 0x00FF),
    ("iso8859_15", 0xA4, 0x20AC), ("mac_roman", 0x80, 0x00C4), ("mac_roman", 0xDB, 0x20AC),
    ("cp437", 0xB0, 0x2591), ("cp437", 0xE1, 0x00DF), ("cp1251", 0xC0, 0x0410),
    ("cp866", 0x80, 0x0410), ("koi8_r", 0xC1, 0x0430), ("koi8_u", 0xA4, 0x0454),
    ("iso8859_7", 0xC1, 0x0391), ("cp1255", 0xE0, 0x05D0), ("iso8859_8", 0xE0, 0x05D0),
    ("cp1256", 0xC7, 0x0627), ("iso8859_6", 0xC7, 0x0627), ("cp1258", 0xDE, 0x0303),
]


def decoding_table(codec):
    """The 256 units of `codec`, undefined bytes as None."""
    table = []
    for byte in range(256):
        try:
            text = bytes([byte]).decode(codec)
        except UnicodeDecodeError:
            table.append(None)
            continue
        if len(text) != 1 or ord(text) > 0xFFFF:
            raise SystemExit(f"{codec}: byte {byte:02X} does not decode to one BMP unit")
        table.append(ord(text))
    return table


def build_tables():
    tables = {}
    for encoding_id, codec, _ in ENCODINGS:
        codecs.lookup(codec)  # fails loudly when a codec is missing
        raw = decoding_table(codec)
        if codec == "cp1252":
            holes = tuple(b for b in range(256) if raw[b] is None)
            if holes != WINDOWS_1252_HOLES:
                raise SystemExit(f"cp1252: undefined bytes are {holes}, expected {WINDOWS_1252_HOLES}")
            for byte in holes:
                raw[byte] = byte
        if codec == "mac_roman":
            raw[0x7F] = None
        tables[encoding_id] = [0 if unit is None else unit for unit in raw]
    return tables


def check(tables):
    by_codec = {codec: tables[encoding_id] for encoding_id, codec, _ in ENCODINGS}
    for codec, byte, unit in KNOWN:
        if by_codec[codec][byte] != unit:
            raise SystemExit(f"{codec}: byte {byte:02X} gives {by_codec[codec][byte]:04X}, expected {unit:04X}")
    for byte in WINDOWS_1252_HOLES:
        assert by_codec["cp1252"][byte] == byte
    assert by_codec["mac_roman"][0x7F] == 0
    assert by_codec["latin_1"] == list(range(256))
    assert 0x20AC not in by_codec["latin_1"]
    for encoding_id, codec, _ in ENCODINGS:
        table = tables[encoding_id]
        if table[0] != 0:
            raise SystemExit(f"{codec}: byte 00 is not U+0000")
        defined = [unit for unit in table[1:] if unit != 0]
        if len(set(defined)) != len(defined):
            raise SystemExit(f"{codec}: two bytes decode to the same unit")


def render(tables):
    lines = [
        "// Decoding tables of the single-byte encodings: for each, the UTF-16 unit",
        "// of every byte; U+0000 marks a byte the code page leaves undefined.",
        "// Generated by tools/generate_encoding_tables.py from the code-page",
        "// mappings of Python's codecs; do not edit by hand, run the script.",
        '#include "ui/text/encoding.h"',
        "",
        "namespace {",
        "",
        f"const uchar kDecodingTables[{len(ENCODINGS)}][256] = {{",
    ]
    for encoding_id, codec, name in ENCODINGS:
        lines.append(f"    // {encoding_id}: {name} ({codec})")
        lines.append("    {")
        table = tables[encoding_id]
        for row in range(0, 256, 8):
            units = ", ".join(f"0x{unit:04X}" for unit in table[row:row + 8])
            lines.append(f"        {units}, // {row:02X}")
        lines.append("    },")
    lines += [
        "};",
        "",
        "} // namespace",
        "",
        "const uchar* singleByteDecodingTable(FileEncoding encoding)",
        "{",
        "    if (!isSingleByteEncoding(encoding))",
        "        return nullptr;",
        "    return kDecodingTables[encoding - 1];",
        "}",
        "",
    ]
    return "\n".join(lines)


def main():
    tables = build_tables()
    check(tables)
    text = render(tables)
    target = pathlib.Path(__file__).resolve().parent.parent / "src" / "ui" / "text" / "encoding_tables.cpp"
    if "--check" in sys.argv[1:]:
        current = target.read_text(encoding="utf-8") if target.exists() else ""
        if current != text:
            print(f"{target} differs from the generated tables", file=sys.stderr)
            return 1
        print(f"{target} is up to date")
        return 0
    target.write_text(text, encoding="utf-8")
    print(f"wrote {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
