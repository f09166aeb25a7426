"""Small vector pictures: button symbols and the instrument icons of the
editor toolbar. Each draws into a Canvas through a Pen that maps a local
box (icons use a 24 x 24 design grid) onto canvas pixels."""

import math

from paint import mask_sub


class Pen:
    def __init__(self, canvas, ox, oy, scale=1.0):
        self.c, self.ox, self.oy, self.k = canvas, ox, oy, scale

    def p(self, x, y):
        return (self.ox + x * self.k, self.oy + y * self.k)

    def box(self, b):
        x0, y0 = self.p(b[0], b[1])
        x1, y1 = self.p(b[2], b[3])
        return (x0, y0, x1, y1)

    def ellipse(self, b, fill=None, outline=None, width=1.5):
        outer = self.c.mask_ellipse(self.box(b))
        if fill is not None:
            self.c.fill(outer, fill)
        if outline is not None:
            w = width
            inner = self.c.mask_ellipse(self.box((b[0] + w, b[1] + w, b[2] - w, b[3] - w)))
            self.c.fill(mask_sub(outer, inner), outline)

    def rrect(self, b, r, fill=None, outline=None, width=1.5):
        outer = self.c.mask_rrect(self.box(b), r * self.k)
        if fill is not None:
            self.c.fill(outer, fill)
        if outline is not None:
            w = width
            inner = self.c.mask_rrect(self.box((b[0] + w, b[1] + w, b[2] - w, b[3] - w)),
                                      max(0, r - w) * self.k)
            self.c.fill(mask_sub(outer, inner), outline)

    def poly(self, pts, fill):
        self.c.fill(self.c.mask_polygon([self.p(x, y) for x, y in pts]), fill)

    def line(self, pts, colour, width=1.5, caps=True):
        q = [self.p(x, y) for x, y in pts]
        self.c.line(q, colour, width * self.k)
        if caps:
            self.c.round_caps(q, width * self.k, colour)

    def arc(self, cx, cy, r, a0, a1, colour, width=1.5, steps=24):
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + r * math.cos(a), cy - r * math.sin(a)))
        self.line(pts, colour, width)


# ---------------------------------------------------------------- symbols
# Symbols take (pen, colour, accent) and draw in a box of the size given in
# SYMBOL_SIZE, origin at the pen's origin.

SYMBOL_SIZE = {
    "play": (9, 11), "stop": (10, 10), "up": (10, 5), "down": (10, 5),
    "swap": (15, 12), "folder": (16, 13), "disk": (13, 13), "broom": (15, 14),
    "grid": (12, 13), "play_big": (13, 16), "stop_big": (13, 13),
    "steps": (14, 12), "note": (10, 16),
}


def sym_play(pn, col, acc):
    pn.poly([(0, 0), (9, 5.5), (0, 11)], col)


def sym_play_big(pn, col, acc):
    pn.poly([(0, 0), (13, 8), (0, 16)], col)


def sym_stop(pn, col, acc):
    pn.rrect((0, 0, 10, 10), 1.5, fill=col)


def sym_stop_big(pn, col, acc):
    pn.rrect((0, 0, 13, 13), 2, fill=col)


# The arrows fit inside the focus rectangle of their 46 x 27 buttons: five
# rows, the base a little short of the fifth row's end because the polygon
# fill takes in its last supersampled row.
def sym_up(pn, col, acc):
    pn.poly([(0, 4.75), (5, 0), (10, 4.75)], col)


def sym_down(pn, col, acc):
    pn.poly([(0, 0), (10, 0), (5, 4.75)], col)


def sym_swap(pn, col, acc):
    pn.line([(1, 3.5), (12, 3.5)], col, 1.6)
    pn.poly([(11, 0.3), (15, 3.5), (11, 6.7)], col)
    pn.line([(3, 8.5), (14, 8.5)], col, 1.6)
    pn.poly([(4, 5.3), (0, 8.5), (4, 11.7)], col)


