"""The Korvu mark, on its own design grid: for the pictures and the icon."""

from PIL import Image, ImageDraw

from paint import GOLD_L, NAVY, SS, vgrad


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
