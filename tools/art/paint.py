"""Drawing helpers shared by every piece of Pulsewick art.

Shapes are drawn on a supersampled canvas and box-filtered down, so edges are
anti-aliased; text is drawn afterwards at the final size, where FreeType's
hinting keeps small labels crisp.
"""

import numpy as np
from PIL import Image, ImageDraw, ImageFont

SS = 4  # supersampling factor for shapes

KEY_GREEN = (0, 255, 0)
WHITE = (255, 255, 255)

FONT_DIRS = {
    "sans-bold": "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "sans": "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "cond-bold": "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "cond": "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf",
    "dejavu-bold": "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "dejavu": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
}

_font_cache = {}


def font(name, size):
    key = (name, size)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(FONT_DIRS[name], size)
    return _font_cache[key]


def hex_rgb(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


def mix(a, b, t):
    """Linear blend of two RGB triples: t=0 gives a, t=1 gives b."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


class Canvas:
    """A supersampled RGB picture on a solid background plus a coverage mask
    of everything drawn with `cover=True` (used to key out the outside)."""

    def __init__(self, w, h, bg=WHITE, ss=SS):
        self.w, self.h, self.ss = w, h, ss
        self.img = Image.new("RGB", (w * ss, h * ss), bg)
        self.cover = Image.new("L", (w * ss, h * ss), 0)
        # labels that belong to shapes but must be drawn at the final size:
        # ((x, y) centre, text, colour)
        self.pending_text = []

    # Coordinates are in final pixels (floats allowed); (0,0)-(w,h) is the
    # outer boundary of the picture, so a box (0,0,w,h) covers every pixel.
    def s(self, v):
        return v * self.ss

    def new_mask(self):
        return Image.new("L", self.img.size, 0)

    def mask_rrect(self, box, r):
        m = self.new_mask()
        x0, y0, x1, y1 = [self.s(v) for v in box]
        ImageDraw.Draw(m).rounded_rectangle(
            [x0, y0, x1 - 1, y1 - 1], radius=max(0, self.s(r)), fill=255)
        return m

    def mask_ellipse(self, box):
        m = self.new_mask()
        x0, y0, x1, y1 = [self.s(v) for v in box]
        ImageDraw.Draw(m).ellipse([x0, y0, x1 - 1, y1 - 1], fill=255)
        return m

    def mask_polygon(self, pts):
        m = self.new_mask()
        ImageDraw.Draw(m).polygon([(self.s(x), self.s(y)) for x, y in pts], fill=255)
        return m

    def fill(self, mask, colour, cover=False, alpha=1.0):
        if alpha < 1.0:
            mask = mask.point(lambda v: int(v * alpha))
        self.img.paste(colour, (0, 0), mask)
        if cover:
            self.cover.paste(255, (0, 0), mask)

    def fill_image(self, mask, src, cover=False):
        self.img.paste(src, (0, 0), mask)
        if cover:
            self.cover.paste(255, (0, 0), mask)

    def vgradient(self, stops, y0=0, y1=None):
        """Full-size image with a vertical gradient through the given
        (position 0..1, colour) stops, spanning final rows y0..y1."""
        if y1 is None:
            y1 = self.h
        H = self.img.size[1]
        ys = (np.arange(H) + 0.5) / self.ss
        t = np.clip((ys - y0) / max(1e-6, (y1 - y0)), 0, 1)
        pos = np.array([p for p, _ in stops])
        cols = np.array([c for _, c in stops], dtype=float)
        rgb = np.stack([np.interp(t, pos, cols[:, i]) for i in range(3)], axis=1)
        arr = np.repeat(rgb[:, None, :], self.img.size[0], axis=1)
        return Image.fromarray(np.clip(arr + 0.5, 0, 255).astype(np.uint8), "RGB")

    def draw(self):
        return ImageDraw.Draw(self.img)

    def line(self, pts, colour, width, joint="curve"):
        d = self.draw()
        d.line([(self.s(x), self.s(y)) for x, y in pts], fill=colour,
               width=max(1, int(round(self.s(width)))), joint=joint)

    def stroke_mask(self, pts, width):
        m = self.new_mask()
        ImageDraw.Draw(m).line([(self.s(x), self.s(y)) for x, y in pts], fill=255,
                               width=max(1, int(round(self.s(width)))), joint="curve")
        return m

    def round_caps(self, pts, width, colour):
        """Round end caps for a polyline drawn with `line`."""
        for x, y in (pts[0], pts[-1]):
            r = width / 2
            self.fill(self.mask_ellipse((x - r, y - r, x + r, y + r)), colour)

    def finish(self, key=None):
        """Downsample. With a key colour, every pixel not touched by a
        covered shape becomes exactly that colour; edge pixels keep their
        blend against the background the canvas was started on."""
        out = self.img.resize((self.w, self.h), Image.BOX)
        if key is not None:
            cov = np.array(self.cover.resize((self.w, self.h), Image.BOX))
            arr = np.array(out)
            arr[cov == 0] = key
            out = Image.fromarray(arr, "RGB")
        return out


def mask_sub(a, b):
    """a minus b, for masks."""
    return Image.fromarray(np.clip(np.array(a, dtype=int) - np.array(b, dtype=int), 0, 255)
                           .astype(np.uint8), "L")


def mask_mul(a, b):
    return Image.fromarray((np.array(a, dtype=np.uint32) * np.array(b, dtype=np.uint32) // 255)
                           .astype(np.uint8), "L")


# ---------------------------------------------------------------- text

def text_ink_box(txt, fnt, spacing=0.0):
    """Ink box of a string drawn with its baseline at y=0, left at x=0."""
    if spacing == 0.0:
        return ImageDraw.Draw(Image.new("L", (1, 1))).textbbox((0, 0), txt, font=fnt, anchor="ls")
    x = 0.0
    x0 = y0 = 10 ** 9
    x1 = y1 = -10 ** 9
    d = ImageDraw.Draw(Image.new("L", (1, 1)))
    for ch in txt:
        b = d.textbbox((x, 0), ch, font=fnt, anchor="ls")
        if ch != " ":
            x0, y0, x1, y1 = min(x0, b[0]), min(y0, b[1]), max(x1, b[2]), max(y1, b[3])
        x += fnt.getlength(ch) + spacing
    return (x0, y0, x1, y1)


def text_width(txt, fnt, spacing=0.0):
    b = text_ink_box(txt, fnt, spacing)
    return b[2] - b[0]


def draw_text(img, xy, txt, fnt, colour, spacing=0.0):
    """Draw with the baseline-left origin at xy (integers keep hinting crisp)."""
    d = ImageDraw.Draw(img)
    x, y = xy
    if spacing == 0.0:
        d.text((round(x), round(y)), txt, font=fnt, fill=colour, anchor="ls")
        return
    for ch in txt:
        d.text((round(x), round(y)), ch, font=fnt, fill=colour, anchor="ls")
        x += fnt.getlength(ch) + spacing


def cap_height(fnt):
    b = text_ink_box("H", fnt)
    return b[3] - b[1]


def text_centred(img, cx, cy, txt, fnt, colour, spacing=0.0, caps_centre=True):
    """Centre a label on (cx, cy). With caps_centre the vertical centre is the
    middle of the capital height, so labels with or without descenders sit
    on the same line."""
    b = text_ink_box(txt, fnt, spacing)
    w = b[2] - b[0]
    x = cx - w / 2 - b[0]
    if caps_centre:
        y = cy + cap_height(fnt) / 2
    else:
        y = cy - (b[1] + b[3]) / 2
    draw_text(img, (round(x), round(y)), txt, fnt, colour, spacing)


def save_bmp(img, path):
    """24-bit BI_RGB bottom-up BMP, the form resource compilers take."""
    img.convert("RGB").save(path, format="BMP")
