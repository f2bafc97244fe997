#!/usr/bin/env python3
"""Makes the program's own copies of the Liberation fonts under family names of their own.

A desktop often has another version of the Liberation fonts installed (Debian's
fonts-liberation, 1.07, comes with LibreOffice and Chromium), and the system's font
matching then prefers it to the embedded one of the same name: the pages would be
drawn with other glyphs. Renamed, the embedded faces are the only ones of their
name. The font licence reserves the name "Liberation" for the unmodified fonts,
so the copies are called PLL Sans and PLL Serif; nothing else in them changes.

Usage (Debian: python3-fonttools), from the upstream files of fonts-liberation2 2.1.5:
    rename_families.py /usr/share/fonts/truetype/liberation2 resources/fonts
"""
import sys
from pathlib import Path

from fontTools.ttLib import TTFont

RENAMED = {"Liberation Sans": "PLL Sans", "Liberation Serif": "PLL Serif"}
FILES = ["LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSerif-Regular.ttf",
         "LiberationSerif-Bold.ttf", "LiberationSerif-BoldItalic.ttf"]
# Family, full name, PostScript name, typographic family.
NAME_IDS = (1, 3, 4, 6, 16)


def rename(source: Path, target: Path) -> None:
    font = TTFont(source)
    for record in font["name"].names:
        if record.nameID not in NAME_IDS:
            continue
        text = str(record)
        for old, new in RENAMED.items():
            text = text.replace(old, new).replace(old.replace(" ", ""), new.replace(" ", ""))
        record.string = text
    font.save(target)


def main() -> None:
    source, target = Path(sys.argv[1]), Path(sys.argv[2])
    for name in FILES:
        out = name.replace("Liberation", "PLL")
        rename(source / name, target / out)
        print(target / out)


if __name__ == "__main__":
    main()
