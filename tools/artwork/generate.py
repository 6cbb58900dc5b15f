#!/usr/bin/python3
"""Draws Mirvostan's skin: every bitmap of the program and its icon.

    python3 tools/artwork/generate.py [--sheet build/artwork-sheet.png]

Writes every picture twice, src/resources/art/<id>.png at 1x and
src/resources/art/2x/<id>.png at twice the pixels (drawn, not enlarged),
then src/resources/art/app.ico and src/resources/artwork.rc. Needs Debian's python3-pil and the DejaVu and
WenQuanYi fonts. The output only depends on those, so a rerun reproduces
the committed files byte for byte.

Skinned buttons fill their transparent pixels with the button-face colour,
not with what lies behind them, so the button pictures are drawn opaque:
each one repeats the background it sits on (a vertical gradient, which
survives the dialog's layout shifting controls by a few pixels sideways).
The only key-coloured pixels are the cut-away outside of the main window.
"""
import math
import os
import struct
import sys
from io import BytesIO

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
RES = os.path.join(ROOT, 'src', 'resources')
ART = os.path.join(RES, 'art')

FONT_DIR = '/usr/share/fonts/truetype'
F_BOLD = FONT_DIR + '/dejavu/DejaVuSansCondensed-Bold.ttf'
F_REG = FONT_DIR + '/dejavu/DejaVuSansCondensed.ttf'
F_WIDE = FONT_DIR + '/dejavu/DejaVuSans-Bold.ttf'
F_CJK = FONT_DIR + '/wqy/wqy-microhei.ttc'

# ---------------------------------------------------------------- geometry
# The main template's 398 x 281 dialog units are the 807 x 563 background.
def ux(u):
    return int(math.floor(u * 807 / 398 + 0.5))


def uy(u):
    return int(math.floor(u * 563 / 281 + 0.5))


def urect(x, y, w, h):
    """Pixel position and size of a template rectangle."""
    return (ux(x), uy(y), ux(w), uy(h))


MAIN_W, MAIN_H = 807, 563
REGION_W = 804                      # the region is built over a width rounded down to 4
TITLE_TRAY = urect(321, 3, 17, 17)
TITLE_MIN = urect(342, 3, 18, 17)
TITLE_CLOSE = urect(363, 3, 26, 17)
BANNER = urect(19, 16, 338, 48)
# The three tabs: one plate size, one baseline, equal gaps, clear of the flags.
PAGE_BTN = urect(24, 67, 78, 18)    # 1070
PAGE_PERF = urect(107, 67, 78, 18)  # 1072
PAGE_THIRD = urect(190, 67, 78, 18)  # 1071
# OK / Cancel / Apply, clear of the window's bottom edge.
OK_BTN = urect(27, 263, 61, 14)
CANCEL_BTN = urect(104, 263, 61, 14)
APPLY_BTN = urect(180, 263, 61, 14)
TAB = urect(21, 90, 278, 150)
FLAGS = {  # id: (template rectangle, country)
    282: (urect(290, 58, 17, 16), 'gb'),
    283: (urect(273, 58, 17, 15), 'de'),
    284: (urect(306, 58, 15, 16), 'fr'),
    285: (urect(340, 58, 18, 13), 'nl'),
    286: (urect(323, 58, 17, 13), 'it'),
    287: (urect(357, 58, 15, 14), 'cn'),
}
BUTTONS_PAGE = (ux(338), uy(169))
PERF_PAGE = (ux(359), uy(169))

# Controls of the buttons page (147), in page pixels. The eyes stand level
# with their lists (24 pixels high, as the program draws the lists).
BP_SMALL = [urect(86, 21, 10, 12), urect(299, 21, 10, 12), urect(86, 133, 10, 12),
            urect(86, 77, 10, 12), urect(299, 77, 10, 12)]
BP_ILLUSTRATION = urect(101, 5, 110, 78)
BP_DECOR = urect(106, 115, 50, 33)
BP_SWAP_BOX = urect(144, 128, 8, 8)
BP_SWAP_LABEL = urect(158, 126, 52, 11)
# The three profile buttons: the program places them 34 pixels apart.
BP_PROFILE_BUTTONS = (ux(228), uy(115), ux(92), 2 * 34 + uy(13))
# Where the page's black labels sit: above each function list.
BP_LABELS = [urect(5, 10, 80, 9), urect(218, 10, 80, 9), urect(5, 122, 80, 9),
             urect(5, 66, 80, 9), urect(218, 66, 80, 9)]

# Controls of the performance page (161), in page pixels.
PP_TRACK_Y = [uy(24), uy(61), uy(99), uy(141)]
PP_TRACK_X = ux(12)
PP_LABELS = [urect(12, 9, 22, 10), urect(12, 47, 22, 10), urect(12, 84, 22, 10),
             urect(12, 125, 22, 10)]
PP_CAPTION_DPI = urect(122, 9, 91, 17)
PP_CAPTION_RATE = urect(225, 77, 66, 18)
PP_RATE_LIST = urect(294, 79, 48, 12)

TRACK = (404, 42)
TRACK_MARKS = [12, 75, 138, 200, 265, 326, 390]
TRACK_DPI = [600, 1200, 1800, 2400, 3200, 4800, 6000]
TRACK_RAIL_Y = 3                    # the thumb's centre row (thumb top = track top - 1)
THUMB = (10, 8)

KEY_CAPTURE = (ux(93), uy(59))
KEY_PROMPT = urect(17, 18, 62, 11)
KEY_VISIBLE_H = uy(42)              # the dialog itself is 42 units high

# ---------------------------------------------------------------- colours
SKIN_KEY = (20, 255, 12)
GREEN_KEY = (0, 255, 0)
SMALL_KEY = (255, 20, 0)
THUMB_KEY = (0, 0, 0)

ACCENT = (0, 196, 255)
ACCENT_HI = (150, 235, 255)
ACCENT_MID = (0, 128, 175)
ACCENT_LO = (0, 72, 102)
TEXT = (228, 234, 242)
TEXT_DIM = (138, 148, 162)
LINE = (48, 55, 66)
LINE_HI = (74, 84, 99)
PANEL = (17, 20, 25)                # page area
CARD = (25, 29, 36)                 # groups on the pages
CARD_EDGE = (44, 51, 62)


def main_bg_color(y):
    """The main window's frame colour in row y (a top-down gradient)."""
    t = max(0.0, min(1.0, y / (MAIN_H - 1)))
    top, bottom = (31, 35, 43), (15, 17, 21)
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


# ---------------------------------------------------------------- languages
LANGS = ['en', 'de', 'fr', 'nl', 'it', 'zh']
# English id and its variant per language, as the program's language table has them.
LANG_TABLE = {
    'ok_over':           [151, 151, 151, 151, 151, 268],
    'apply_over':        [152, 208, 220, 232, 244, 256],
    'cancel_over':       [153, 210, 222, 234, 246, 258],
    'ok':                [154, 154, 154, 154, 154, 269],
    'apply':             [155, 209, 221, 233, 245, 257],
    'cancel':            [156, 211, 223, 235, 247, 259],
    'page_buttons_sel':  [178, 212, 224, 236, 248, 260],
    'page_perf_sel':     [180, 216, 228, 240, 252, 264],
    'page_perf':         [181, 218, 230, 242, 254, 266],
    'page_buttons':      [182, 214, 226, 238, 250, 262],
    'page_perf_sel_over': [183, 217, 229, 241, 253, 265],
    'page_buttons_sel_over': [184, 213, 225, 237, 249, 261],
    'page_buttons_over': [185, 215, 227, 239, 251, 263],
    'page_perf_over':    [187, 219, 231, 243, 255, 267],
    'caption_dpi':       [199, 272, 274, 276, 278, 280],
    'caption_rate':      [198, 273, 275, 277, 279, 281],
}
WORDS = {
    'ok':          ['OK', 'OK', 'OK', 'OK', 'OK', '确定'],
    'apply':       ['APPLY', 'ÜBERNEHMEN', 'APPLIQUER', 'TOEPASSEN', 'APPLICA', '应用'],
    'cancel':      ['CANCEL', 'ABBRECHEN', 'ANNULER', 'ANNULEREN', 'ANNULLA', '取消'],
    'buttons':     ['BUTTONS', 'TASTEN', 'BOUTONS', 'KNOPPEN', 'TASTI', '按键设置'],
    'performance': ['PERFORMANCE', 'LEISTUNG', 'PERFORMANCES', 'PRESTATIES', 'PRESTAZIONI',
                    '性能设置'],
    'profiles':    ['PROFILES', 'PROFILE', 'PROFILS', 'PROFIELEN', 'PROFILI', '配置文件'],
    'caption_dpi': ['DPI / CPI SETTINGS', 'DPI/CPI-EINSTELLUNGEN', 'RÉGLAGES DPI/CPI',
                    'DPI/CPI-INSTELLINGEN', 'IMPOSTAZIONI DPI/CPI', 'DPI/CPI 设置'],
    'caption_rate': ['USB REPORT RATE', 'USB-ABFRAGERATE', 'FRÉQUENCE USB',
                     'USB-POLLINGRATE', 'FREQUENZA USB', 'USB 回报率'],
}

# ---------------------------------------------------------------- drawing helpers
SS = 4  # supersampling for shapes

# Device pixels per picture pixel: 1 draws the 1x set, 2 the 2x set. Every
# coordinate in this file is in picture pixels (the 1x set's); the helpers
# below turn them into device pixels.
K = 1


def dev(size):
    """A picture size in device pixels."""
    return (size[0] * K, size[1] * K)


