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

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.dirname(HERE)

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


# ---------------------------------------------------------------- the mark
# Layouts of the mark on its own design grid: tile corner radius, the
# baseline (x0, y0, x1, y1) and the three bars (x0, top, x1); the last bar is
# gold. The 16 unit grid keeps every edge on a whole pixel at 16 x 16.
MARK32 = dict(grid=32, r=6, base=(4, 25, 28, 27),
              bars=[(5, 17, 11), (13, 12, 19), (21, 6, 27)], cap=2)
MARK16 = dict(grid=16, r=3, base=(2, 12, 14, 13),
              bars=[(3, 9, 5), (7, 6, 9), (11, 3, 13)], cap=0)


def draw_mark(size, ss=SS, layout=None, big=False):
    """The Korvu mark: a blue tile with three rising ledger bars on a
    baseline, the last bar gold. Returns an RGBA image of the final size
    (or of size*ss with big=True), anti-aliased."""
    L = layout or MARK32
    n = size * ss
    im = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    u = n / float(L["grid"])

    def R(x0, y0, x1, y1):
        return (x0 * u, y0 * u, x1 * u - 1, y1 * u - 1)

    g = L["grid"]
    grad = vgrad(n, n, (44, 122, 190), NAVY).convert("RGBA")
    m = Image.new("L", (n, n), 0)
    ImageDraw.Draw(m).rounded_rectangle(R(0, 0, g, g), L["r"] * u, fill=255)
    im.paste(grad, (0, 0), m)
    # top sheen
    sh = Image.new("L", (n, n), 0)
    ImageDraw.Draw(sh).rounded_rectangle(R(1, 1, g - 1, g / 2 - 1),
                                         (L["r"] - 1) * u, fill=46)
    im.paste(Image.new("RGBA", (n, n), (255, 255, 255, 255)), (0, 0),
             Image.composite(sh, Image.new("L", (n, n), 0), m))
    # dark edge
    ImageDraw.Draw(im).rounded_rectangle(R(0, 0, g, g), L["r"] * u,
                                         outline=(8, 30, 60, 255),
                                         width=max(1, int(u)))
    d = ImageDraw.Draw(im)
    d.rectangle(R(*L["base"]), fill=(255, 255, 255, 255))
    fills = [(170, 226, 236, 255), (255, 255, 255, 255), GOLD_L + (255,)]
    for (x0, top, x1), c in zip(L["bars"], fills):
        d.rectangle(R(x0, top, x1, L["base"][1]), fill=c)
    if L["cap"]:
        x0, top, x1 = L["bars"][-1]
        d.rectangle(R(x0, top, x1, top + L["cap"]), fill=(255, 240, 180, 255))
    if big:
        return im
    return im.resize((size, size), Image.BOX)


# ---------------------------------------------------------------- bar chart
def chart_card(w, h):
    """White card with a rising bar chart and a trend arrow (supersampled,
    returns RGB of size (w*SS, h*SS))."""
    W, H = s(w), s(h)
    im = vgrad(W, H, (255, 255, 255), (234, 242, 248))
    d = ImageDraw.Draw(im)
    # plot area
    px0, py0, px1, py1 = s(26), s(34), W - s(12), H - s(22)
    for i in range(5):
        y = py1 - (py1 - py0) * i / 4
        d.line((px0, y, px1, y), fill=(214, 226, 236), width=s(1))
    d.line((px0, py0 - s(4), px0, py1), fill=(120, 140, 160), width=s(1))
    d.line((px0, py1, px1, py1), fill=(120, 140, 160), width=s(1))
    vals = [0.30, 0.42, 0.38, 0.58, 0.72, 0.93]
    nb = len(vals)
    slot = (px1 - px0) / nb
    bw = slot * 0.58
    tops = []
    for i, v in enumerate(vals):
        x0 = px0 + slot * i + (slot - bw) / 2
        x1 = x0 + bw
        y0 = py1 - (py1 - py0) * v
        last = i == nb - 1
        c1, c2 = ((GOLD_L, GOLD) if last else (AQUA_L, (26, 110, 150)))
        bar = hgrad(int(bw), int(py1 - y0), c1, c2)
        im.paste(bar, (int(x0), int(y0)))
        d.line((x0, y0, x1 - 1, y0), fill=mix(c1, (255, 255, 255), 0.5),
               width=s(1))
        tops.append(((x0 + x1) / 2, y0))
    # trend line
    pts = [(x, y - s(10)) for x, y in tops]
    d.line(pts, fill=RED, width=s(2.2), joint="curve")
    for x, y in pts[:-1]:
        d.ellipse((x - s(2.6), y - s(2.6), x + s(2.6), y + s(2.6)),
                  fill=(255, 255, 255), outline=RED, width=s(1.4))
    # arrow head on the last point, along the last segment
    (ax, ay), (bx, by) = pts[-2], pts[-1]
    ang = math.atan2(by - ay, bx - ax)
    L = s(9)
    tip = (bx + math.cos(ang) * s(4), by + math.sin(ang) * s(4))
    left = (tip[0] - L * math.cos(ang - 0.45), tip[1] - L * math.sin(ang - 0.45))
    right = (tip[0] - L * math.cos(ang + 0.45), tip[1] - L * math.sin(ang + 0.45))
    d.polygon([tip, left, right], fill=RED)
    return im


