"""The picture of the last dialog (finish.bmp)."""

from PIL import Image, ImageDraw

from paint import (
    GOLD, SANS, SANS_B, SERIF, SERIF_B, down, font, s, shadow, vgrad)
from mark import draw_mark


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
