"""The icon: the mark in 16 colours with AND masks, written as setup.ico."""

import struct

from PIL import Image

from mark import MARK16, MARK32, draw_mark
from bmp import quantise


# 16 colours chosen for the mark (index 0 is the transparent-area black)
ICON_PAL = [
    (0, 0, 0), (8, 30, 60), (14, 44, 84), (22, 62, 110),
    (30, 82, 136), (38, 102, 160), (44, 122, 190), (82, 146, 204),
    (170, 226, 236), (255, 255, 255), (250, 222, 130), (255, 240, 180),
    (222, 170, 52), (128, 128, 128), (192, 192, 192), (120, 170, 210),
]


def icon_image(size):
    rgba = draw_mark(size, ss=8, layout=MARK16 if size <= 16 else MARK32)
    alpha = rgba.split()[3]
    # composite onto the tile's own edge colour so AA edges don't halo
    bg = Image.new("RGB", (size, size), (8, 30, 60))
    bg.paste(rgba.convert("RGB"), (0, 0), alpha)
    q, pal = quantise(bg, 16, ICON_PAL)
    mask = alpha.point(lambda v: 0 if v >= 110 else 1)  # 1 = transparent
    return q, mask


def ico_entry_bits(q, mask):
    w, h = q.size
    idx = q.load()
    mk = mask.load()
    xstride = ((w * 4 + 31) // 32) * 4
    astride = ((w + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(xstride)
        arow = bytearray(astride)
        for x in range(w):
            v = 0 if mk[x, y] else idx[x, y]
            if x % 2 == 0:
                row[x // 2] |= v << 4
            else:
                row[x // 2] |= v
            if mk[x, y]:
                arow[x // 8] |= 0x80 >> (x % 8)
        xor += row
        andm += arow
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0,
                       len(xor) + len(andm), 0, 0, 16, 0)
    ct = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in ICON_PAL)
    return info + ct + bytes(xor) + bytes(andm)


def write_ico(path, sizes):
    imgs = []
    for n in sizes:
        q, m = icon_image(n)
        imgs.append((n, ico_entry_bits(q, m)))
    out = struct.pack("<HHH", 0, 1, len(imgs))
    off = 6 + 16 * len(imgs)
    body = b""
    for n, data in imgs:
        out += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(data),
                           off + len(body))
        body += data
    with open(path, "wb") as fp:
        fp.write(out + body)