# ---------------------------------------------------------------- ledger
def ledger_page(w, h):
    """A ledger sheet (supersampled RGB)."""
    W, H = s(w), s(h)
    im = vgrad(W, H, PAPER, (244, 239, 222))
    d = ImageDraw.Draw(im)
    head = s(30)
    d.rectangle((0, 0, W, head), fill=(214, 232, 236))
    d.line((0, head, W, head), fill=(90, 150, 170), width=s(1.5))
    row = s(17)
    y = head + row
    while y < H - s(4):
        d.line((0, y, W, y), fill=(168, 204, 226), width=s(0.8))
        y += row
    # columns: date | description | debit | credit
    cols = [s(40), s(w - 86), s(w - 44)]
    for c in cols:
        d.line((c, 0, c, H), fill=(168, 204, 226), width=s(0.8))
    d.line((s(36), 0, s(36), H), fill=(226, 130, 124), width=s(0.8))
    d.line((s(38), 0, s(38), H), fill=(226, 130, 124), width=s(0.8))
    return im, head, row, cols


def ledger_text(img, w, head, row, cols):
    """Writes entries onto a supersampled ledger page (the page is rotated
    afterwards, so the text is drawn at 4x like the shapes)."""
    d = ImageDraw.Draw(img)
    f = font(NARROW, 10 * SS)
    fb = font(NARROW_B, 10 * SS)
    hx = font(SANS_B, 8 * SS)
    c0, c1, c2 = cols
    W = s(w)
    hy = head / 2 - s(5)
    hc = (50, 90, 110)
    d.text((s(8), hy), "DATE", font=hx, fill=hc)
    d.text((c0 + s(5), hy), "ACCOUNT", font=hx, fill=hc)
    d.text((c1 + s(4), hy), "DEBIT", font=hx, fill=hc)
    d.text((c2 + s(3), hy), "CREDIT", font=hx, fill=hc)
    rows = [
        ("03/01", "Opening balance", "", "12,400.00"),
        ("03/04", "Office supplies", "186.40", ""),
        ("03/07", "Invoice #1042", "", "2,750.00"),
        ("03/11", "Payroll", "4,320.00", ""),
        ("03/15", "Invoice #1043", "", "3,980.00"),
        ("03/18", "Rent", "1,200.00", ""),
        ("03/22", "Invoice #1044", "", "5,125.00"),
        ("03/26", "Utilities", "242.75", ""),
        ("03/29", "Sales receipts", "", "1,868.50"),
    ]
    y = head + s(3)
    ink = (30, 56, 112)
    red = (160, 40, 40)
    for dt, ac, de, cr in rows:
        d.text((s(8), y), dt, font=f, fill=ink)
        d.text((c0 + s(5), y), ac, font=f, fill=ink)
        if de:
            d.text((c2 - s(4) - d.textlength(de, font=f), y), de, font=f,
                   fill=red)
        if cr:
            d.text((W - s(4) - d.textlength(cr, font=f), y), cr, font=f,
                   fill=ink)
        y += row
    # balance with a double rule above it
    for k in (0, 2):
        d.line((c2 + s(3), y - s(1) + s(k), W - s(3), y - s(1) + s(k)),
               fill=ink, width=s(0.7))
    d.text((c0 + s(5), y + s(1)), "Balance", font=fb, fill=ink)
    bal = "20,174.35"
    d.text((W - s(4) - d.textlength(bal, font=fb), y + s(1)), bal, font=fb,
           fill=ink)