def sym_folder(pn, col, acc):
    pn.poly([(0, 1.5), (0.8, 0.5), (5.5, 0.5), (7, 2.3), (14, 2.3), (14, 12.5), (0, 12.5)], col)
    pn.poly([(2.3, 5.2), (16, 5.2), (13.7, 12.5), (0, 12.5)], acc)


def sym_disk(pn, col, acc):
    pn.poly([(0, 0), (10.5, 0), (13, 2.5), (13, 13), (0, 13)], col)
    pn.rrect((2.5, 0, 9.5, 4.3), 0.6, fill=acc)
    pn.rrect((2.5, 7, 10.5, 13), 0.8, fill=acc)


def sym_broom(pn, col, acc):
    # an eraser block, tilted
    pn.poly([(5, 1), (14.5, 5.5), (10, 13), (0.5, 8.5)], col)
    pn.poly([(0.5, 8.5), (5.6, 10.9), (8.8, 5.2), (3.7, 2.9)], acc)


def sym_grid(pn, col, acc):
    for r in range(3):
        for k in range(3):
            x, y = k * 4.2, r * 4.6
            on = (r + k) % 2 == 0
            pn.rrect((x, y, x + 3.4, y + 3.8), 0.8, fill=acc if on else col)


def sym_note(pn, col, acc):
    # a quarter note
    pts = []
    for i in range(32):
        a = 2 * math.pi * i / 32
        x, y = 3.6 * math.cos(a), 2.5 * math.sin(a)
        t = math.radians(-22)
        pts.append((4.0 + x * math.cos(t) - y * math.sin(t), 12.8 + x * math.sin(t) + y * math.cos(t)))
    pn.poly(pts, col)
    pn.poly([(6.3, 0.4), (7.8, 0.4), (7.8, 12.0), (6.3, 12.6)], col)


def sym_steps(pn, col, acc):
    for k in range(4):
        x = k * 3.7
        pn.rrect((x, 0, x + 2.6, 12), 0.8, fill=acc if k == 0 else col)


SYMBOLS = {
    "play": sym_play, "stop": sym_stop, "up": sym_up, "down": sym_down, "swap": sym_swap,
    "folder": sym_folder, "disk": sym_disk, "broom": sym_broom, "grid": sym_grid,
    "play_big": sym_play_big, "stop_big": sym_stop_big, "steps": sym_steps, "note": sym_note,
}


# ---------------------------------------------------------------- instruments
# Drawn on a 24 x 24 grid. `ink` is the main line colour, `acc` the accent,
# `head` the drum-head / body fill, `face` the tile colour behind.

def drum_side(pn, x0, x1, top, bottom, pal, lugs=True, depth=2.6):
    ink, head = pal["ink"], pal["head"]
    pn.rrect((x0, top + depth / 2, x1, bottom), 1.2, fill=ink)
    if lugs:
        n = 3
        for i in range(n):
            x = x0 + (x1 - x0) * (i + 0.5) / n
            pn.line([(x, top + depth + 1.2), (x, bottom - 1.4)], pal["acc"], 1.1)
    pn.ellipse((x0, top - depth / 2, x1, top + depth * 1.5), fill=head, outline=ink, width=1.1)


def ico_kick(pn, pal, small=False):
    ink, head, acc = pal["ink"], pal["head"], pal["acc"]
    r = 8.2 if small else 10.5
    cx, cy = 12, 12 if not small else 12.8
    if not small:
        pn.line([(cx - 6, cy + 7), (cx - 9, cy + 11.6)], ink, 1.4)
        pn.line([(cx + 6, cy + 7), (cx + 9, cy + 11.6)], ink, 1.4)
    pn.ellipse((cx - r, cy - r, cx + r, cy + r), fill=head, outline=ink, width=2.1)
    ri = r - 4.2
    pn.ellipse((cx - ri, cy - ri, cx + ri, cy + ri), fill=acc)
    rj = ri - 2.2
    pn.ellipse((cx - rj, cy - rj, cx + rj, cy + rj), fill=head)
    if small:
        # a short note: a staccato tick beside the drum
        pn.line([(21.5, 2.5), (21.5, 7.5)], acc, 1.6)
        pn.ellipse((19.0, 6.3, 22.4, 9.2), fill=acc)