def psize(img):
    """The picture size of a device image."""
    return (img.size[0] // K, img.size[1] // K)


def new_mask(size):
    return Image.new('L', dev(size), 0)


def erode(mask, n):
    """What MinFilter(n) does to the 1x picture, at the current scale."""
    return mask.filter(ImageFilter.MinFilter((n - 1) * K + 1))


def blur(radius):
    return ImageFilter.GaussianBlur(radius * K)


class Draw:
    """ImageDraw in picture pixels, where an integer coordinate names a pixel."""

    def __init__(self, im):
        self.d = ImageDraw.Draw(im)

    @staticmethod
    def c(v):
        return v if K == 1 else v * K + (K - 1) / 2.0

    @staticmethod
    def pts(xy):
        if xy and not isinstance(xy[0], (tuple, list)):
            xy = list(zip(xy[0::2], xy[1::2]))
        return [(Draw.c(x), Draw.c(y)) for x, y in xy]

    @staticmethod
    def box(b):
        if isinstance(b[0], (tuple, list)):
            b = [b[0][0], b[0][1], b[1][0], b[1][1]]
        if K == 1:
            return b
        return [b[0] * K, b[1] * K, b[2] * K + K - 1, b[3] * K + K - 1]

    def line(self, xy, fill=None, width=0, joint=None):
        self.d.line(self.pts(xy), fill=fill, width=max(1, width) * K if K > 1 else width, joint=joint)

    def polygon(self, xy, fill=None, outline=None):
        p = self.pts(xy)
        self.d.polygon(p, fill=fill, outline=outline if K == 1 else None)
        if outline is not None and K > 1:
            self.d.line(p + [p[0]], fill=outline, width=K)

    def rectangle(self, b, fill=None, outline=None, width=1):
        self.d.rectangle(self.box(b), fill=fill, outline=outline, width=width * K)

    def ellipse(self, b, fill=None, outline=None, width=1):
        self.d.ellipse(self.box(b), fill=fill, outline=outline, width=width * K)

    def point(self, xy, fill=None):
        if K == 1:
            self.d.point(xy, fill=fill)
        else:
            x, y = xy
            self.d.rectangle([x * K, y * K, x * K + K - 1, y * K + K - 1], fill=fill)


def font(path, size):
    return ImageFont.truetype(path, size)


def device_font(f):
    return f if K == 1 else ImageFont.truetype(f.path, f.size * K)


def canvas(size, color):
    return Image.new('RGB', dev(size), color)


def vgrad(size, c0, c1, y0=0, span=None):
    """Vertical gradient from c0 (row y0) to c1 (row y0 + span)."""
    w, h = size
    span = span or max(1, h - 1)
    col = Image.new('RGB', (1, h * K))
    col.putdata([mix(c0, c1, max(0.0, min(1.0, (y / K - y0) / span))) for y in range(h * K)])
    return col.resize((w * K, h * K), Image.NEAREST)


def frame_bg(size, top):
    """The main window's frame gradient for a picture placed at row `top`."""
    w, h = size
    col = Image.new('RGB', (1, h * K))
    col.putdata([main_bg_color(top + y / K if K > 1 else top + y) for y in range(h * K)])
    return col.resize((w * K, h * K), Image.NEAREST)


def poly_mask(size, pts, ss=SS):
    w, h = size
    s = ss * K
    big = Image.new('L', (w * s, h * s), 0)
    ImageDraw.Draw(big).polygon([(x * s, y * s) for x, y in pts], fill=255)
    return big.resize(dev(size), Image.BOX)


def draw_mask(size, fn, ss=SS):
    """fn(draw, s) draws at scale s; returns the antialiased coverage."""
    w, h = size
    s = ss * K
    big = Image.new('L', (w * s, h * s), 0)
    fn(ImageDraw.Draw(big), s)
    return big.resize(dev(size), Image.BOX)


def scale_mask(mask, k):
    return mask.point(lambda v: int(v * k + 0.5))


def paint(img, mask, color, opacity=1.0):
    if opacity < 1.0:
        mask = scale_mask(mask, opacity)
    img.paste(color, (0, 0) + img.size, mask)


def paint_image(img, layer, mask):
    img.paste(layer, (0, 0), mask)


def glow(img, mask, color, radius, strength=1.0):
    """Screen-blends a blurred copy of mask in color onto img."""
    m = mask.filter(blur(radius))
    if strength != 1.0:
        m = m.point(lambda v: min(255, int(v * strength + 0.5)))
    layer = ImageChops.multiply(Image.new('RGB', img.size, color), Image.merge('RGB', (m, m, m)))
    return ImageChops.screen(img, layer)


def outline_mask(size, pts, width=1.0, ss=SS):
    w, h = size
    s = ss * K
    big = Image.new('L', (w * s, h * s), 0)
    d = ImageDraw.Draw(big)
    p = [(x * s, y * s) for x, y in pts]
    d.line(p + [p[0]], fill=255, width=max(1, int(width * s)), joint='curve')
    return big.resize(dev(size), Image.BOX)


def chamfer_pts(x0, y0, x1, y1, tl=0, tr=0, br=0, bl=0):
    """Rectangle with cut corners, in continuous coordinates (x1, y1 exclusive)."""
    return [(x0 + tl, y0), (x1 - tr, y0), (x1, y0 + tr), (x1, y1 - br), (x1 - br, y1),
            (x0 + bl, y1), (x0, y1 - bl), (x0, y0 + tl)]


def carbon(size, base, amp=5):
    """A subtle woven carbon texture."""
    tile = Image.new('RGB', (8, 8))
    px = []
    for y in range(8):
        for x in range(8):
            cell = ((x // 4) + (y // 4)) % 2
            t = (x % 4) if cell == 0 else (y % 4)
            d = int(round((t - 1.5) * amp / 1.5)) - (1 if (x + y) % 4 == 0 else 0)
            px.append(tuple(max(0, min(255, c + d)) for c in base))
    tile.putdata(px)
    tile = tile.resize((8 * K, 8 * K), Image.NEAREST)
    w, h = dev(size)
    out = Image.new('RGB', (w, h))
    for y in range(0, h, 8 * K):
        for x in range(0, w, 8 * K):
            out.paste(tile, (x, y))
    return out


# ---------------------------------------------------------------- text
def is_cjk(text):
    return any(ord(c) > 0x2e80 for c in text)


def text_font(text, size, bold=True):
    if is_cjk(text):
        return font(F_CJK, size)
    return font(F_BOLD if bold else F_REG, size)


def text_width(text, f, tracking):
    return sum(f.getlength(c) for c in text) + tracking * max(0, len(text) - 1)


def fit_font(text, max_w, size, min_size=8, bold=True, tracking=0.0):
    """The largest size (letter spacing given up first) at which text fits."""
    while True:
        f = text_font(text, size, bold)
        for k in (1.0, 0.5, 0.0):
            tr = 0 if is_cjk(text) else tracking * size * k
            if text_width(text, f, tr) <= max_w:
                return f, tr
        assert size > min_size, 'no room for %r in %d pixels' % (text, max_w)
        size -= 1


def text_mask(size, text, f, tracking, cx, cy):
    """Text centred on (cx, cy): capitals' height for Latin, ink for CJK.
    f and tracking are the 1x set's; the text is drawn at the current scale."""
    if is_cjk(text):
        # The CJK face has no bold: draw at twice the size with a one-pixel
        # stroke, which comes out as a half-pixel heavier weight.
        big = ImageFont.truetype(f.path, f.size * 2 * K)
        l, t, r, b = big.getbbox(text, stroke_width=K)
        m = Image.new('L', (size[0] * 2 * K, size[1] * 2 * K), 0)
        ImageDraw.Draw(m).text((round(2 * K * cx - (l + r) / 2.0), round(2 * K * cy - (t + b) / 2.0)), text,
                               font=big, fill=255, stroke_width=K, stroke_fill=255)
        return m.resize(dev(size), Image.BOX)
    f = device_font(f)
    tracking = tracking * K
    w = text_width(text, f, tracking)
    l, t, r, b = f.getbbox('H', anchor='ls')
    base_y = cy * K + (-t) / 2.0          # baseline so that capitals are centred
    m = new_mask(size)
    d = ImageDraw.Draw(m)
    x = cx * K - w / 2.0
    for c in text:
        d.text((round(x), round(base_y)), c, font=f, fill=255, anchor='ls')
        x += f.getlength(c) + tracking
    return m


def row_size(words, max_w, size, tracking, min_size=8):
    """One text size for a row of plates: the largest at which every word fits."""
    return min(fit_font(w, max_w, size, min_size=min_size, tracking=tracking)[0].size for w in words)


def put_text(img, text, box, size, color, bold=True, tracking=0.08, glow_color=None,
             glow_radius=2.0, glow_strength=1.0, min_size=8):
    x0, y0, x1, y1 = box
    f, tr = fit_font(text, x1 - x0, size, min_size=min_size, bold=bold, tracking=tracking)
    m = text_mask(psize(img), text, f, tr, (x0 + x1) / 2.0, (y0 + y1) / 2.0)
    if glow_color:
        img = glow(img, m, glow_color, glow_radius, glow_strength)
    paint(img, m, color)
    return img


# ---------------------------------------------------------------- key colours
ALL_KEYS = (SKIN_KEY, GREEN_KEY, SMALL_KEY)


def finish(img, key, keyed=None):
    """Makes key-coloured pixels exactly the keyed ones (mask 255), nudging
    any other pixel that happens to equal a key colour."""
    img = img.convert('RGB')
    data = list(img.getdata())
    keys = set(ALL_KEYS) | {key}
    flags = list(keyed.getdata()) if keyed is not None else None
    out = []
    for i, p in enumerate(data):
        if flags is not None and flags[i] >= 128:
            out.append(key)
        elif p in keys:
            r, g, b = p
            out.append((r + 1, g, b) if r < 255 and (r, g, b) == THUMB_KEY else
                       (r, g - 1 if g > 0 else 1, b))
        else:
            out.append(p)
    img.putdata(out)
    expected = sum(1 for v in flags if v >= 128) if flags is not None else 0
    got = sum(1 for p in img.getdata() if p == key)
    assert got == expected, 'key colour %r: %d pixels, expected %d' % (key, got, expected)
    for k in ALL_KEYS:
        if k != key:
            assert k not in set(img.getdata()), 'stray key colour %r' % (k,)
    return img


# ---------------------------------------------------------------- the mouse
def mouse_outline(cx, top, length, width, n=120):
    """Top view of the mouse's body: narrow front, fuller back."""
    pts = []
    p = 2.4
    for i in range(n + 1):
        yy = i / n
        v = abs(2 * yy - 1)
        hw = (1 - v ** p) ** (1 / p) * (0.84 + 0.16 * yy) * width / 2
        pts.append((cx + hw, top + yy * length))
    back = [(2 * cx - x, y) for x, y in reversed(pts)]
    return pts + back


class MouseGeometry:
    def __init__(self, cx, top, length, width):
        self.cx, self.top, self.length, self.width = cx, top, length, width
        self.body = mouse_outline(cx, top, length, width)
        self.split = top + length * 0.43       # rear edge of the main buttons
        self.gap = width * 0.035
        wl = width * 0.085
        self.wheel = (cx - wl, top + length * 0.12, cx + wl, top + length * 0.31)
        # Side buttons on the left (thumb) side: button 4 in front of button 5.
        side_x = cx - width * 0.5
        self.side4 = (side_x - 3, top + length * 0.44, side_x + 6, top + length * 0.56)
        self.side5 = (side_x - 3, top + length * 0.59, side_x + 7, top + length * 0.71)

    def part_masks(self, size):
        body = poly_mask(size, self.body)
        cx, g = self.cx, self.gap
        wx0, wy0, wx1, wy1 = self.wheel
        wheel = draw_mask(size, lambda d, s: d.rounded_rectangle(
            [wx0 * s, wy0 * s, wx1 * s, wy1 * s], radius=(wx1 - wx0) / 2 * s, fill=255))
        wheel_slot = draw_mask(size, lambda d, s: d.rounded_rectangle(
            [(wx0 - 2.5) * s, (wy0 - 3) * s, (wx1 + 2.5) * s, (wy1 + 3) * s],
            radius=(wx1 - wx0 + 5) / 2 * s, fill=255))
        # The main buttons end at the wheel's slot.
        left = ImageChops.multiply(body, poly_mask(size, [(0, 0), (cx - g, 0), (cx - g, self.split),
                                                          (0, self.split)]))
        left = ImageChops.subtract(left, wheel_slot)
        right = ImageChops.multiply(body, poly_mask(size, [(cx + g, 0), (size[0], 0),
                                                           (size[0], self.split),
                                                           (cx + g, self.split)]))
        right = ImageChops.subtract(right, wheel_slot)

        def side(r):
            x0, y0, x1, y1 = r
            return draw_mask(size, lambda d, s: d.rounded_rectangle(
                [x0 * s, y0 * s, x1 * s, y1 * s], radius=3 * s, fill=255))
        return {'body': body, 'left': left, 'right': right, 'wheel': wheel,
                'wheel_slot': wheel_slot, 'side4': side(self.side4), 'side5': side(self.side5)}


def draw_mouse(img, geo, lit=None, faint=False):
    """Draws the mouse; `lit` names the part shown highlighted."""
    m = geo.part_masks(psize(img))
    if faint:
        for part in ('body', 'side4', 'side5'):
            edge = ImageChops.subtract(m[part], erode(m[part], 3))
            paint(img, edge, LINE_HI, 0.55)
        line = draw_mask(psize(img), lambda d, s: d.line(
            [(geo.cx * s, (geo.top + 2) * s), (geo.cx * s, geo.split * s)], fill=255, width=s))
        paint(img, line, LINE_HI, 0.45)
        return img
    # Shell with a soft shadow and a graphite top.
    shadow = m['body'].filter(blur(6))
    paint(img, shadow, (0, 0, 0), 0.7)
    w, h = psize(img)
    shell = vgrad((w, h), (58, 64, 76), (22, 25, 31), int(geo.top), int(geo.length))
    paint_image(img, shell, m['body'])
    # Carbon panel on the palm rest.
    rest = ImageChops.multiply(m['body'], poly_mask(psize(img), [(0, geo.split + 8), (w, geo.split + 8),
                                                               (w, h), (0, h)]))
    rest = erode(rest, 5)
    paint_image(img, carbon(psize(img), (30, 34, 41), 6), rest)
    # Button seams.
    for part in ('left', 'right'):
        edge = ImageChops.subtract(m[part], erode(m[part], 3))
        paint(img, edge, (12, 14, 18), 0.9)
    paint(img, m['wheel_slot'], (10, 11, 14))
    wheel = vgrad((w, h), (80, 88, 102), (36, 40, 48), int(geo.wheel[1]), int(geo.wheel[3] - geo.wheel[1]))
    paint_image(img, wheel, m['wheel'])
    for part in ('side4', 'side5'):
        paint(img, m[part], (44, 49, 58))
        edge = ImageChops.subtract(m[part], erode(m[part], 3))
        paint(img, edge, (12, 14, 18), 0.8)
    # Rim light along the body.
    rim = ImageChops.subtract(m['body'], erode(m['body'], 3))
    paint(img, rim, (92, 102, 118), 0.8)
    # Accent strip in the back.
    strip = draw_mask(psize(img), lambda d, s: d.line(
        [(geo.cx * s, (geo.top + geo.length * 0.62) * s), (geo.cx * s, (geo.top + geo.length * 0.9) * s)],
        fill=255, width=int(2 * s)))
    img = glow(img, strip, ACCENT, 3, 0.8)
    paint(img, strip, ACCENT_MID)
    if lit:
        lm = m[lit]
        img = glow(img, lm, ACCENT, 7, 1.6)
        fill = vgrad((w, h), (70, 220, 255), (0, 120, 170), int(geo.top), int(geo.length * 0.5))
        paint_image(img, fill, scale_mask(lm, 0.92))
        edge = ImageChops.subtract(lm, erode(lm, 3))
        paint(img, edge, ACCENT_HI, 0.9)
    return img


# ---------------------------------------------------------------- pieces
def on_frame(rect):
    """A canvas holding the main window's frame behind a control."""
    x, y, w, h = rect
    return frame_bg((w, h), y)


def title_button(rect, glyph):
    x, y, w, h = rect
    img = on_frame(rect)
    pts = chamfer_pts(1, 1, w - 1, h - 1, tl=5, br=5)
    body = poly_mask((w, h), pts)
    plate = vgrad((w, h), (42, 47, 57), (27, 30, 37))
    paint_image(img, plate, body)
    paint(img, outline_mask((w, h), pts, 1.0), LINE_HI)
    cx, cy = w / 2.0, h / 2.0
    if glyph == 'close':
        g = draw_mask((w, h), lambda d, s: [d.line([((cx - 6) * s, (cy - 6) * s), ((cx + 6) * s, (cy + 6) * s)],
                                                    fill=255, width=int(2.2 * s)),
                                             d.line([((cx - 6) * s, (cy + 6) * s), ((cx + 6) * s, (cy - 6) * s)],
                                                    fill=255, width=int(2.2 * s))])
        color = (240, 92, 80)
    elif glyph == 'min':
        g = draw_mask((w, h), lambda d, s: d.rectangle([(cx - 7) * s, (cy + 4) * s, (cx + 7) * s, (cy + 6.2) * s],
                                                        fill=255))
        color = TEXT
    else:  # to tray: an arrow dropping into a tray
        def fn(d, s):
            d.line([(cx * s, (cy - 8) * s), (cx * s, (cy + 1) * s)], fill=255, width=int(2.2 * s))
            d.polygon([((cx - 5) * s, (cy - 2) * s), ((cx + 5) * s, (cy - 2) * s), (cx * s, (cy + 4) * s)], fill=255)
            d.line([((cx - 8) * s, (cy + 3) * s), ((cx - 8) * s, (cy + 8) * s), ((cx + 8) * s, (cy + 8) * s),
                    ((cx + 8) * s, (cy + 3) * s)], fill=255, width=int(2 * s), joint='curve')
        g = draw_mask((w, h), fn)
        color = TEXT
    img = glow(img, g, color if glyph == 'close' else ACCENT, 2.5, 0.5)
    paint(img, g, color)
    return img


def banner():
    x, y, w, h = BANNER
    img = on_frame(BANNER)
    # The right end slants away under the title buttons and the flag row.
    pts = [(0, 8), (8, 0), (596, 0), (502, h), (0, h)]
    body = poly_mask((w, h), pts)
    panel = carbon((w, h), (22, 25, 31), 4)
    shade = vgrad((w, h), (40, 46, 56), (14, 16, 20))
    panel = Image.blend(panel, shade, 0.55)
    paint_image(img, panel, body)
    # Angled light streaks.
    for i, (sx, a) in enumerate([(300, 0.10), (352, 0.16), (392, 0.22), (424, 0.30), (450, 0.42)]):
        streak = poly_mask((w, h), [(sx, 0), (sx + 16 + 4 * i, 0), (sx + 16 + 4 * i - 70, h), (sx - 70, h)])
        streak = ImageChops.multiply(streak, body)
        paint(img, streak, ACCENT, a * 0.55)
    # Hex grid fading out to the right.
    hexes = new_mask((w, h))
    hd = Draw(hexes)
    r = 9
    for row in range(-1, 8):
        for col in range(0, 40):
            hx = 250 + col * r * 1.75 + (row % 2) * r * 0.875
            hy = row * r * 1.52
            hp = [(hx + r * math.cos(math.radians(60 * k + 30)), hy + r * math.sin(math.radians(60 * k + 30)))
                  for k in range(6)]
            hd.polygon(hp, outline=255)
    fade = Image.linear_gradient('L').rotate(90).resize(dev((w, h)))
    fade = ImageChops.invert(fade).point(lambda v: int(max(0, v - 60) * 0.5))
    hexes = ImageChops.multiply(ImageChops.multiply(hexes, fade), body)
    paint(img, hexes, ACCENT, 0.35)
    # Word mark.
    f = font(F_WIDE, 38)
    m = text_mask((w, h), 'MIRVOSTAN', f, 5, 190, 40)
    img = glow(img, m, ACCENT, 6, 0.9)
    face = vgrad((w, h), (255, 255, 255), (150, 205, 230), 22, 36)
    paint_image(img, face, m)
    f2 = font(F_BOLD, 12)
    m2 = text_mask((w, h), 'PRECISION  GAMING  MOUSE', f2, 3.2, 190, 74)
    paint(img, m2, TEXT_DIM)
    bar = poly_mask((w, h), [(26, 72), (36, 72), (36, 76), (26, 76)])
    paint(img, bar, ACCENT)
    bar = poly_mask((w, h), [(344, 72), (354, 72), (354, 76), (344, 76)])
    paint(img, bar, ACCENT)
    # Edge: light line along the top, accent along the slant and the bottom.
    paint(img, outline_mask((w, h), pts, 1.0), LINE_HI, 0.9)
    acc = draw_mask((w, h), lambda d, s: d.line([(596 * s, 0), (502 * s, h * s), (40 * s, h * s)],
                                                fill=255, width=int(1.6 * s)))
    acc = ImageChops.multiply(acc, poly_mask((w, h), [(0, 0), (w, 0), (w, h), (0, h)]))
    img = glow(img, acc, ACCENT, 3, 1.0)
    paint(img, acc, ACCENT)
    return img


def flag_image(country, w, h):
    """The flag itself, w x h, drawn at supersampling for the diagonals."""
    s = 8
    W, H = w * s, h * s
    f = Image.new('RGB', (W, H), (255, 255, 255))
    d = ImageDraw.Draw(f)
    if country == 'de':
        for i, c in enumerate([(20, 20, 20), (221, 0, 0), (255, 206, 0)]):
            d.rectangle([0, i * H / 3, W, (i + 1) * H / 3], fill=c)
    elif country == 'fr':
        for i, c in enumerate([(0, 38, 84), (255, 255, 255), (206, 17, 38)]):
            d.rectangle([i * W / 3, 0, (i + 1) * W / 3, H], fill=c)
    elif country == 'it':
        for i, c in enumerate([(0, 140, 69), (244, 245, 240), (205, 33, 42)]):
            d.rectangle([i * W / 3, 0, (i + 1) * W / 3, H], fill=c)
    elif country == 'nl':
        for i, c in enumerate([(174, 28, 40), (255, 255, 255), (33, 70, 139)]):
            d.rectangle([0, i * H / 3, W, (i + 1) * H / 3], fill=c)
    elif country == 'cn':
        d.rectangle([0, 0, W, H], fill=(222, 41, 16))
        u = W / 30.0

        def star(cx, cy, r, rot=0):
            pts = []
            for k in range(10):
                a = math.radians(-90 + rot + k * 36)
                rr = r if k % 2 == 0 else r * 0.382
                pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
            d.polygon(pts, fill=(255, 222, 0))
        star(5 * u, 5 * u, 3 * u)
        for (sx, sy) in [(10, 2), (12, 4), (12, 7), (10, 9)]:
            ang = math.degrees(math.atan2(5 - sy, 5 - sx))
            star(sx * u, sy * u, 1 * u, ang + 90 + 180)
    elif country == 'gb':
        blue, red, white = (1, 33, 105), (200, 16, 46), (255, 255, 255)
        d.rectangle([0, 0, W, H], fill=blue)
        # Diagonals on a 60 x 30 grid.
        kx, ky = W / 60.0, H / 30.0

        def P(x, y):
            return (x * kx, y * ky)

        def band(p0, p1, width):
            (x0, y0), (x1, y1) = p0, p1
            dx, dy = (x1 - x0) * kx, (y1 - y0) * ky
            ln = math.hypot(dx, dy)
            nx, ny = -dy / ln, dx / ln
            hw = width / 2.0 * (kx + ky) / 2.0
            a, b = P(x0, y0), P(x1, y1)
            return [(a[0] + nx * hw, a[1] + ny * hw), (b[0] + nx * hw, b[1] + ny * hw),
                    (b[0] - nx * hw, b[1] - ny * hw), (a[0] - nx * hw, a[1] - ny * hw)]
        d.polygon(band((0, 0), (60, 30), 6), fill=white)
        d.polygon(band((0, 30), (60, 0), 6), fill=white)
        # The red diagonals, offset anticlockwise (counterchanged).
        red_mask = Image.new('L', (W, H), 0)
        rd = ImageDraw.Draw(red_mask)
        rd.polygon(band((0, 0), (60, 30), 2), fill=255)
        rd.polygon(band((0, 30), (60, 0), 2), fill=255)
        keep = Image.new('L', (W, H), 0)
        kd = ImageDraw.Draw(keep)
        # Each quarter keeps the half of its diagonal that lies clockwise-behind.
        kd.polygon([P(0, 0), P(30, 15), P(0, 15)], fill=255)      # top left: below the line
        kd.polygon([P(60, 0), P(30, 15), P(30, 0)], fill=255)     # top right: above
        kd.polygon([P(60, 30), P(30, 15), P(60, 15)], fill=255)   # bottom right: above
        kd.polygon([P(0, 30), P(30, 15), P(30, 30)], fill=255)    # bottom left: below
        f.paste(red, (0, 0), ImageChops.multiply(red_mask, keep))
        d.rectangle([P(25, 0), P(35, 30)], fill=white)
        d.rectangle([P(0, 10), P(60, 20)], fill=white)
        d.rectangle([P(27, 0), P(33, 30)], fill=red)
        d.rectangle([P(0, 12), P(60, 18)], fill=red)
    return f.resize((w, h), Image.BOX)


def flag_button(rect, country):
    x, y, w, h = rect
    img = on_frame(rect)
    fw, fh = 26, 17                   # same size in every slot, left aligned
    fx, fy = 2, 6
    fl = flag_image(country, fw * K, fh * K)
    # A soft sheen over the cloth.
    sheen = vgrad((fw, fh), (255, 255, 255), (0, 0, 0))
    fl = Image.blend(fl, ImageChops.multiply(fl, sheen), 0.0)
    hi = vgrad((fw, fh), (60, 60, 60), (0, 0, 0), 0, fh // 2)
    fl = ImageChops.add(fl, hi)
    shadow = new_mask((w, h))
    Draw(shadow).rectangle([fx, fy + 1, fx + fw + 1, fy + fh + 1], fill=255)
    paint(img, shadow.filter(blur(1.5)), (0, 0, 0), 0.7)
    Draw(img).rectangle([fx - 1, fy - 1, fx + fw, fy + fh], outline=(70, 78, 92))
    img.paste(fl, (fx * K, fy * K))
    return img


# The text's room on OK / Cancel / Apply: clear of the cut corners.
CMD_MARGIN = 14
# ... and on a tab: clear of its slanted ends.
TAB_SLANT, TAB_MARGIN = 9, 6


def command_size(li):
    """The text size of the bottom row in language li. The five languages in
    Latin letters share one OK picture, so they share one size."""
    w = OK_BTN[2] - 2 * CMD_MARGIN
    langs = [5] if li == 5 else range(5)
    return min(row_size([WORDS[k][l] for k in ('ok', 'cancel', 'apply')], w, 15, 0.10) for l in langs)


def tab_size(li):
    """The text size of the tabs in language li."""
    w = PAGE_BTN[2] - 2 * (TAB_SLANT + TAB_MARGIN)
    return row_size([WORDS[k][li] for k in ('buttons', 'performance', 'profiles')], w, 14, 0.10)


def push_button(rect, word, over, size=15):
    """OK / Cancel / Apply."""
    x, y, w, h = rect
    img = on_frame(rect)
    pts = chamfer_pts(0.5, 0.5, w - 0.5, h - 0.5, tl=8, br=8)
    body = poly_mask((w, h), pts)
    if over:
        fill = vgrad((w, h), (0, 118, 160), (0, 56, 82))
        edge_col, text_col = ACCENT_HI, (255, 255, 255)
    else:
        fill = vgrad((w, h), (48, 54, 65), (28, 31, 38))
        edge_col, text_col = (84, 95, 112), TEXT
    paint_image(img, fill, body)
    if over:
        inner = ImageChops.subtract(body, erode(body, 7))
        img = glow(img, inner, ACCENT, 3, 0.6)
    edge = outline_mask((w, h), pts, 1.0)
    paint(img, edge, edge_col)
    # A light tick on the cut corner.
    tick = poly_mask((w, h), [(w - 16, h - 3), (w - 9, h - 3), (w - 4, h - 8), (w - 4, h - 4), (w - 8, h - 0.5),
                              (w - 16, h - 0.5)])
    paint(img, tick, ACCENT if not over else ACCENT_HI)
    img = put_text(img, word, (CMD_MARGIN, 0, w - CMD_MARGIN, h), size, text_col, tracking=0.10,
                   glow_color=ACCENT if over else None, glow_radius=3, glow_strength=0.8)
    return img


def page_button(rect, word, selected, over, size=14):
    x, y, w, h = rect
    img = on_frame(rect)
    sl = TAB_SLANT
    pts = [(sl, 0.5), (w - 0.5, 0.5), (w - 0.5 - sl, h - 0.5), (0.5, h - 0.5)]
    body = poly_mask((w, h), pts)
    if selected:
        fill = vgrad((w, h), (36, 46, 58), (18, 40, 54))
        edge_col = ACCENT_MID if not over else ACCENT
        text_col = (255, 255, 255)
    else:
        fill = vgrad((w, h), (36, 40, 48), (24, 27, 33))
        edge_col = LINE_HI if not over else ACCENT_MID
        text_col = TEXT_DIM if not over else TEXT
    paint_image(img, fill, body)
    edge = outline_mask((w, h), pts, 1.0)
    paint(img, edge, edge_col)
    if selected:
        bar = ImageChops.multiply(body, poly_mask((w, h), [(0, h - 4), (w, h - 4), (w, h), (0, h)]))
        img = glow(img, bar, ACCENT, 4, 1.4 if over else 1.0)
        paint(img, bar, ACCENT)
        notch = poly_mask((w, h), [(sl + 3, 3), (sl + 13, 3), (sl + 10, 6), (sl, 6)])
        paint(img, notch, ACCENT)
    elif over:
        inner = ImageChops.subtract(body, erode(body, 5))
        img = glow(img, inner, ACCENT, 3, 0.5)
    if word:
        img = put_text(img, word, (sl + TAB_MARGIN, 0, w - sl - TAB_MARGIN, h - 3), size, text_col,
                       tracking=0.10, glow_color=ACCENT if (selected or over) else None,
                       glow_radius=3, glow_strength=0.9 if over else 0.5)
    return img


# ---------------------------------------------------------------- main background
def window_shape():
    W, H = REGION_W - 1, MAIN_H - 1
    return [(18, 0), (W - 16, 0), (W, 16), (W, 236), (W - 6, 242), (W - 6, 330), (W, 336),
            (W, 500), (W - 62, H), (18, H), (0, H - 18), (0, 336), (6, 330), (6, 242), (0, 236),
            (0, 18)]


def main_background():
    size = (MAIN_W, MAIN_H)
    shape_pts = window_shape()
    inside = new_mask(size)
    if K == 1:
        Draw(inside).polygon(shape_pts, fill=255, outline=255)
    else:
        # Stretched so that the outermost pixels stay inside, as at 1x.
        sx = (REGION_W * K - 1) / float(REGION_W - 1)
        sy = (MAIN_H * K - 1) / float(MAIN_H - 1)
        ImageDraw.Draw(inside).polygon([(x * sx, y * sy) for x, y in shape_pts], fill=255, outline=255)
    img = frame_bg(size, 0)
    # Carbon on the side rails and in the bottom right, where nothing sits.
    cb = carbon(size, (22, 25, 31), 4)
    rails = new_mask(size)
    rd = Draw(rails)
    rd.rectangle([0, 178, 38, 522], fill=255)
    rd.rectangle([776, 178, 806, 522], fill=255)
    rd.polygon([(500, 526), (806, 526), (806, 562), (500, 562)], fill=255)
    img.paste(Image.blend(img, cb, 0.6), (0, 0), rails)
    d = Draw(img)
    # Title: a small mark and the name.
    mark = poly_mask(size, [(22, 10), (32, 10), (40, 19), (32, 28), (22, 28), (30, 19)])
    img = glow(img, mark, ACCENT, 3, 0.9)
    paint(img, mark, ACCENT)
    mark2 = poly_mask(size, [(36, 10), (42, 10), (50, 19), (42, 28), (36, 28), (44, 19)])
    paint(img, mark2, ACCENT_MID)
    tf = font(F_WIDE, 14)
    tw = text_width('MIRVOSTAN', tf, 3.0)
    m = text_mask(size, 'MIRVOSTAN', tf, 3.0, 60 + tw / 2.0, 19)
    paint(img, m, TEXT)
    # A rule from the name towards the title buttons, fading out.
    rx0, rx1 = int(60 + tw + 14), TITLE_TRAY[0] - 16
    rule = new_mask(size)
    Draw(rule).line([(rx0, 19), (rx1, 19)], fill=255)
    n = (rx1 - rx0 + 1) * K
    ramp = Image.new('L', (n, 1))
    ramp.putdata([int(255 * (1 - (min(i / K, rx1 - rx0) if K > 1 else i) / float(rx1 - rx0)) ** 1.5) for i in range(n)])
    fade = new_mask(size)
    fade.paste(ramp.resize((n, 3 * K)), (rx0 * K, 18 * K))
    paint(img, ImageChops.multiply(rule, fade), ACCENT_MID)
    seg = poly_mask(size, [(rx0, 17.5), (rx0 + 24, 17.5), (rx0 + 24, 20.5), (rx0, 20.5)])
    paint(img, seg, ACCENT)
    # Page area: a recessed panel with a frame.
    tx, ty = TAB[0], TAB[1]
    px0, py0, px1, py1 = tx - 3, ty - 3, tx + PERF_PAGE[0] + 2, ty + PERF_PAGE[1] + 2
    d = Draw(img)
    d.rectangle([px0, py0, px1, py1], fill=PANEL, outline=LINE)
    # Accent brackets on the panel corners.
    br = new_mask(size)
    bd = Draw(br)
    for (cx, cy, sx, sy) in [(px0, py0, 1, 1), (px1, py0, -1, 1), (px0, py1, 1, -1), (px1, py1, -1, -1)]:
        bd.line([(cx, cy + sy * 14), (cx, cy), (cx + sx * 14, cy)], fill=255, width=2)
    img = glow(img, br, ACCENT, 2.5, 0.8)
    paint(img, br, ACCENT)
    # Tab rail under the page buttons.
    rail_y = ty - 8
    rail = new_mask(size)
    Draw(rail).line([(px0, rail_y), (px1, rail_y)], fill=255, width=1)
    paint(img, rail, LINE_HI)
    # Side rail ticks.
    ticks = new_mask(size)
    td = Draw(ticks)
    for yy in range(196, 506, 12):
        td.line([(16, yy), (22 if (yy - 196) % 48 else 28, yy)], fill=255)
        td.line([(786, yy), (780 if (yy - 196) % 48 else 774, yy)], fill=255)
    paint(img, ticks, LINE_HI)
    # Bottom right: slashes and a line.
    sl = new_mask(size)
    sd = Draw(sl)
    for i in range(5):
        bx = 520 + i * 11
        sd.polygon([(bx + 6, 536), (bx + 11, 536), (bx + 5, 550), (bx, 550)], fill=255)
    sd.line([(580, 543), (700, 543)], fill=255)
    img = glow(img, sl, ACCENT, 2, 0.6)
    paint(img, sl, ACCENT_MID)
    # Window edge: a light rim with accent on the cut corners.
    rim = ImageChops.subtract(inside, erode(inside, 3))
    paint(img, rim, (70, 80, 96))
    acc = new_mask(size)
    ad = Draw(acc)
    W, H = REGION_W - 1, MAIN_H - 1
    for seg in [[(0, 60), (0, 18), (18, 0), (90, 0)], [(W - 90, 0), (W - 16, 0), (W, 16), (W, 60)],
                [(W, 430), (W, 500), (W - 62, H), (W - 150, H)], [(60, H), (18, H), (0, H - 18), (0, H - 60)],
                [(W - 6, 246), (W - 6, 326)], [(6, 246), (6, 326)]]:
        ad.line(seg, fill=255, width=2)
    acc = ImageChops.multiply(acc, inside)
    img = glow(img, acc, ACCENT, 3, 1.0)
    paint(img, acc, ACCENT)
    outside = ImageChops.invert(inside)
    img.paste(SKIN_KEY, (0, 0) + dev(size), outside)
    return finish(img, SKIN_KEY, outside)


# ---------------------------------------------------------------- buttons page
BP_CARD_RECTS = [  # group frames, page pixels: left, right, middle, button 4, button 5
    (4, 12, 200, 110), (436, 12, 632, 110), (4, 236, 200, 330), (4, 124, 200, 216), (436, 124, 632, 216)]
BP_SWAP_CARD = (208, 222, 432, 306)
BP_ILLU_MOUSE = (BP_ILLUSTRATION[2] / 2.0, 14, 128, 84)   # cx, top, length, width inside 1083


def card(img, rect, corner=10):
    x0, y0, x1, y1 = rect
    pts = chamfer_pts(x0, y0, x1, y1, tl=corner, br=corner)
    m = poly_mask(psize(img), pts)
    paint(img, m, CARD)
    paint(img, outline_mask(psize(img), pts, 1.0), CARD_EDGE)
    tick = new_mask(psize(img))
    Draw(tick).line([(x0 + corner + 2, y0), (x0 + corner + 26, y0)], fill=255, width=2)
    paint(img, tick, ACCENT_MID)
    return img


def label_plate(img, rect, pad_x=4):
    """A light accent tag under a black page label."""
    x, y, w, h = rect
    x0, y0, x1, y1 = x - pad_x, y - 3, x + w + pad_x, y + h + 3
    pts = chamfer_pts(x0, y0, x1, y1, tr=6, bl=6)
    m = poly_mask(psize(img), pts)
    img = glow(img, m, ACCENT, 4, 0.5)
    paint_image(img, vgrad(psize(img), (120, 220, 250), (40, 170, 215), int(y0), int(y1 - y0)), m)
    hi = ImageChops.multiply(m, poly_mask(psize(img), [(x0, y0), (x1, y0), (x1, y0 + 1.2), (x0, y0 + 1.2)]))
    paint(img, hi, (215, 245, 255))
    return img


def buttons_page_background():
    size = BUTTONS_PAGE
    img = canvas(size, PANEL)
    for r in BP_CARD_RECTS:
        img = card(img, r)
    # Swap corner and profile corner.
    img = card(img, BP_SWAP_CARD)
    px, py, pw, ph = BP_PROFILE_BUTTONS
    img = card(img, (px - 10, py - 10, px + pw + 10, py + ph + 10))
    for r in BP_LABELS:
        img = label_plate(img, r)
    # The swap label's plate, whole, its text centred on it.
    sx, sy, sw, sh = BP_SWAP_LABEL
    img = label_plate(img, (sx, sy + 3, sw, sh - 6), pad_x=2)
    # The idle mouse in the illustration area, with callout lines to the groups.
    ix, iy, iw, ih = BP_ILLUSTRATION
    cx, top, length, width = BP_ILLU_MOUSE
    geo = MouseGeometry(ix + cx, iy + top, length, width)
    img = draw_mouse(img, geo, faint=True)
    lines = new_mask(size)
    ld = Draw(lines)
    left, right = BP_CARD_RECTS[0][2], BP_CARD_RECTS[1][0]
    for (x0, y0), (x1, y1) in [((left, 50), (geo.cx - 22, geo.top + 30)),
                               ((right, 50), (geo.cx + 22, geo.top + 30)),
                               ((left, 160), (geo.side4[0], (geo.side4[1] + geo.side4[3]) / 2)),
                               ((right, 160), (geo.cx + width / 2 - 4, geo.top + 100))]:
        ld.line([(x0, y0), ((x0 + x1) / 2, y0), (x1, y1)], fill=255)
        ld.ellipse([x1 - 2, y1 - 2, x1 + 2, y1 + 2], fill=255)
    # The middle button's runs up the gap beside the swap corner.
    gap = (left + BP_SWAP_CARD[0]) / 2.0
    ld.line([(left, 250), (gap, 250), (gap, 214), (geo.cx, geo.wheel[3])], fill=255)
    ld.ellipse([geo.cx - 2, geo.wheel[3] - 2, geo.cx + 2, geo.wheel[3] + 2], fill=255)
    paint(img, lines, ACCENT_LO)
    return finish(img, SKIN_KEY)


def illustration(lit, tag):
    x, y, w, h = BP_ILLUSTRATION
    img = canvas((w, h), PANEL)
    cx, top, length, width = BP_ILLU_MOUSE
    # Target rings behind the mouse.
    rings = new_mask((w, h))
    rd = Draw(rings)
    for r in (44, 64, 84):
        rd.ellipse([cx - r, top + length / 2 - r, cx + r, top + length / 2 + r], outline=255)
    paint(img, rings, LINE, 0.9)
    geo = MouseGeometry(cx, top, length, width)
    img = draw_mouse(img, geo, lit=lit)
    # Callout with the button's short name.
    anchors = {'left': (cx - 22, top + 24), 'right': (cx + 22, top + 24),
               'wheel': (cx, top + length * 0.2), 'side4': (geo.side4[0] + 2, (geo.side4[1] + geo.side4[3]) / 2),
               'side5': (geo.side5[0] + 2, (geo.side5[1] + geo.side5[3]) / 2)}
    ax, ay = anchors[lit]
    right_side = lit in ('right',)
    tx = w - 30 if right_side else 8
    ty = 16 if lit in ('left', 'right', 'wheel') else ay - 10
    lines = new_mask((w, h))
    ld = Draw(lines)
    ex = tx if right_side else tx + 22
    ld.line([(ax, ay), (ex + (10 if not right_side else -10), ty + 10), (ex, ty + 10)], fill=255)
    ld.ellipse([ax - 2.5, ay - 2.5, ax + 2.5, ay + 2.5], fill=255)
    paint(img, lines, ACCENT)
    tag_pts = chamfer_pts(tx, ty, tx + 22, ty + 20, tr=5, bl=5)
    m = poly_mask((w, h), tag_pts)
    img = glow(img, m, ACCENT, 4, 0.8)
    paint(img, m, ACCENT)
    img = put_text(img, tag, (tx, ty, tx + 22, ty + 20), 13, (6, 16, 22), tracking=0)
    return finish(img, SKIN_KEY)


def small_button():
    """The eye beside each function list."""
    w, h = BP_SMALL[0][2], BP_SMALL[0][3]
    img = canvas((w, h), CARD)
    pts = chamfer_pts(0.5, 0.5, w - 0.5, h - 0.5, tl=4, br=4)
    body = poly_mask((w, h), pts)
    paint_image(img, vgrad((w, h), (44, 50, 60), (30, 34, 41)), body)
    paint(img, outline_mask((w, h), pts, 1.0), (84, 95, 112))
    cx, cy = w / 2.0, h / 2.0

    def eye(d, s):
        d.ellipse([(cx - 7) * s, (cy - 4.2) * s, (cx + 7) * s, (cy + 4.2) * s], outline=255, width=int(1.3 * s))
        d.ellipse([(cx - 2.4) * s, (cy - 2.4) * s, (cx + 2.4) * s, (cy + 2.4) * s], fill=255)
    g = draw_mask((w, h), eye)
    img = glow(img, g, ACCENT, 2, 0.9)
    paint(img, g, ACCENT)
    return finish(img, SMALL_KEY)


def swap_decoration():
    x, y, w, h = BP_DECOR
    img = canvas((w, h), CARD)
    # The box sits at (bx, by) inside this picture: a dark well centred on it,
    # whole inside the picture.
    bx, by = BP_SWAP_BOX[0] - x, BP_SWAP_BOX[1] - y
    bw = BP_SWAP_BOX[2]
    assert bx - 5 >= 0 and bx + bw + 5 <= w, 'the swap box\'s well leaves its picture'
    well_pts = chamfer_pts(bx - 5, by - 5, bx + bw + 5, by + bw + 5, tl=4, br=4)
    paint(img, poly_mask((w, h), well_pts), (18, 21, 26))
    paint(img, outline_mask((w, h), well_pts), CARD_EDGE)
    # A wheel between two arrows.
    wx, wy = 16, h / 2.0
    wheel = draw_mask((w, h), lambda d, s: d.rounded_rectangle([(wx - 7) * s, (wy - 19) * s, (wx + 7) * s,
                                                                (wy + 19) * s], radius=7 * s, fill=255))
    img = glow(img, wheel, ACCENT, 3, 0.5)
    paint_image(img, vgrad((w, h), (78, 86, 100), (34, 38, 46), int(wy - 19), 38), wheel)
    ridges = new_mask((w, h))
    rd = Draw(ridges)
    for k in range(-15, 16, 4):
        rd.line([(wx - 5, wy + k), (wx + 5, wy + k)], fill=255)
    paint(img, ImageChops.multiply(ridges, erode(wheel, 3)), (20, 23, 28), 0.9)
    paint(img, ImageChops.subtract(wheel, erode(wheel, 3)), (110, 122, 140))

    def arrows(d, s):
        ax = 38
        d.polygon([(ax * s, 6 * s), ((ax + 9) * s, 17 * s), ((ax - 9) * s, 17 * s)], fill=255)
        d.line([(ax * s, 15 * s), (ax * s, 28 * s)], fill=255, width=int(2.5 * s))
        d.polygon([(ax * s, (h - 6) * s), ((ax + 9) * s, (h - 17) * s), ((ax - 9) * s, (h - 17) * s)], fill=255)
        d.line([(ax * s, (h - 15) * s), (ax * s, (h - 28) * s)], fill=255, width=int(2.5 * s))
    a = draw_mask((w, h), arrows)
    img = glow(img, a, ACCENT, 3, 0.9)
    paint(img, a, ACCENT)
    # Swap symbol between arrows and box.
    sw = draw_mask((w, h), lambda d, s: [d.line([(53 * s, (wy - 6) * s), (63 * s, (wy - 6) * s)], fill=255, width=s * 2),
                                         d.line([(53 * s, (wy + 6) * s), (63 * s, (wy + 6) * s)], fill=255, width=s * 2),
                                         d.polygon([(67 * s, (wy - 6) * s), (62 * s, (wy - 10) * s),
                                                    (62 * s, (wy - 2) * s)], fill=255),
                                         d.polygon([(49 * s, (wy + 6) * s), (54 * s, (wy + 2) * s),
                                                    (54 * s, (wy + 10) * s)], fill=255)])
    paint(img, sw, TEXT_DIM)
    return finish(img, SKIN_KEY)


# ---------------------------------------------------------------- performance page
PP_DPI_CARD = (8, 8, 442, 106)
PP_TRACE_CARD = (8, 116, 442, 332)
PP_RATE_CARD = (448, 130, 720, 214)


def track_row(img, x0, y0, width):
    """The rail of a track, drawn into img at (x0, y0) over `width` pixels."""
    rail = poly_mask(psize(img), [(x0 + 4, y0 + 1.5), (x0 + width - 4, y0 + 1.5), (x0 + width - 4, y0 + 5.5),
                                (x0 + 4, y0 + 5.5)])
    paint(img, rail, (8, 9, 12))
    hl = poly_mask(psize(img), [(x0 + 5, y0 + 5), (x0 + width - 5, y0 + 5), (x0 + width - 5, y0 + 6),
                              (x0 + 5, y0 + 6)])
    paint(img, hl, (60, 68, 82))
    core = poly_mask(psize(img), [(x0 + 6, y0 + 3), (x0 + width - 6, y0 + 3), (x0 + width - 6, y0 + 4),
                                (x0 + 6, y0 + 4)])
    paint(img, core, ACCENT_LO)
    return img


def dpi_track():
    w, h = TRACK
    img = canvas((w, h), CARD)
    img = track_row(img, 0, 0, w)
    ticks = new_mask((w, h))
    td = Draw(ticks)
    minor = new_mask((w, h))
    md = Draw(minor)
    for a, b in zip(TRACK_MARKS, TRACK_MARKS[1:]):
        for k in (1, 2, 3):
            mx = round(a + (b - a) * k / 4.0)
            md.line([(mx, 9), (mx, 11)], fill=255)
    for mx in TRACK_MARKS:
        td.polygon([(mx - 2.5, 8), (mx + 3.5, 8), (mx + 0.5, 13)], fill=255)
    paint(img, minor, LINE_HI)
    img = glow(img, ticks, ACCENT, 2, 0.7)
    paint(img, ticks, ACCENT)
    f = font(F_BOLD, 11)
    for mx, dpi in zip(TRACK_MARKS, TRACK_DPI):
        m = text_mask((w, h), str(dpi), f, 0.5, mx + 0.5, 23)
        paint(img, m, TEXT_DIM)
    return finish(img, SKIN_KEY)


def dpi_thumb():
    w, h = THUMB
    img = canvas((w, h), CARD)
    body = draw_mask((w, h), lambda d, s: d.rounded_rectangle([0.5 * s, 0.5 * s, (w - 0.5) * s, (h - 0.5) * s],
                                                              radius=2.5 * s, fill=255))
    paint_image(img, vgrad((w, h), (170, 240, 255), (0, 150, 210)), body)
    core = poly_mask((w, h), [(4, 2), (6, 2), (6, 6), (4, 6)])
    paint(img, core, (255, 255, 255))
    return finish(img, THUMB_KEY)


def level_label(n, over):
    x, y, w, h = PP_LABELS[0]
    img = canvas((w, h), CARD)
    pts = chamfer_pts(0.5, 0.5, w - 0.5, h - 0.5, tl=5, br=5)
    body = poly_mask((w, h), pts)
    if over:
        paint_image(img, vgrad((w, h), (0, 150, 200), (0, 82, 115)), body)
        img = glow(img, ImageChops.subtract(body, erode(body, 5)), ACCENT, 2, 0.8)
        paint(img, outline_mask((w, h), pts), ACCENT_HI)
        col, sub = (255, 255, 255), (200, 240, 255)
    else:
        paint_image(img, vgrad((w, h), (44, 50, 60), (30, 34, 41)), body)
        paint(img, outline_mask((w, h), pts), (84, 95, 112))
        col, sub = TEXT, TEXT_DIM
    bar = poly_mask((w, h), [(4, 5), (7, 5), (7, h - 5), (4, h - 5)])
    paint(img, bar, ACCENT if not over else (255, 255, 255))
    img = put_text(img, str(n), (8, 0, w - 2, h), 14, col, tracking=0)
    return finish(img, GREEN_KEY)


def caption(word, rect, rail=None):
    x, y, w, h = rect
    img = canvas((w, h), CARD)
    if rail is not None:
        # The first track's rail runs under this picture's bottom rows.
        ty = rail[1] - y
        img = track_row(img, rail[0] - x, ty, TRACK[0])
    bar = poly_mask((w, h), [(2, 7), (6, 7), (6, 25), (2, 25)])
    img = glow(img, bar, ACCENT, 3, 0.9)
    paint(img, bar, ACCENT)
    img = put_text(img, word, (11, 2, w - 8, 30), 14, TEXT, tracking=0.07, glow_color=ACCENT,
                   glow_radius=3, glow_strength=0.35, min_size=9)
    under = poly_mask((w, h), [(11, 27), (w - 4, 27), (w - 4, 28), (11, 28)])
    paint(img, under, LINE_HI)
    return finish(img, SKIN_KEY)


def perf_page_background():
    size = PERF_PAGE
    img = canvas(size, PANEL)
    img = card(img, PP_DPI_CARD, corner=14)
    img = card(img, PP_RATE_CARD, corner=10)
    # Header of the DPI card: a sensor glyph and a rule that runs into the caption's.
    sx, sy = PP_TRACK_X + 12, PP_CAPTION_DPI[1] + 13
    glyph = draw_mask(size, lambda d, s: [d.ellipse([(sx - 8) * s, (sy - 8) * s, (sx + 8) * s, (sy + 8) * s],
                                                    outline=255, width=int(1.5 * s)),
                                          d.ellipse([(sx - 3) * s, (sy - 3) * s, (sx + 3) * s, (sy + 3) * s],
                                                    fill=255)])
    img = glow(img, glyph, ACCENT, 3, 0.9)
    paint(img, glyph, ACCENT)
    rule_y = PP_CAPTION_DPI[1] + 27
    rule = poly_mask(size, [(sx + 14, rule_y), (PP_CAPTION_DPI[0] + 12, rule_y),
                            (PP_CAPTION_DPI[0] + 12, rule_y + 1), (sx + 14, rule_y + 1)])
    paint(img, rule, LINE_HI)
    img = track_row(img, PP_TRACK_X, PP_TRACK_Y[0], TRACK[0])
    # Below: a motion trace on a dotted grid (the hidden levels 2..4 would sit here).
    img = card(img, PP_TRACE_CARD, corner=14)
    x0, y0, x1, y1 = PP_TRACE_CARD
    dots = new_mask(size)
    dd = Draw(dots)
    for gy in range(y0 + 20, y1 - 8, 16):
        for gx in range(x0 + 20, x1 - 8, 16):
            dd.point((gx, gy), fill=255)
    paint(img, dots, LINE_HI, 0.9)
    axis = new_mask(size)
    ad = Draw(axis)
    ad.line([(x0 + 20, y1 - 28), (x1 - 16, y1 - 28)], fill=255)
    ad.line([(x0 + 20, y0 + 20), (x0 + 20, y1 - 28)], fill=255)
    paint(img, axis, CARD_EDGE)
    pts = []
    for i in range(0, 361):
        t = i / 360.0
        xx = x0 + 24 + t * (x1 - x0 - 48)
        yy = (y0 + y1) / 2.0 + 8 - 46 * math.sin(t * math.pi * 2.2 + 0.4) * (0.55 + 0.45 * t) \
            - 14 * math.sin(t * math.pi * 7.1)
        pts.append((xx, yy))
    trace = draw_mask(size, lambda d, s: d.line([(a * s, b * s) for a, b in pts], fill=255, width=int(1.6 * s),
                                                joint='curve'))
    fade = Image.linear_gradient('L').rotate(90).resize(dev(size))
    trace = ImageChops.multiply(trace, ImageChops.invert(fade).point(lambda v: min(255, 60 + v)))
    img = glow(img, trace, ACCENT, 4, 0.7)
    paint(img, trace, ACCENT_MID)
    for t in (0.18, 0.47, 0.81):
        px, py = pts[int(t * 360)]
        dot = draw_mask(size, lambda d, s: d.ellipse([(px - 3) * s, (py - 3) * s, (px + 3) * s, (py + 3) * s],
                                                     fill=255))
        img = glow(img, dot, ACCENT, 3, 1.0)
        paint(img, dot, ACCENT_HI)
    # The report rate list sits in a dark well.
    rx, ry, rw, rh = PP_RATE_LIST
    well = chamfer_pts(rx - 8, ry - 8, rx + rw + 12, ry + 32, tl=5, br=5)
    paint(img, poly_mask(size, well), (18, 21, 26))
    paint(img, outline_mask(size, well), CARD_EDGE)
    # A sensor motif in the free corner above the report rate.
    img = card(img, (448, 8, 720, 120), corner=10)
    img = card(img, (448, 224, 720, 332), corner=10)
    cx, cy = 584, 64
    deco = new_mask(size)
    dd = Draw(deco)
    for r in (14, 26, 40):
        dd.ellipse([cx - r, cy - r, cx + r, cy + r], outline=255)
    dd.line([(cx - 52, cy), (cx - 6, cy)], fill=255)
    dd.line([(cx + 6, cy), (cx + 52, cy)], fill=255)
    dd.line([(cx, cy - 48), (cx, cy - 6)], fill=255)
    dd.line([(cx, cy + 6), (cx, cy + 48)], fill=255)
    paint(img, deco, LINE_HI, 0.8)
    dot = draw_mask(size, lambda d, s: d.ellipse([(cx - 4) * s, (cy - 4) * s, (cx + 4) * s, (cy + 4) * s], fill=255))
    img = glow(img, dot, ACCENT, 5, 1.2)
    paint(img, dot, ACCENT_HI)
    # Speed lines in the bottom right.
    sp = new_mask(size)
    sd = Draw(sp)
    for i, (y0, ln) in enumerate([(250, 190), (262, 140), (274, 220), (286, 120), (298, 170)]):
        sd.line([(712 - ln, y0), (712, y0)], fill=255)
    fade = Image.linear_gradient('L').rotate(90).resize(dev(size))
    fade = ImageChops.invert(fade)
    paint(img, ImageChops.multiply(sp, fade), ACCENT_MID, 0.9)
    # The brand's chevrons, large and quiet.
    for k, op in ((0, 0.55), (1, 0.3), (2, 0.15)):
        bx = 478 + k * 30
        chev = poly_mask(size, [(bx, 252), (bx + 22, 252), (bx + 42, 276), (bx + 22, 300), (bx, 300), (bx + 20, 276)])
        paint(img, chev, ACCENT_MID, op)
    return finish(img, SKIN_KEY)


# ---------------------------------------------------------------- key capture dialog
def key_capture_background():
    w, h = KEY_CAPTURE
    vis = KEY_VISIBLE_H
    img = vgrad((w, h), (36, 41, 50), (16, 18, 22))
    # Footer below the dialog's own height: keycaps, shown if the window is taller.
    paint(img, poly_mask((w, h), [(0, vis), (w, vis), (w, h), (0, h)]), (14, 16, 20))
    f = font(F_BOLD, 10)
    for i, (kx, label) in enumerate([(10, 'CTRL'), (62, 'SHIFT'), (122, 'ALT')]):
        kw = 44 if label != 'SHIFT' else 48
        key = draw_mask((w, h), lambda d, s: d.rounded_rectangle([kx * s, (vis + 8) * s, (kx + kw) * s,
                                                                  (vis + 28) * s], radius=3 * s, fill=255))
        paint_image(img, vgrad((w, h), (58, 64, 76), (34, 38, 46), vis + 8, 20), key)
        paint(img, ImageChops.subtract(key, erode(key, 3)), (90, 100, 116))
        m = text_mask((w, h), label, f, 0.8, kx + kw / 2.0, vis + 18)
        paint(img, m, TEXT)
        if i < 2:
            plus = text_mask((w, h), '+', font(F_BOLD, 12), 0, kx + kw + (62 - 10 - 44 if i == 0 else 122 - 62 - 48) / 2.0,
                             vis + 18)
            paint(img, plus, ACCENT)
    # Frame of the visible part.
    pts = chamfer_pts(0.5, 0.5, w - 0.5, vis - 0.5, tl=8, br=8)
    paint(img, outline_mask((w, h), pts, 1.0), ACCENT_MID)
    acc = new_mask((w, h))
    Draw(acc).line([(0, 30), (0, 8), (8, 0), (40, 0)], fill=255, width=2)
    Draw(acc).line([(w - 1, vis - 30), (w - 1, vis - 9), (w - 9, vis - 1), (w - 41, vis - 1)],
                             fill=255, width=2)
    img = glow(img, acc, ACCENT, 3, 1.0)
    paint(img, acc, ACCENT)
    # The prompt's display: light, so the black label reads on it.
    px, py, pw, ph = KEY_PROMPT
    disp = chamfer_pts(px - 8, py - 6, px + pw + 8, py + ph + 6, tl=5, br=5)
    dm = poly_mask((w, h), disp)
    img = glow(img, dm, ACCENT, 5, 0.9)
    paint_image(img, vgrad((w, h), (196, 236, 250), (128, 208, 236), py - 6, ph + 12), dm)
    paint(img, outline_mask((w, h), disp), ACCENT_HI)
    # Blinking-cursor tick at the right of the display.
    cur = poly_mask((w, h), [(px + pw + 1, py + 4), (px + pw + 4, py + 4), (px + pw + 4, py + ph - 4),
                             (px + pw + 1, py + ph - 4)])
    paint(img, cur, (0, 90, 130))
    return finish(img, SKIN_KEY)


# ---------------------------------------------------------------- application icon
def icon_image(n):
    s = 8
    N = n * s
    big = Image.new('RGBA', (N, N), (0, 0, 0, 0))
    r = N * 0.2
    sq = Image.new('L', (N, N), 0)
    ImageDraw.Draw(sq).rounded_rectangle([N * 0.03, N * 0.03, N * 0.97, N * 0.97], radius=r, fill=255)
    base = Image.new('RGBA', (N, N))
    grad = vgrad((N, N), (46, 52, 64), (14, 16, 20))
    base.paste(grad, (0, 0))
    big.paste(base, (0, 0), sq)
    # Accent rim.
    rim = Image.new('L', (N, N), 0)
    ImageDraw.Draw(rim).rounded_rectangle([N * 0.03, N * 0.03, N * 0.97, N * 0.97], radius=r, outline=255,
                                          width=max(s, int(N * 0.035)))
    big.paste(ACCENT_MID + (255,), (0, 0), rim)
    # The mouse.
    # Centre on a pixel column so that the seam and the wheel stay sharp.
    cx = (n // 2 + 0.5) * s if n <= 48 else N / 2
    body = mouse_outline(cx, N * 0.16, N * 0.70, N * (0.52 if n <= 16 else 0.46))
    bm = Image.new('L', (N, N), 0)
    ImageDraw.Draw(bm).polygon(body, fill=255)
    if n > 16:  # a glow only where there are pixels enough to show it
        glow_m = bm.filter(ImageFilter.GaussianBlur(N * 0.05))
        gl = Image.new('RGBA', (N, N), ACCENT + (0,))
        gl.putalpha(glow_m.point(lambda v: int(v * 0.8)))
        big = Image.alpha_composite(big, gl)
    fill = Image.new('RGBA', (N, N))
    fill.paste(vgrad((N, N), (130, 230, 255), (0, 120, 180), int(N * 0.16), int(N * 0.7)), (0, 0))
    fill.putalpha(bm)
    big = Image.alpha_composite(big, fill)
    d = ImageDraw.Draw(big)
    split = N * 0.16 + N * 0.70 * 0.42
    lw = max(s, int(N * 0.04))
    if n <= 16:
        split = (int(split / s) + 0.5) * s
    d.line([(cx, N * 0.16), (cx, split)], fill=(10, 30, 40, 255), width=lw)
    d.line([(cx - N * 0.26, split), (cx + N * 0.26, split)], fill=(10, 30, 40, 255), width=lw)
    ww = s if n <= 16 else max(s * 1.2, N * 0.06)
    d.rounded_rectangle([cx - ww / 2, N * 0.24, cx + ww / 2, N * 0.36], radius=ww / 2, fill=(255, 255, 255, 255))
    return big.resize((n, n), Image.LANCZOS)


def write_ico(path, sizes):
    entries = []
    for n in sizes:
        im = icon_image(n)
        if n >= 256:
            buf = BytesIO()
            im.save(buf, 'PNG', optimize=False)
            data = buf.getvalue()
        else:
            # Classic DIB entry: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask.
            hdr = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
            px = im.load()
            rows = bytearray()
            for yy in range(n - 1, -1, -1):
                for xx in range(n):
                    r_, g_, b_, a_ = px[xx, yy]
                    rows += bytes((b_, g_, r_, a_))
            stride = ((n + 31) // 32) * 4
            mask = bytearray()
            for yy in range(n - 1, -1, -1):
                row = bytearray(stride)
                for xx in range(n):
                    if px[xx, yy][3] < 128:
                        row[xx // 8] |= 0x80 >> (xx % 8)
                mask += row
            data = hdr + bytes(rows) + bytes(mask)
        entries.append((n, data))
    out = bytearray(struct.pack('<HHH', 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for n, data in entries:
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for n, data in entries:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


# ---------------------------------------------------------------- catalogue
def build():
    """Every picture by id."""
    pics = {}
    pics[157] = main_background()
    pics[158] = finish(title_button(TITLE_TRAY, 'tray'), SKIN_KEY)
    pics[159] = finish(title_button(TITLE_MIN, 'min'), SKIN_KEY)
    pics[160] = finish(title_button(TITLE_CLOSE, 'close'), SKIN_KEY)
    pics[176] = finish(banner(), SKIN_KEY)
    for fid, (rect, country) in FLAGS.items():
        pics[fid] = finish(flag_button(rect, country), SKIN_KEY)
    for li, lang in enumerate(LANGS):
        def put(role, img, key):
            pid = LANG_TABLE[role][li]
            if pid not in pics:
                pics[pid] = finish(img, key)
        cmd = command_size(li)
        for word, rect, over_role, rest_role in [('ok', OK_BTN, 'ok_over', 'ok'),
                                                 ('apply', APPLY_BTN, 'apply_over', 'apply'),
                                                 ('cancel', CANCEL_BTN, 'cancel_over', 'cancel')]:
            if LANG_TABLE[over_role][li] not in pics:
                put(over_role, push_button(rect, WORDS[word][li], True, cmd), GREEN_KEY)
                put(rest_role, push_button(rect, WORDS[word][li], False, cmd), GREEN_KEY)
        for role, rect, word, sel, over in [
                ('page_buttons', PAGE_BTN, 'buttons', False, False),
                ('page_buttons_over', PAGE_BTN, 'buttons', False, True),
                ('page_buttons_sel', PAGE_BTN, 'buttons', True, False),
                ('page_buttons_sel_over', PAGE_BTN, 'buttons', True, True),
                ('page_perf', PAGE_PERF, 'performance', False, False),
                ('page_perf_over', PAGE_PERF, 'performance', False, True),
                ('page_perf_sel', PAGE_PERF, 'performance', True, False),
                ('page_perf_sel_over', PAGE_PERF, 'performance', True, True)]:
            put(role, page_button(rect, WORDS[word][li], sel, over, tab_size(li)), SKIN_KEY)
        put('caption_dpi', caption(WORDS['caption_dpi'][li], PP_CAPTION_DPI, (PP_TRACK_X, PP_TRACK_Y[0])),
            SKIN_KEY)
        put('caption_rate', caption(WORDS['caption_rate'][li], PP_CAPTION_RATE), SKIN_KEY)
    # A blank spare tab (the profiles page's are made with its page).
    pics[186] = finish(page_button(PAGE_BTN, None, False, False), SKIN_KEY)
    pics[149] = buttons_page_background()
    pics[162] = perf_page_background()
    for n in range(4):
        pics[163 + 2 * n] = level_label(n + 1, False)
        pics[164 + 2 * n] = level_label(n + 1, True)
    pics[171] = dpi_thumb()
    pics[172] = dpi_track()
    pics[190] = key_capture_background()
    pics[191] = small_button()
    for pid, lit, tag in [(193, 'left', 'L'), (194, 'right', 'R'), (195, 'wheel', 'M'), (196, 'side4', '4'),
                          (197, 'side5', '5')]:
        pics[pid] = illustration(lit, tag)
    pics[204] = swap_decoration()
    __import__('profiles_art').add(sys.modules[__name__], pics)  # profiles page, keep dialog
    return pics


def write_rc(ids):
    lines = ['// Generated by tools/artwork/generate.py: the skin at 1x (PNG) and at 2x',
             '// (PNG2X), and the application icon. Do not edit; rerun the generator.',
             'IDI_APP ICON "art/app.ico"']
    lines += ['%d PNG "art/%d.png"' % (i, i) for i in sorted(ids)]
    lines += ['%d PNG2X "art/2x/%d.png"' % (i, i) for i in sorted(ids)]
    with open(os.path.join(RES, 'artwork.rc'), 'w', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


def contact_sheet(pics, path):
    """All pictures on one page, each with its id, for looking at."""
    pad, x, y, rowh = 12, 12, 12, 0
    width = 1500
    placed = []
    order = [157, 149, 162] + sorted(i for i in pics if i not in (157, 149, 162))
    for pid in order:
        im = pics[pid]
        w, h = im.size
        if x + w + pad > width:
            x, y = pad, y + rowh + 22
            rowh = 0
        placed.append((pid, x, y))
        x += w + pad
        rowh = max(rowh, h)
    sheet = Image.new('RGB', (width, y + rowh + 30), (60, 64, 70))
    d = ImageDraw.Draw(sheet)
    f = font(F_REG, 11)
    for pid, px, py in placed:
        sheet.paste(pics[pid], (px, py + 14))
        d.text((px, py), str(pid), font=f, fill=(230, 230, 230))
    ico = icon_image(48)
    sheet.paste(ico, (width - 60, 12), ico)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    sheet.save(path)


def preview(pics, path, perf=False, lang=0):
    """The main window as the program lays it out, with stand-ins for the
    system-drawn controls, to judge the pictures in place."""
    bg = pics[157].copy()
    desk = Image.new('RGB', bg.size, (96, 112, 136))
    keyed = Image.new('L', bg.size, 0)
    keyed.putdata([255 if p == SKIN_KEY else 0 for p in bg.getdata()])
    bg.paste(desk, (0, 0), keyed)

    def at(pid, x, y):
        bg.paste(pics[pid], (x, y))

    def lb(role):
        return LANG_TABLE[role][lang]
    at(158, TITLE_TRAY[0], TITLE_TRAY[1])
    at(159, TITLE_MIN[0], TITLE_MIN[1])
    at(160, TITLE_CLOSE[0], TITLE_CLOSE[1])
    at(176, BANNER[0], BANNER[1])
    for fid, (rect, _) in FLAGS.items():
        at(fid, rect[0], rect[1])
    at(lb('page_buttons_over' if perf else 'page_buttons_sel'), PAGE_BTN[0], PAGE_BTN[1])
    at(lb('page_perf_sel' if perf else 'page_perf'), PAGE_PERF[0], PAGE_PERF[1])
    at(lb('ok'), OK_BTN[0], OK_BTN[1])
    at(lb('cancel_over'), CANCEL_BTN[0], CANCEL_BTN[1])
    at(lb('apply'), APPLY_BTN[0], APPLY_BTN[1])
    ox, oy = TAB[0], TAB[1]
    d = ImageDraw.Draw(bg)
    f = font(F_REG, 11)

    def combo(r, text):
        x, y, w, h = r
        x += ox
        y += oy
        d.rectangle([x, y, x + w - 1, y + 21], fill=(255, 255, 255), outline=(122, 122, 122))
        d.rectangle([x + w - 18, y + 1, x + w - 2, y + 20], fill=(212, 208, 200))
        d.text((x + 4, y + 4), text, font=f, fill=(0, 0, 0))

    if not perf:
        at(149, ox, oy)
        for r, t in zip(BP_LABELS, ['L-Button', 'R-Button', 'M-Button', 'Button-4', 'Button-5']):
            x, y, w, h = r
            tw = f.getlength(t)
            d.text((ox + x + (w - tw) / 2, oy + y + 2), t, font=f, fill=(0, 0, 0))
        for r, t in [(urect(5, 21, 67, 12), 'L-Button'), (urect(221, 23, 67, 12), 'R-Button'),
                     (urect(5, 133, 67, 12), 'Wheel Button'), (urect(5, 77, 67, 12), 'IE Forward Button'),
                     (urect(221, 78, 67, 12), 'IE Backward Button')]:
            combo(r, t)
        for r in BP_SMALL:
            at(191, ox + r[0], oy + r[1])
        at(193, ox + BP_ILLUSTRATION[0], oy + BP_ILLUSTRATION[1])
        at(204, ox + BP_DECOR[0], oy + BP_DECOR[1])
        x, y, w, h = BP_SWAP_BOX
        d.rectangle([ox + x, oy + y, ox + x + 12, oy + y + 12], fill=(255, 255, 255), outline=(64, 64, 64))
        x, y, w, h = BP_SWAP_LABEL
        d.text((ox + x, oy + y + 4), 'swap', font=f, fill=(0, 0, 0))
        for i, t in enumerate(['Load Default Config', 'Save Current Config', 'Load Config']):
            x, y = ux(228), uy([117, 133, 150][i])
            w, h = ux(92), uy(11)
            d.rectangle([ox + x, oy + y, ox + x + w, oy + y + h], fill=(212, 208, 200), outline=(64, 64, 64))
            tw = f.getlength(t)
            d.text((ox + x + (w - tw) / 2, oy + y + 4), t, font=f, fill=(0, 0, 0))
    else:
        at(162, ox, oy)
        at(172, ox + PP_TRACK_X, oy + PP_TRACK_Y[0])
        at(171, ox + PP_TRACK_X + 138 - 5, oy + PP_TRACK_Y[0] - 1)
        at(lb('caption_dpi'), ox + PP_CAPTION_DPI[0], oy + PP_CAPTION_DPI[1])
        at(lb('caption_rate'), ox + PP_CAPTION_RATE[0], oy + PP_CAPTION_RATE[1])
        combo(PP_RATE_LIST, '500HZ')
    bg.save(path)


def save_set(pics, folder):
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if name.endswith('.png') or name.endswith('.bmp'):
            os.remove(os.path.join(folder, name))
    for pid, im in pics.items():
        im.save(os.path.join(folder, '%d.png' % pid), 'PNG', optimize=True)


def main():
    global K
    K = 1
    pics = build()
    K = 2
    pics2 = build()
    for pid, im in pics.items():
        assert pics2[pid].size == dev(im.size), 'picture %d is not twice its 1x size' % pid
    K = 1
    save_set(pics, ART)
    save_set(pics2, os.path.join(ART, '2x'))
    write_ico(os.path.join(ART, 'app.ico'), [16, 20, 24, 32, 40, 48, 64, 256])
    write_rc(pics.keys())
    if len(sys.argv) > 2 and sys.argv[1] == '--sheet':
        contact_sheet(pics, sys.argv[2])
        base = os.path.splitext(sys.argv[2])[0]
        preview(pics, base + '-buttons.png')
        preview(pics, base + '-performance.png', perf=True, lang=5)
        contact_sheet(pics2, base + '-2x.png')
    print('%d pictures at 1x and 2x and the icon written to %s' % (len(pics), ART))


if __name__ == '__main__':
    main()