# ---------------------------------------------------------------- coins
def coin_stack(img, cx, base_y, n, rx, ry, th):
    """Stack of gold coins drawn on a supersampled image."""
    d = ImageDraw.Draw(img)
    for i in range(n):
        y = base_y - i * th
        # edge
        d.ellipse((cx - rx, y - ry + th, cx + rx, y + ry + th), fill=GOLD_D)
        d.rectangle((cx - rx, y, cx + rx, y + th), fill=GOLD_D)
        # milled edge lines
        for k in range(-10, 11):
            x = cx + rx * k / 10.5
            d.line((x, y + s(0.5), x, y + th + ry * math.sqrt(
                max(0, 1 - ((x - cx) / rx) ** 2)) - s(0.5)),
                fill=(190, 134, 30), width=s(0.6))
        d.ellipse((cx - rx, y - ry, cx + rx, y + ry), fill=GOLD)
        d.ellipse((cx - rx * 0.78, y - ry * 0.74, cx + rx * 0.78,
                   y + ry * 0.74), outline=GOLD_L, width=s(1))
        # highlight on the face
        d.ellipse((cx - rx * 0.62, y - ry * 0.60, cx + rx * 0.05,
                   y - ry * 0.05), fill=mix(GOLD, GOLD_L, 0.55))


def coin_face(img, cx, cy, r):
    """A standing coin seen from the front (supersampled)."""
    d = ImageDraw.Draw(img)
    d.ellipse((cx - r + s(1.5), cy - r + s(2), cx + r + s(1.5), cy + r + s(2)),
              fill=GOLD_D)
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=GOLD)
    d.ellipse((cx - r * 0.80, cy - r * 0.80, cx + r * 0.80, cy + r * 0.80),
              outline=GOLD_L, width=s(1.2))
    d.pieslice((cx - r * 0.92, cy - r * 0.92, cx + r * 0.92, cy + r * 0.92),
               200, 290, fill=mix(GOLD, GOLD_L, 0.45))
    d.ellipse((cx - r * 0.80, cy - r * 0.80, cx + r * 0.80, cy + r * 0.80),
              outline=GOLD_L, width=s(1.2))


def coin_k(img, cx, cy, r):
    """Embossed K on a coin face (final resolution)."""
    f = font(SERIF_B, int(r * 1.25))
    d = ImageDraw.Draw(img)
    w = d.textlength("K", font=f)
    bb = f.getbbox("K")
    x = cx - w / 2
    y = cy - (bb[1] + bb[3]) / 2
    d.text((x + 1, y + 1), "K", font=f, fill=GOLD_D)
    d.text((x, y), "K", font=f, fill=(255, 236, 170))