def ico_snare(pn, pal):
    ink = pal["ink"]
    drum_side(pn, 2, 22, 11, 21.5, pal)
    pn.line([(4.5, 1.5), (13.5, 10.2)], ink, 1.5)
    pn.line([(19.5, 1.5), (10.5, 10.2)], ink, 1.5)


def spark(pn, cx, cy, r, col, width=1.3):
    for a in (20, 70, 120, 165):
        rad = math.radians(a)
        pn.line([(cx + 0.45 * r * math.cos(rad), cy - 0.45 * r * math.sin(rad)),
                 (cx + r * math.cos(rad), cy - r * math.sin(rad))], col, width)


def ico_rimshot(pn, pal, side=False):
    ink, acc = pal["ink"], pal["acc"]
    drum_side(pn, 2, 22, 12.5, 22, pal)
    if side:
        # cross stick: the stick lies on the head and hits the far rim
        pn.line([(3.5, 13.0), (23.0, 7.0)], ink, 1.6)
        spark(pn, 20.5, 8.0, 4.5, acc, 1.2)
    else:
        pn.line([(3, 2.5), (19.3, 11.6)], ink, 1.7)
        spark(pn, 19.5, 11.5, 6.5, acc, 1.3)


def ico_tom(pn, pal, big=False):
    ink = pal["ink"]
    if big:
        drum_side(pn, 2, 22, 8.5, 22.5, pal)
    else:
        drum_side(pn, 5, 19, 9.5, 20, pal)
    pn.line([(16.5 if big else 15, 2), (10.5, 7.3 if big else 8.3)], ink, 1.5)


def cymbal(pn, cx, cy, w, pal, tilt=0.0, bell=True, flip=False):
    """A cymbal seen from the side: a shallow dome outlined in ink; flipped,
    the dome faces down (the lower hi-hat cymbal)."""
    ink, metal = pal["ink"], pal["metal"]
    sg = -1 if flip else 1

    def dome(ww, hh, lift):
        pts = []
        for i in range(25):
            a = math.pi * i / 24
            pts.append((cx - ww * math.cos(a), cy - sg * (lift + hh * math.sin(a)) - tilt * math.cos(a)))
        return pts + [(cx + ww, cy + sg * (1.0 - lift) + tilt), (cx - ww, cy + sg * (1.0 - lift) - tilt)]

    pn.poly(dome(w, 3.0, 0), ink)
    pn.poly(dome(w - 1.6, 1.9, 0.55), metal)
    if bell:
        y0, y1 = (cy - 4.6, cy - 1.2) if not flip else (cy + 1.2, cy + 4.6)
        pn.ellipse((cx - 2.3, y0, cx + 2.3, y1), fill=ink)


def ico_hihat(pn, pal, open_=False):
    ink, acc = pal["ink"], pal["acc"]
    pn.line([(12, 3.5), (12, 22)], ink, 1.4)
    pn.line([(12, 21.5), (7, 23.2)], ink, 1.2)
    pn.line([(12, 21.5), (17, 23.2)], ink, 1.2)
    if open_:
        cymbal(pn, 12, 8.0, 10.5, pal, bell=True)
        cymbal(pn, 12, 15.0, 10.5, pal, bell=False, flip=True)
        pn.arc(12, 11.5, 12.0, 150, 210, acc, 1.1, 8)
        pn.arc(12, 11.5, 12.0, -30, 30, acc, 1.1, 8)
    else:
        cymbal(pn, 12, 10.4, 10.5, pal, bell=True)
        cymbal(pn, 12, 12.0, 10.5, pal, bell=False, flip=True)


