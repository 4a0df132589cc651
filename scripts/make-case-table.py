#!/usr/bin/env python3
"""Writes engine/unicode_case_table.inc: the simple case folding of every code point past ASCII
whose other cases are encoded in UTF-8 with as many bytes as itself, as runs of code points that
fold by one offset. Made from Python's Unicode database; run it again for a newer Unicode."""
import pathlib
import unicodedata


def utf8_length(cp):
    return len(chr(cp).encode("utf-8", "surrogatepass"))


def folded(cp):
    c = chr(cp)
    upper = c.upper() if len(c.upper()) == 1 else c
    lower = upper.lower() if len(upper.lower()) == 1 else c
    own_lower = c.lower() if len(c.lower()) == 1 else c
    same = {utf8_length(ord(x)) for x in (c, upper, lower, own_lower)}
    return ord(lower) if len(same) == 1 else cp


runs = []  # first, last, offset, step
for cp in range(0x80, 0x110000):
    if 0xD800 <= cp <= 0xDFFF:
        continue
    f = folded(cp)
    if f == cp:
        continue
    if runs:
        first, last, offset, step = runs[-1]
        gap = cp - last
        if offset == f - cp and gap in (1, 2) and step in (0, gap):
            runs[-1] = (first, cp, offset, gap)
            continue
    runs.append((cp, cp, f - cp, 0))

lines = [f"// Made by scripts/make-case-table.py from Unicode {unicodedata.unidata_version}.",
         "// first, last, offset, step: every step-th code point from first to last folds to",
         "// itself + offset."]
lines += [f"{{0x{a:X}, 0x{b:X}, {d}, {max(s, 1)}}}," for a, b, d, s in runs]
out = pathlib.Path(__file__).resolve().parent.parent / "engine" / "unicode_case_table.inc"
out.write_text("\n".join(lines) + "\n")
print(f"{out}: {len(runs)} runs")