# ---------------------------------------------------------------- background
def background():
    w, h = 490, 450
    W, H = s(w), s(h)
    im = Image.new("RGB", (W, H), TEAL)

    # the framed panel
    px0, py0, px1, py1 = 12, 10, 476, 436
    box = s((px0, py0, px1, py1))
    shadow(im, box, s(6), (s(5), s(6)), s(5), (0, 58, 60), 200)
    pw, ph = box[2] - box[0], box[3] - box[1]

    panel = Image.new("RGB", (pw, ph))
    # body: soft blue-grey with a fine grid
    body = vgrad(pw, ph, (238, 244, 249), (200, 218, 232))
    bd = ImageDraw.Draw(body)
    g = s(14)
    for x in range(0, pw, g):
        bd.line((x, 0, x, ph), fill=(222, 232, 241), width=s(0.5))
    for y in range(0, ph, g):
        bd.line((0, y, pw, y), fill=(222, 232, 241), width=s(0.5))
    panel.paste(body, (0, 0))

    # header band
    hh = s(118)
    head = vgrad(pw, hh, (18, 56, 104), (30, 96, 150))
    # faint rising curve in the header
    pts = []
    for i in range(0, 101):
        t = i / 100
        x = pw * 0.38 + t * pw * 0.62
        y = hh * (0.92 - 0.62 * t ** 1.6) + math.sin(t * 9) * s(4)
        pts.append((x, y))
    ov = Image.new("L", (pw, hh), 0)
    od = ImageDraw.Draw(ov)
    od.polygon(pts + [(pw, hh), (pw * 0.38, hh)], fill=34)
    od.line(pts, fill=90, width=s(1.5))
    head.paste(Image.new("RGB", (pw, hh), (150, 220, 230)), (0, 0), ov)
    # diagonal sheen
    sh = Image.new("L", (pw, hh), 0)
    ImageDraw.Draw(sh).polygon([(0, 0), (pw * 0.55, 0), (pw * 0.35, hh),
                                (0, hh)], fill=18)
    head.paste(Image.new("RGB", (pw, hh), (255, 255, 255)), (0, 0), sh)
    panel.paste(head, (0, 0))
    pd = ImageDraw.Draw(panel)
    pd.rectangle((0, hh, pw, hh + s(3)), fill=GOLD)
    pd.rectangle((0, hh + s(3), pw, hh + s(4)), fill=GOLD_D)

    # footer band
    fh = s(34)
    foot = vgrad(pw, fh, (24, 74, 124), (12, 40, 78))
    panel.paste(foot, (0, ph - fh))
    pd.rectangle((0, ph - fh - s(1), pw, ph - fh), fill=GOLD)

    # the mark in the header
    mk_up = draw_mark(64, big=True)
    msh = Image.new("L", panel.size, 0)
    msh.paste(mk_up.split()[3], (s(22) + s(2), s(27) + s(3)))
    msh = msh.filter(ImageFilter.GaussianBlur(s(2.5)))
    panel.paste(Image.new("RGB", panel.size, (6, 24, 50)), (0, 0),
                msh.point(lambda v: v * 0.6))
    panel.paste(mk_up, (s(22), s(27)), mk_up)
    # a thin light rim around the mark so it reads on the blue header
    ImageDraw.Draw(panel).rounded_rectangle(
        (s(22) - s(1.5), s(27) - s(1.5), s(86) + s(1.5), s(91) + s(1.5)),
        s(13.5), outline=(150, 200, 235), width=s(1.2))

    # ---- illustration: ledger page (tilted), chart card, coins
    lw, lh = 232, 208
    lp, lhead, lrow, lcols = ledger_page(lw, lh)
    ledger_text(lp, lw, lhead, lrow, lcols)
    big = lp
    # a binding strip on the left
    bdg = ImageDraw.Draw(big)
    bdg.rectangle((0, 0, s(5), s(lh)), fill=(40, 84, 120))
    bm = Image.new("L", big.size, 255)
    rot = -5
    big_r = big.rotate(rot, resample=Image.BICUBIC, expand=True,
                       fillcolor=(0, 0, 0))
    m_r = bm.rotate(rot, resample=Image.BICUBIC, expand=True, fillcolor=0)
    lx, ly = s(24), s(140)
    # shadow for the page
    shm = Image.new("L", panel.size, 0)
    shm.paste(m_r, (lx + s(4), ly + s(6)))
    shm = shm.filter(ImageFilter.GaussianBlur(s(4)))
    panel.paste(Image.new("RGB", panel.size, (60, 80, 100)), (0, 0),
                shm.point(lambda v: int(v * 0.55)))
    panel.paste(big_r, (lx, ly), m_r)

    # chart card, in front on the right
    cw, ch = 200, 156
    cx, cy = s(246), s(150)
    card = chart_card(cw, ch)
    cm = rr_mask(card.size, s(6))
    shadow(panel, (cx, cy, cx + card.size[0], cy + card.size[1]), s(6),
           (s(4), s(6)), s(5), (50, 70, 96), 150)
    panel.paste(card, (cx, cy), cm)
    ImageDraw.Draw(panel).rounded_rectangle(
        (cx, cy, cx + card.size[0] - 1, cy + card.size[1] - 1), s(6),
        outline=(150, 176, 200), width=s(1))

    # coins at the lower right, overlapping the card
    coin_stack(panel, s(420), s(352), 5, s(24), s(9), s(5.2))
    coin_stack(panel, s(372), s(362), 3, s(22), s(8.2), s(5.2))
    coin_face(panel, s(318), s(344), s(21))

    img = down(panel, px1 - px0, py1 - py0)
    d = ImageDraw.Draw(img)

    # header text
    f_name = font(SERIF_B, 44)
    f_ver = font(SERIF, 30)
    f_tag = font(SERIF_I, 16)
    x = 100
    shadowed_text(img, (x, 18), "Korvu", f_name, (255, 255, 255), (4, 20, 44),
                  off=(2, 2), blur=1.5)
    nx = x + d.textlength("Korvu", font=f_name) + 10
    shadowed_text(img, (nx, 29), "ark 7.2", f_ver, (176, 232, 228),
                  (4, 20, 44), off=(1, 2), blur=1.2)
    shadowed_text(img, (x + 2, 74), "Accounting for growing businesses",
                  f_tag, (214, 230, 244), (4, 20, 44), off=(1, 1), blur=0.8)

    # section caption over the illustration
    f_cap = font(SANS_B, 11)
    cap = "LEDGERS  \u00b7  INVOICES  \u00b7  PAYROLL  \u00b7  REPORTS"
    text_center(d, (px1 - px0) / 2, 130 - 0, cap, f_cap, (40, 74, 112))

    # coin K
    coin_k(img, 318 - 0, 344, 21)

    # chart caption
    f_c = font(SANS_B, 10)
    d.text((246 + 10, 150 + 10), "Revenue", font=f_c, fill=(30, 64, 104))
    d.text((246 + 10 + d.textlength("Revenue ", font=f_c), 150 + 10),
           "year to date", font=font(SANS, 10), fill=(110, 130, 150))
    f_pct = font(SANS_B, 11)
    t = "+24%"
    d.text((246 + 200 - 12 - d.textlength(t, font=f_pct), 150 + 9), t,
           font=f_pct, fill=GREEN)
    f_ax = font(SANS, 8)
    for i, q in enumerate(["Q1", "Q2", "Q3", "Q4", "Q1", "Q2"]):
        slot = (200 - 26 - 12) / 6
        xm = 246 + 26 + slot * i + slot / 2
        text_center(d, xm, 150 + 156 - 19, q, f_ax, (100, 120, 140))

    # footer text
    ff = font(SANS, 11)
    ffb = font(SANS_B, 11)
    fy = (py1 - py0) - 34 + 11
    d.text((16, fy), "Financial accounting for Windows", font=ff,
           fill=(196, 216, 236))
    v = "Version 7.2"
    d.text(((px1 - px0) - 16 - d.textlength(v, font=ffb), fy), v, font=ffb,
           fill=GOLD_L)

    # compose the panel onto the supersample-downsampled teal base
    base = down(im, w, h)
    # anti-aliased corner mask
    pm_big = rr_mask((s(px1 - px0), s(py1 - py0)), s(6))
    pm = down(pm_big, px1 - px0, py1 - py0)
    base.paste(img, (px0, py0), pm)
    return base


