"""The small logo (logo.bmp)."""

from PIL import Image, ImageDraw, ImageFilter

from paint import NAVY, SERIF_B, down, font, s, text_center, vgrad
from mark import draw_mark


def logo():
    w, h = 64, 60
    img = down(vgrad(s(w), s(h), (255, 255, 255), (210, 226, 240)), w, h)
    d = ImageDraw.Draw(img)
    # faint ledger rules behind the mark
    for y in range(8, h, 6):
        d.line((0, y, w, y), fill=(226, 236, 246))
    mx, my, n = 16, 4, 32  # 32 px keeps the mark on whole pixels
    mk = draw_mark(n)
    m = Image.new("L", (w, h), 0)
    m.paste(mk.split()[3], (mx + 1, my + 2))
    m = m.filter(ImageFilter.GaussianBlur(1.2)).point(lambda v: int(v * .5))
    img.paste(Image.new("RGB", (w, h), (40, 60, 90)), (0, 0), m)
    img.paste(mk, (mx, my), mk)
    f = font(SERIF_B, 15)
    text_center(d, w / 2, 39, "Korvu", f, NAVY)
    return img
