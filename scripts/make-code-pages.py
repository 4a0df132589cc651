#!/usr/bin/env python3
"""Writes engine/code_page_tables.inc: the character each byte from 0x80 on stands for in the
single-byte Windows code pages (below 0x80 they are all ASCII), 0 for a byte that stands for none.
Made from Python's own codecs."""
import pathlib
import sys

PAGES = [874] + list(range(1250, 1259))


def character(page, byte):
    try:
        return ord(bytes([byte]).decode(f"cp{page}"))
    except UnicodeDecodeError:
        return 0


lines = [f"// Made by scripts/make-code-pages.py from the codecs of Python {sys.version.split()[0]}.",
         "// Each page: its number, then the characters of bytes 0x80 to 0xFF (0: none)."]
for page in PAGES:
    assert all(character(page, b) == b for b in range(0x80)), page
    codes = [f"0x{c:X}" if c else "0" for c in (character(page, b) for b in range(0x80, 0x100))]
    rows = [", ".join(codes[i:i + 8]) for i in range(0, len(codes), 8)]
    lines.append(f"{{{page}, {{")
    lines += [f"    {row}," for row in rows]
    lines.append("}},")
out = pathlib.Path(__file__).resolve().parent.parent / "engine" / "code_page_tables.inc"
out.write_text("\n".join(lines) + "\n")
print(f"{out}: {len(PAGES)} pages")