# ---------------------------------------------------------------- finish
def finish():
    w, h = 245, 164
    W, H = s(w), s(h)
    im = vgrad(W, H, (250, 252, 254), (212, 226, 238))
    d = ImageDraw.Draw(im)
    # faint ledger rules
    for y in range(s(20), H, s(13)):
        d.line((0, y, W, y), fill=(222, 232, 242), width=s(0.6))
    # header strip
    hs = s(38)
    im.paste(vgrad(W, hs, (20, 62, 112), (30, 96, 150)), (0, 0))
    d.rectangle((0, hs, W, hs + s(2)), fill=GOLD)
    # small rising bars in the lower right (ghosted)
    ov = Image.new("L", (W, H), 0)
    od = ImageDraw.Draw(ov)
    for i, v in enumerate([20, 30, 27, 42, 55, 70]):
        x0 = s(150 + i * 14)
        od.rectangle((x0, H - s(12) - s(v), x0 + s(9), H - s(12)), fill=70)
    im.paste(Image.new("RGB", (W, H), (60, 140, 180)), (0, 0), ov)
    d.line((s(144), H - s(12), s(236), H - s(12)), fill=(120, 150, 180),
           width=s(1))
    # check badge
    cx, cy, r = s(66), s(100), s(38)
    shadow(im, (cx - r, cy - r, cx + r, cy + r), r, (s(2), s(4)), s(3),
           (90, 110, 130), 150)
    badge = vgrad(2 * r, 2 * r, (64, 190, 130), (16, 116, 74))
    bm = Image.new("L", (2 * r, 2 * r), 0)
    ImageDraw.Draw(bm).ellipse((0, 0, 2 * r - 1, 2 * r - 1), fill=255)
    im.paste(badge, (cx - r, cy - r), bm)
    d.ellipse((cx - r, cy - r, cx + r, cy + r), outline=(255, 255, 255),
              width=s(3))
    d.ellipse((cx - r + s(3), cy - r + s(3), cx + r - s(3), cy + r - s(3)),
              outline=(12, 96, 60), width=s(1))
    # sheen
    sh = Image.new("L", (W, H), 0)
    ImageDraw.Draw(sh).ellipse((cx - r * 0.78, cy - r * 0.86, cx + r * 0.78,
                                cy - r * 0.05), fill=50)
    im.paste(Image.new("RGB", (W, H), (255, 255, 255)), (0, 0), sh)
    # check mark
    ck = [(cx - s(18), cy + s(1)), (cx - s(5), cy + s(14)),
          (cx + s(20), cy - s(15))]
    d.line([(x + s(1.5), y + s(2)) for x, y in ck], fill=(10, 80, 50),
           width=s(8), joint="curve")
    d.line(ck, fill=(255, 255, 255), width=s(8), joint="curve")
    for x, y in (ck[0], ck[2]):
        d.ellipse((x - s(4), y - s(4), x + s(4), y + s(4)), fill=(255, 255, 255))
    img = down(im, w, h)
    # mark and text
    mk = draw_mark(26)
    img.paste(mk, (8, 6), mk)
    dd = ImageDraw.Draw(img)
    f1 = font(SERIF_B, 20)
    f2 = font(SERIF, 15)
    dd.text((41, 7), "Korvu", font=f1, fill=(255, 255, 255))
    dd.text((41 + dd.textlength("Korvu ", font=f1), 11), "ark 7.2", font=f2,
            fill=(176, 232, 228))
    f3 = font(SANS_B, 14)
    f4 = font(SANS, 11)
    dd.text((116, 58), "Setup complete", font=f3, fill=(20, 54, 96))
    dd.text((116, 78), "Your ledgers are", font=f4, fill=(60, 84, 110))
    dd.text((116, 92), "ready to use.", font=f4, fill=(60, 84, 110))
    # 1px frame
    dd.rectangle((0, 0, w - 1, h - 1), outline=(60, 90, 120))
    return img


# ---------------------------------------------------------------- logo
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


# ---------------------------------------------------------------- writers
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


def main():
    write_bmp24(os.path.join(OUT, "background.bmp"), background())
    write_bmp24(os.path.join(OUT, "finish.bmp"), finish())
    write_bmp8(os.path.join(OUT, "logo.bmp"), logo())
    write_ico(os.path.join(OUT, "setup.ico"), [32, 16])


if __name__ == "__main__":
    main()