def ico_cymbal(pn, pal, two=False):
    ink, acc = pal["ink"], pal["acc"]
    pn.line([(12, 6), (12, 22)], ink, 1.4)
    pn.line([(12, 21.5), (6.5, 23.2)], ink, 1.2)
    pn.line([(12, 21.5), (17.5, 23.2)], ink, 1.2)
    if two:
        cymbal(pn, 12, 9.0, 11.2, pal, tilt=-1.8)
        pn.arc(12, 9, 4.0, 30, 150, acc, 1.0, 10)
        pn.arc(12, 8, 7.0, 35, 145, acc, 1.0, 12)
    else:
        cymbal(pn, 12, 9.0, 10.0, pal, tilt=1.6)
        pn.arc(12, 9, 5.5, 35, 145, acc, 1.0, 12)


def ico_move(pn, pal):
    ink, acc = pal["ink"], pal["acc"]
    c = 12
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        tip = (c + dx * 11, c + dy * 11)
        base = (c + dx * 6.8, c + dy * 6.8)
        side = (dy * 4.2, dx * 4.2)
        pn.poly([tip, (base[0] + side[0], base[1] + side[1]),
                 (base[0] - side[0], base[1] - side[1])], ink)
        pn.line([(c, c), (c + dx * 7.5, c + dy * 7.5)], ink, 2.0, caps=False)
    pn.rrect((c - 3.2, c - 3.2, c + 3.2, c + 3.2), 1.0, fill=acc)


def ico_shaker(pn, pal):
    ink, acc, head = pal["ink"], pal["acc"], pal["head"]
    # an egg shaker, tilted, with motion marks
    pts = []
    for i in range(48):
        a = 2 * math.pi * i / 48
        x = 4.6 * math.cos(a)
        y = 7.6 * math.sin(a) * (1.0 - 0.12 * math.sin(a))
        t = math.radians(-30)
        pts.append((12.5 + x * math.cos(t) - y * math.sin(t), 12.5 + x * math.sin(t) + y * math.cos(t)))
    pn.poly(pts, ink)
    pn.ellipse((11.4, 7.6, 13.8, 10.0), fill=head)
    pn.ellipse((12.8, 11.8, 15.2, 14.2), fill=head)
    pn.ellipse((10.2, 13.0, 12.6, 15.4), fill=head)
    pn.arc(12.5, 12.5, 10.5, 100, 150, acc, 1.3, 8)
    pn.arc(12.5, 12.5, 10.5, -80, -30, acc, 1.3, 8)


def ico_block(pn, pal):
    ink, acc, head = pal["ink"], pal["acc"], pal["head"]
    pn.rrect((2, 8.5, 22, 19.5), 2.2, fill=ink)
    pn.rrect((4, 10.6, 20, 12.6), 1.0, fill=head)
    pn.line([(9, 1.5), (15.5, 7.2)], acc, 1.7)
    pn.ellipse((14.3, 5.8, 17.3, 8.8), fill=acc)
    pn.line([(7, 19.5), (7, 22.5)], ink, 1.4)
    pn.line([(17, 19.5), (17, 22.5)], ink, 1.4)


def ico_bell(pn, pal):
    ink, acc, head = pal["ink"], pal["acc"], pal["metal"]
    pn.poly([(7.5, 4.5), (16.5, 4.5), (20.5, 21), (3.5, 21)], ink)
    pn.poly([(9.0, 6.5), (15.0, 6.5), (17.8, 19), (6.2, 19)], head)
    pn.line([(9.5, 4.6), (9.5, 1.8), (14.5, 1.8), (14.5, 4.6)], ink, 1.5)
    pn.line([(19.5, 9.5), (22.5, 6.5)], acc, 1.3)
    pn.line([(20.8, 13.0), (23.3, 12.2)], acc, 1.3)


def ico_tambourine(pn, pal):
    ink, metal, head = pal["ink"], pal["metal"], pal["head"]
    pn.ellipse((2, 2, 22, 22), fill=head, outline=ink, width=2.3)
    for i in range(6):
        a = math.radians(90 + i * 60)
        cx, cy = 12 + 8.9 * math.cos(a), 12 - 8.9 * math.sin(a)
        pn.ellipse((cx - 2.5, cy - 2.5, cx + 2.5, cy + 2.5), fill=metal, outline=ink, width=1.0)


