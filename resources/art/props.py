"""The objects the pictures show: the bar chart card, the ledger page and
the coins."""

import math

from PIL import ImageDraw

from paint import (
    AQUA_L, GOLD, GOLD_D, GOLD_L, NARROW, NARROW_B, PAPER, RED, SANS_B,
    SERIF_B, SS, font, hgrad, mix, s, vgrad)


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
