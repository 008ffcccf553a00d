"""The BMP writers: 24 bpp, and 8 bpp over a quantised palette."""

import struct

from PIL import Image


def write_bmp24(path, img):
    img = img.convert("RGB")
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    raw = img.tobytes("raw", "BGR")
    rows = []
    for y in range(h - 1, -1, -1):
        r = raw[y * w * 3:(y + 1) * w * 3]
        rows.append(r + b"\0" * (stride - w * 3))
    bits = b"".join(rows)
    off = 14 + 40
    hdr = struct.pack("<2sIHHI", b"BM", off + len(bits), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(bits),
                       2835, 2835, 0, 0)
    with open(path, "wb") as fp:
        fp.write(hdr + info + bits)


def quantise(img, ncol, fixed=None):
    """Returns (indices image 'P', palette list of RGB)."""
    img = img.convert("RGB")
    if fixed:
        pal = Image.new("P", (1, 1))
        flat = []
        for c in fixed:
            flat += list(c)
        flat += [0] * (768 - len(flat))
        pal.putpalette(flat)
        q = img.quantize(palette=pal, dither=Image.Dither.NONE)
        return q, list(fixed)
    q = img.quantize(colors=ncol, method=Image.Quantize.MEDIANCUT,
                     dither=Image.Dither.NONE)
    p = q.getpalette()[:ncol * 3]
    pal = [tuple(p[i:i + 3]) for i in range(0, len(p), 3)]
    return q, pal


def write_bmp8(path, img):
    w, h = img.size
    q, pal = quantise(img, 256)
    pal = pal + [(0, 0, 0)] * (256 - len(pal))
    stride = (w + 3) & ~3
    data = q.tobytes()
    rows = [data[y * w:(y + 1) * w] + b"\0" * (stride - w)
            for y in range(h - 1, -1, -1)]
    bits = b"".join(rows)
    ct = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)
    off = 14 + 40 + len(ct)
    hdr = struct.pack("<2sIHHI", b"BM", off + len(bits), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(bits),
                       2835, 2835, 256, 0)
    with open(path, "wb") as fp:
        fp.write(hdr + info + ct + bits)
