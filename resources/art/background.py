"""The setup window's background picture (background.bmp)."""

import math

from PIL import Image, ImageDraw, ImageFilter

from paint import (
    GOLD, GOLD_D, GOLD_L, GREEN, SANS, SANS_B, SERIF, SERIF_B, SERIF_I, TEAL,
    down, font, rr_mask, s, shadow, shadowed_text, text_center, vgrad)
from mark import draw_mark
from props import (
    chart_card, coin_face, coin_k, coin_stack, ledger_page, ledger_text)


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