def ico_conga(pn, pal, num, slap=False):
    ink, acc, head = pal["ink"], pal["acc"], pal["head"]
    # barrel body narrowing to the foot
    body = [(4.2, 5.0), (19.8, 5.0), (20.6, 11.0), (19.0, 19.5), (16.4, 23.0),
            (7.6, 23.0), (5.0, 19.5), (3.4, 11.0)]
    pn.poly(body, ink)
    pn.line([(4.4, 12.0), (19.6, 12.0)], acc, 1.0, caps=False)
    pn.ellipse((4.0, 2.8, 20.0, 7.4), fill=head, outline=ink, width=1.1)
    if slap:
        spark(pn, 12.0, 4.6, 5.4, acc, 1.1)
    # the drum's number, on its body
    pn.c.pending_text.append((pn.p(12.0, 18.6), str(num), pal["head"]))


def ico_eraser(pn, pal):
    ink, acc = pal["ink"], pal["acc"]
    t = math.radians(-35)

    def rot(x, y):
        return (12 + x * math.cos(t) - y * math.sin(t), 11 + x * math.sin(t) + y * math.cos(t))

    pn.poly([rot(-10, -4.5), rot(10, -4.5), rot(10, 4.5), rot(-10, 4.5)], ink)
    pn.poly([rot(-9, -3.3), rot(-1.5, -3.3), rot(-1.5, 3.3), rot(-9, 3.3)], acc)
    pn.line([(3.5, 21.8), (21.5, 21.8)], ink, 1.3)


ICONS = {
    "kick": lambda pn, pal: ico_kick(pn, pal),
    "short_kick": lambda pn, pal: ico_kick(pn, pal, small=True),
    "snare": ico_snare,
    "rimshot": lambda pn, pal: ico_rimshot(pn, pal),
    "s_rimshot": lambda pn, pal: ico_rimshot(pn, pal, side=True),
    "tom1": lambda pn, pal: ico_tom(pn, pal),
    "tom2": lambda pn, pal: ico_tom(pn, pal, big=True),
    "hihat_closed": lambda pn, pal: ico_hihat(pn, pal),
    "hihat_open": lambda pn, pal: ico_hihat(pn, pal, open_=True),
    "cymbal1": lambda pn, pal: ico_cymbal(pn, pal),
    "cymbal2": lambda pn, pal: ico_cymbal(pn, pal, two=True),
    "move": ico_move,
    "shaker": ico_shaker,
    "block": ico_block,
    "bell": ico_bell,
    "tambourine": ico_tambourine,
    "s_conga1": lambda pn, pal: ico_conga(pn, pal, 1, slap=True),
    "s_conga2": lambda pn, pal: ico_conga(pn, pal, 2, slap=True),
    "s_conga3": lambda pn, pal: ico_conga(pn, pal, 3, slap=True),
    "conga1": lambda pn, pal: ico_conga(pn, pal, 1),
    "conga2": lambda pn, pal: ico_conga(pn, pal, 2),
    "conga3": lambda pn, pal: ico_conga(pn, pal, 3),
    "conga4": lambda pn, pal: ico_conga(pn, pal, 4),
    "eraser": ico_eraser,
}


def speaker(pn, col, acc, on):
    pn.poly([(0, 5), (4, 5), (9, 0.5), (9, 15.5), (4, 11), (0, 11)], col)
    if on:
        pn.arc(9.5, 8, 4.0, -50, 50, acc, 1.6, 10)
        pn.arc(9.5, 8, 7.5, -50, 50, acc, 1.6, 14)
    else:
        pn.line([(12.5, 4.5), (19.5, 11.5)], acc, 1.8)
        pn.line([(19.5, 4.5), (12.5, 11.5)], acc, 1.8)
