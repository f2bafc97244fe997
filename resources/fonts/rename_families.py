#!/usr/bin/env python3
"""Makes the program's own copies of its fonts under family names of their own.

A desktop often has another version of these fonts installed (Debian's fonts-liberation,
1.07, comes with LibreOffice and Chromium), and the system's font matching then prefers it
to the embedded one of the same name: the pages would be drawn with other glyphs. Renamed,
the embedded faces are the only ones of their name. Both licences reserve the original
names for the unmodified fonts, so the copies are called PLL Sans, PLL Serif and PLL Text;
nothing else in them changes.

Usage (Debian: python3-fonttools), from the files of fonts-liberation2 2.1.5 and of
fonts-paratype 20181108 (PT Sans):
    rename_families.py /usr/share/fonts/truetype resources/fonts
"""
import sys
from pathlib import Path

from fontTools.ttLib import TTFont

# Source file (under the fonts folder), target file, original family, new family.
COPIES = [
    ("liberation2/LiberationSans-Regular.ttf", "PLLSans-Regular.ttf", "Liberation Sans", "PLL Sans"),
    ("liberation2/LiberationSans-Bold.ttf", "PLLSans-Bold.ttf", "Liberation Sans", "PLL Sans"),
    ("liberation2/LiberationSerif-Regular.ttf", "PLLSerif-Regular.ttf", "Liberation Serif", "PLL Serif"),
    ("liberation2/LiberationSerif-Bold.ttf", "PLLSerif-Bold.ttf", "Liberation Serif", "PLL Serif"),
    ("liberation2/LiberationSerif-BoldItalic.ttf", "PLLSerif-BoldItalic.ttf", "Liberation Serif", "PLL Serif"),
    ("paratype/PTS55F.ttf", "PLLText-Regular.ttf", "PT Sans", "PLL Text"),
]
# Family, full name, PostScript name, typographic family.
NAME_IDS = (1, 3, 4, 6, 16)


def rename(source: Path, target: Path, old: str, new: str) -> None:
    font = TTFont(source)
    for record in font["name"].names:
        if record.nameID not in NAME_IDS:
            continue
        text = str(record)
        text = text.replace(old, new).replace(old.replace(" ", ""), new.replace(" ", ""))
        record.string = text
    font.save(target)


def main() -> None:
    source, target = Path(sys.argv[1]), Path(sys.argv[2])
    for name, out, old, new in COPIES:
        rename(source / name, target / out, old, new)
        print(target / out)


if __name__ == "__main__":
    main()
