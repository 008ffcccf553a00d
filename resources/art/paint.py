"""Shared by every picture: the palette, the fonts and the drawing helpers
(gradients, supersampling, shadows, centred and shadowed text)."""

import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont


SS = 4  # supersampling factor

# ---------------------------------------------------------------- palette
TEAL = (0, 128, 128)          # the setup window's background
NAVY = (14, 44, 84)
NAVY2 = (22, 70, 122)
BLUE = (34, 102, 164)
SKY = (92, 160, 214)
AQUA = (38, 160, 160)
AQUA_L = (120, 206, 200)
GOLD = (222, 170, 52)
GOLD_D = (160, 110, 20)
GOLD_L = (250, 222, 130)
PAPER = (252, 249, 238)
INK = (28, 52, 100)
RED = (196, 58, 52)
GREEN = (30, 150, 90)

FONT_DIRS = [
    "/usr/share/fonts/truetype/liberation",
    "/usr/share/fonts/opentype/urw-base35",
    "/usr/share/fonts/truetype/dejavu",
]


def font(name, size):
    for d in FONT_DIRS:
        p = os.path.join(d, name)
        if os.path.exists(p):
            return ImageFont.truetype(p, size)
    sys.exit("draw.py: font %s not found (install fonts-liberation / "
             "fonts-urw-base35)" % name)


SERIF_B = "P052-Bold.otf"
SERIF_I = "P052-Italic.otf"
SERIF = "P052-Roman.otf"
SANS = "LiberationSans-Regular.ttf"
SANS_B = "LiberationSans-Bold.ttf"
SANS_I = "LiberationSans-Italic.ttf"
NARROW = "LiberationSansNarrow-Regular.ttf"
NARROW_B = "LiberationSansNarrow-Bold.ttf"


# ---------------------------------------------------------------- helpers
def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vgrad(w, h, top, bottom):
    im = Image.new("RGB", (1, h))
    px = im.load()
    for y in range(h):
        px[0, y] = mix(top, bottom, y / max(1, h - 1))
    return im.resize((w, h))


def hgrad(w, h, left, right):
    im = Image.new("RGB", (w, 1))
    px = im.load()
    for x in range(w):
        px[x, 0] = mix(left, right, x / max(1, w - 1))
    return im.resize((w, h))


def down(im, w, h):
    return im.resize((w, h), Image.BOX)


def s(v):
    """Final-pixel coordinate(s) to supersampled ones."""
    if isinstance(v, (tuple, list)):
        return [int(round(x * SS)) for x in v]
    return int(round(v * SS))


def shadow(base, box, radius, offset, blur, color, alpha):
    """Soft drop shadow of a rounded box onto base (supersampled)."""
    m = Image.new("L", base.size, 0)
    x0, y0, x1, y1 = box
    ImageDraw.Draw(m).rounded_rectangle(
        (x0 + offset[0], y0 + offset[1], x1 + offset[0], y1 + offset[1]),
        radius, fill=alpha)
    m = m.filter(ImageFilter.GaussianBlur(blur))
    base.paste(Image.new("RGB", base.size, color), (0, 0), m)


def rr_mask(size, radius):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).rounded_rectangle((0, 0, size[0] - 1, size[1] - 1),
                                        radius, fill=255)
    return m


def text_center(d, cx, y, txt, f, fill):
    w = d.textlength(txt, font=f)
    d.text((cx - w / 2, y), txt, font=f, fill=fill)


def shadowed_text(img, xy, txt, f, fill, shade, off=(1, 1), blur=1.2,
                  alpha=160):
    m = Image.new("L", img.size, 0)
    ImageDraw.Draw(m).text((xy[0] + off[0], xy[1] + off[1]), txt, font=f,
                           fill=alpha)
    if blur:
        m = m.filter(ImageFilter.GaussianBlur(blur))
    img.paste(Image.new("RGB", img.size, shade), (0, 0), m)
    ImageDraw.Draw(img).text(xy, txt, font=f, fill=fill)
