#!/usr/bin/python3
"""Draws the pictures and the icon of the Korvu ark 7.2 setup program.

    /usr/bin/python3 resources/art/draw.py

Writes, next to this directory:
    background.bmp  490 x 450, 24 bpp, uncompressed, bottom-up
    finish.bmp      245 x 164, 24 bpp, uncompressed, bottom-up
    logo.bmp         64 x  60,  8 bpp, 256-entry colour table
    setup.ico       32 x 32 and 16 x 16, 16 colours (4 bpp) with AND masks

The output is deterministic: same fonts and Pillow give the same bytes.
Shapes are drawn at 4x and box-filtered down; text is rendered at the final
size so FreeType hinting keeps it sharp.
"""

import os
import sys

# The modules beside this one are imported, not installed: keep the tree
# free of their byte code.
sys.dont_write_bytecode = True

from background import background  # noqa: E402
from bmp import write_bmp24, write_bmp8  # noqa: E402
from finish import finish  # noqa: E402
from icon import write_ico  # noqa: E402
from logo import logo  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.dirname(HERE)


def main():
    write_bmp24(os.path.join(OUT, "background.bmp"), background())
    write_bmp24(os.path.join(OUT, "finish.bmp"), finish())
    write_bmp8(os.path.join(OUT, "logo.bmp"), logo())
    write_ico(os.path.join(OUT, "setup.ico"), [32, 16])


if __name__ == "__main__":
    main()
