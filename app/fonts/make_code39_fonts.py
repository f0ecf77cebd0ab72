#!/usr/bin/env python3
"""Writes the four Code 39 barcode fonts the print templates name.

  make_code39_fonts.py OUTPUT_DIR

Every glyph of the Code 39 set (0-9, A-Z, space, - . $ / + % and the start
and stop character *) is its symbol: five bars and four spaces, three of the
nine wide (three narrow units), then one narrow gap that separates it from the
next symbol. Lower-case letters map to the upper-case glyphs. The "Hr" faces
print the character itself below its bars; P24 and P48 differ in bar height.
The output does not depend on the time of the build.
"""

import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.misc.timeTools import timestampFromString
from fontTools.pens.ttGlyphPen import TTGlyphPen

UNITS_PER_EM = 1000
FIXED_TIMESTAMP = timestampFromString("Mon Jan  1 00:00:00 2024")
NARROW = 40  # one unit; a symbol with its gap is 16 units wide
WIDE = 3 * NARROW
ADVANCE = 16 * NARROW

# The nine elements of each symbol, bar first, n narrow and w wide.
PATTERNS = {
    "0": "nnnwwnwnn", "1": "wnnwnnnnw", "2": "nnwwnnnnw", "3": "wnwwnnnnn", "4": "nnnwwnnnw",
    "5": "wnnwwnnnn", "6": "nnwwwnnnn", "7": "nnnwnnwnw", "8": "wnnwnnwnn", "9": "nnwwnnwnn",
    "A": "wnnnnwnnw", "B": "nnwnnwnnw", "C": "wnwnnwnnn", "D": "nnnnwwnnw", "E": "wnnnwwnnn",
    "F": "nnwnwwnnn", "G": "nnnnnwwnw", "H": "wnnnnwwnn", "I": "nnwnnwwnn", "J": "nnnnwwwnn",
    "K": "wnnnnnnww", "L": "nnwnnnnww", "M": "wnwnnnnwn", "N": "nnnnwnnww", "O": "wnnnwnnwn",
    "P": "nnwnwnnwn", "Q": "nnnnnnwww", "R": "wnnnnnwwn", "S": "nnwnnnwwn", "T": "nnnnwnwwn",
    "U": "wwnnnnnnw", "V": "nwwnnnnnw", "W": "wwwnnnnnn", "X": "nwnnwnnnw", "Y": "wwnnwnnnn",
    "Z": "nwwnwnnnn", "-": "nwnnnnwnw", ".": "wwnnnnwnn", " ": "nwwnnnwnn", "$": "nwnwnwnnn",
    "/": "nwnwnnnwn", "+": "nwnnnwnwn", "%": "nnnwnwnwn", "*": "nwnnwnwnn",
}

# The human-readable characters, 5 × 7 cells, top row first.
CELLS = {
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "-": [".....", ".....", ".....", "#####", ".....", ".....", "....."],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    "$": ["..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."],
    "/": [".....", "....#", "...#.", "..#..", ".#...", "#....", "....."],
    "+": [".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."],
    "%": ["##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"],
    "*": [".....", "..#..", "#.#.#", ".###.", "#.#.#", "..#..", "....."],
}

TEXT_PIXEL = 30  # one cell pixel; the text is 7 pixels high, 5 wide
TEXT_TOP = -40  # below the baseline, where the bars begin
TEXT_BOTTOM = TEXT_TOP - 7 * TEXT_PIXEL

# Family and face name, file name, bar height, human-readable text.
FACES = [
    ("3 of 9 Barcode", "Code39.ttf", 800, False),
    ("C39HrP24DhTt", "C39HrP24DhTt.ttf", 500, True),
    ("C39HrP48DhTt", "C39HrP48DhTt.ttf", 1000, True),
    ("C39P24DmTt", "C39P24DmTt.ttf", 500, False),
]


def check_patterns():
    for character, pattern in PATTERNS.items():
        assert len(pattern) == 9 and pattern.count("w") == 3, character
    assert len(set(PATTERNS.values())) == len(PATTERNS)
    for character, rows in CELLS.items():
        assert len(rows) == 7 and all(len(row) == 5 for row in rows), character
    assert set(CELLS) == set(PATTERNS)


def rectangle(pen, x0, y0, x1, y1):
    # Clockwise, as TrueType fills outer contours.
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()


def symbol_glyph(character, bar_height, readable):
    pen = TTGlyphPen(None)
    x = 0
    for index, element in enumerate(PATTERNS[character]):
        width = WIDE if element == "w" else NARROW
        if index % 2 == 0:
            rectangle(pen, x, 0, x + width, bar_height)
        x += width
    if readable:
        # Centred under the symbol, each run of pixels of a row one rectangle.
        left = (ADVANCE - NARROW - 5 * TEXT_PIXEL) // 2
        for row, bits in enumerate(CELLS[character]):
            top = TEXT_TOP - row * TEXT_PIXEL
            column = 0
            while column < 5:
                if bits[column] != "#":
                    column += 1
                    continue
                end = column
                while end < 5 and bits[end] == "#":
                    end += 1
                rectangle(pen, left + column * TEXT_PIXEL, top - TEXT_PIXEL, left + end * TEXT_PIXEL, top)
                column = end
    return pen.glyph()


def glyph_name(character):
    return "sym%02X" % ord(character)


def build(face, bar_height, readable):
    names = [".notdef"] + [glyph_name(c) for c in PATTERNS]
    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    builder.font.recalcTimestamp = False
    builder.font["head"].created = builder.font["head"].modified = FIXED_TIMESTAMP
    builder.setupGlyphOrder(names)
    cmap = {}
    for character in PATTERNS:
        cmap[ord(character)] = glyph_name(character)
        if character.isalpha():
            cmap[ord(character.lower())] = glyph_name(character)
    builder.setupCharacterMap(cmap)
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    for character in PATTERNS:
        glyphs[glyph_name(character)] = symbol_glyph(character, bar_height, readable)
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics({name: (ADVANCE, 0) for name in names})
    descent = -TEXT_BOTTOM + NARROW if readable else NARROW
    ascent = max(bar_height, 800)
    builder.setupHorizontalHeader(ascent=ascent, descent=-descent)
    builder.setupNameTable({
        "familyName": face,
        "styleName": "Regular",
        "uniqueFontIdentifier": face + " Regular",
        "fullName": face,
        "psName": face.replace(" ", ""),
        "version": "Version 1.000",
    })
    builder.setupOS2(sTypoAscender=ascent, sTypoDescender=-descent, sTypoLineGap=0, usWinAscent=ascent,
                     usWinDescent=descent, achVendID="TLUX", fsType=0)
    builder.setupPost()
    return builder.font


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    check_patterns()
    output = sys.argv[1]
    os.makedirs(output, exist_ok=True)
    for face, file_name, bar_height, readable in FACES:
        font = build(face, bar_height, readable)
        temporary = os.path.join(output, file_name + ".part")
        font.save(temporary)
        os.replace(temporary, os.path.join(output, file_name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
