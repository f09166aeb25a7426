"""The one-off pictures: mode switch animation, popup and spin backgrounds,
step-number tiles, editor frame, scroll bar skin, separator, clean bubble,
About picture and the program icon."""

import io
import math
import struct

import numpy as np
from PIL import Image

import inventory as inv
from glyphs import Pen
from paint import Canvas, font, text_centred, draw_text, mask_sub, mix, WHITE
from skin import (face, draw_content, draw_texts, BUTTON_STATES, SLATE, SLATE_DARK,
                  SLATE_LIGHT, SLATE_LINE, AMBER, AMBER_LO, AMBER_HI, AMBER_LINE, MIST, H)
from content import BUTTON_CONTENT


# ---------------------------------------------------------------- mode switch

def _row(c, state, slots, cy):
    """Labels of the beat and pattern buttons at their places in the strip."""
    texts = []
    st = BUTTON_STATES[state]
    for name, x0 in slots:
        items, gap = BUTTON_CONTENT[name]
        texts += draw_content(c, items, gap, st, cy=cy, x0=x0, w=92)
    return texts


def mode_switch_frames():
    """13 frames, 214 x 63: the slate face slides from the beat button's
    place (frame 0, click mode) to the pattern button's place (frame 12,
    user beat mode). The window shows only the top-left 206 x 52."""
    W, Hh = inv.ANIM_SIZE
    left, right, top, bh = 2, 114, 14, 38
    slots = [("beat", left), ("custom_beat", right)]
    cy = top + bh / 2

    # unlit: both buttons in their disabled look
    dim = Canvas(W, Hh)
    for _, x0 in slots:
        face(dim, (x0, top, x0 + 92, top + bh), 6, BUTTON_STATES["disabled"])
    tx = _row(dim, "disabled", slots, cy)
    dim_img = dim.finish()
    draw_texts(dim_img, tx, cy, BUTTON_STATES["disabled"]["label"])

    # lit: a slate strip with both labels in their normal look
    lit = Canvas(W, Hh)
    st = BUTTON_STATES["normal"]
    strip = lit.mask_rrect((0, top, W, top + bh), 0)
    lit.fill_image(strip, lit.vgradient([(0, st["top"]), (1, st["bottom"])], top + 1, top + bh - 1))
    band = mask_sub(lit.mask_rrect((0, top + 1, W, top + 2), 0), lit.new_mask())
    lit.fill(band, WHITE, alpha=st["shine"])
    tx = _row(lit, "normal", slots, cy)
    lit_img = lit.finish()
    draw_texts(lit_img, tx, cy, st["label"])

    frames = []
    for i in range(inv.ANIM_COUNT):
        u = i / (inv.ANIM_COUNT - 1)
        t = u * u * (3 - 2 * u)
        stretch = 16 * math.sin(math.pi * t)
        cx = left + 46 + (right - left) * t
        x0, x1 = cx - 46 - stretch / 2, cx + 46 + stretch / 2
        m = Canvas(W, Hh)
        outer = m.mask_rrect((x0, top, x1, top + bh), 6)
        inner = m.mask_rrect((x0 + 1, top + 1, x1 - 1, top + bh - 1), 5)
        mo = np.array(outer.resize((W, Hh), Image.BOX), dtype=float)[..., None] / 255
        mi = np.array(inner.resize((W, Hh), Image.BOX), dtype=float)[..., None] / 255
        a = np.array(dim_img, dtype=float)
        b = np.array(lit_img, dtype=float)
        line = np.array(st["line"], dtype=float)
        out = a * (1 - mo) + line * (mo - mi) + b * mi
        frames.append(Image.fromarray(np.clip(out + 0.5, 0, 255).astype(np.uint8), "RGB"))
    return frames


# ---------------------------------------------------------------- small pieces

def popup_centre():
    """155: the slate block behind the four arrow buttons; only a cross
    through its middle shows, with a fraction slash between the numbers'
    buttons (left: beats per bar, right: note value)."""
    c = Canvas(92, 38)
    face(c, (0, 0, 92, 38), 6, BUTTON_STATES["normal"])
    Pen(c, 0, 0).line([(50.5, 8.5), (41.5, 29.5)], AMBER, 3.0)
    return c.finish()


def spin_back():
    """293: the number field of the value spin; the value is drawn in black
    over the pale window on the left, the arrow buttons cover the right."""
    c = Canvas(92, 38)
    face(c, (0, 0, 92, 38), 6, BUTTON_STATES["normal"])
    well = (3, 4, 47, 34)
    c.fill(c.mask_rrect(well, 4), SLATE_LINE)
    c.fill_image(c.mask_rrect((4, 5, 46, 33), 3),
                 c.vgradient([(0, H("#E9EAE0")), (0.25, H("#FFFFF6")), (1, H("#FFFFF6"))], 5, 33))
    return c.finish()


def row_tile(kind):
    """303 hover (white), 304 idle (dark, dim marker), 305 playing (dark,
    amber marker): 30 x 25, tiled down the step-number column."""
    c = Canvas(30, 25)
    if kind == "hover":
        top, bottom, line, mark = WHITE, H("#F1F2F4"), H("#D5D9E0"), AMBER_LO
    elif kind == "active":
        top, bottom, line, mark = SLATE, SLATE_DARK, SLATE_LINE, AMBER
    else:
        top, bottom, line, mark = H("#5A6273"), H("#4A5161"), H("#3C4250"), H("#8A92A0")
    c.fill_image(c.mask_rrect((0, 0, 30, 25), 0), c.vgradient([(0, top), (1, bottom)]))
    c.fill(c.mask_rrect((0, 24, 30, 25), 0), line)
    c.fill(c.mask_rrect((0, 0, 1, 25), 0), line)
    if kind != "hover":
        c.fill(c.mask_rrect((1, 0, 30, 1), 0), WHITE, alpha=0.10)
    Pen(c, 0, 0).poly([(3, 12.5), (8, 9), (8, 16)], mark)
    return c.finish()


def separator():
    """362: divides the toolbar from the sound switch."""
    c = Canvas(18, 80)
    c.fill_image(c.mask_rrect((8, 4, 10, 76), 1),
                 c.vgradient([(0, WHITE), (0.2, H("#C8CDD5")), (0.8, H("#C8CDD5")), (1, WHITE)], 4, 76))
    c.fill(c.mask_rrect((9, 4, 10, 76), 0), WHITE, alpha=0.6)
    return c.finish()


def scroll_skin():
    """311: the grid's scroll bar parts at fixed source rectangles:
    x 0..17 rows 0..5 one-pixel strips (track, thumb body, thumb edge;
    normal in rows 0..2, pressed in rows 3..5), arrows 17 wide at x 17..34
    (pressed) and 51..68 (normal): up in rows 0..17, down in rows 17..33."""
    W, Hh = 68, 34
    img = Image.new("RGB", (W, Hh), MIST)
    px = img.load()

    def strip(y, cols):
        for x, col in enumerate(cols):
            px[x, y] = col

    track = [H("#D3D7DE")] + [H("#ECEEF1")] * 15 + [H("#F6F7F9")]
    track_p = [H("#C6CBD3")] + [H("#DADDE3")] * 15 + [H("#E6E8EC")]

    def thumb(body_l, body, body_r, line):
        return [track[0], track[1], line, body_l] + [body] * 9 + [body_r, line, track[15], track[16]]

    strip(0, track)
    strip(1, thumb(SLATE_LIGHT, SLATE, SLATE_DARK, SLATE_LINE))
    strip(2, [track[0], track[1]] + [SLATE_LINE] * 13 + [track[15], track[16]])
    strip(3, track_p)
    strip(4, thumb(AMBER_HI, AMBER, AMBER_LO, AMBER_LINE))
    strip(5, [track_p[0], track_p[1]] + [AMBER_LINE] * 13 + [track_p[15], track_p[16]])

    def arrow(x0, y0, h, up, pressed):
        c = Canvas(17, h, bg=MIST)
        st = {"top": SLATE_LIGHT, "bottom": SLATE, "line": SLATE_LINE} if pressed else \
             {"top": H("#FAFBFC"), "bottom": H("#E3E6EB"), "line": H("#B3BAC5")}
        c.fill(c.mask_rrect((0, 0, 17, h), 0), st["line"])
        c.fill_image(c.mask_rrect((1, 1, 16, h - 1), 0),
                     c.vgradient([(0, st["top"]), (1, st["bottom"])], 1, h - 1))
        col = WHITE if pressed else SLATE
        mid = h / 2
        if up:
            Pen(c, 0, 0).poly([(4.5, mid + 2.3), (8.5, mid - 2.3), (12.5, mid + 2.3)], col)
        else:
            Pen(c, 0, 0).poly([(4.5, mid - 2.3), (8.5, mid + 2.3), (12.5, mid - 2.3)], col)
        img.paste(c.finish(), (x0, y0))

    for x0, pressed in ((17, True), (51, False)):
        arrow(x0, 17, 17, False, pressed)   # rows 17..33 (shared top row with up's bottom)
        arrow(x0, 0, 18, True, pressed)      # rows 0..17
    return img


# ---------------------------------------------------------------- editor frame

def editor_frame():
    """307, 630 x 339, painted at (10, 104) of the editor: the grid sits at
    (16, 18)-(506, 318) of it, the side buttons at x 522..614."""
    W, Hh = 630, 339
    c = Canvas(W, Hh)
    # panel
    c.fill(c.mask_rrect((0, 0, W, Hh), 10), H("#D5D9E0"))
    c.fill_image(c.mask_rrect((1, 1, W - 1, Hh - 1), 9),
                 c.vgradient([(0, H("#F7F8FA")), (1, H("#EEF0F3"))], 1, Hh - 1))
    # bezel round the grid
    c.fill(c.mask_rrect((9, 11, 513, 325), 7), SLATE_DARK)
    c.fill(c.mask_rrect((10, 12, 512, 324), 6), SLATE)
    c.fill(c.mask_rrect((15, 17, 507, 319), 1), SLATE_LINE)
    # side column well
    c.fill(c.mask_rrect((516, 11, 621, 325), 7), H("#DCE0E6"))
    c.fill_image(c.mask_rrect((517, 12, 620, 324), 6),
                 c.vgradient([(0, WHITE), (1, H("#F4F5F7"))], 12, 324))
    img = c.finish()
    cap = font("sans-bold", 9)
    for y, text in ((75, "LENGTH"), (135, "STEPS PER BEAT"), (227, "PATTERN FILE")):
        text_centred(img, 568, y - 3, text, cap, H("#6B7384"), spacing=0.8)
    return img


# ---------------------------------------------------------------- bubble

BUBBLE_FILL = (255, 255, 242)


def hard_edge(c, img, line):
    """A shaped window's outline: each pixel is either the picture (its
    edge in the line colour) or exact white, which is cut away."""
    cov = np.array(c.cover.resize(img.size, Image.BOX))
    arr = np.array(img)
    edge = (cov > 0) & (cov < 255)
    arr[edge & (cov >= 128)] = line
    arr[cov < 128] = WHITE
    return Image.fromarray(arr, "RGB")


def bubble():
    """295, 374 x 161: a pale speech bubble on white (white is cut away).
    The pointer's tip is where the cursor is, 312 px from the left and 9
    px below the top; the dialog's own text sits at (22, 72), its check box
    at (14, 120) and Yes/No at (236, 114) and (298, 114)."""
    W, Hh = 374, 161
    line = SLATE
    c = Canvas(W, Hh)
    body = (2, 20, W - 2, Hh - 2)
    shape = c.mask_rrect(body, 14)
    shape.paste(255, (0, 0), c.mask_polygon([(288, 22), (312.5, 1.5), (314.5, 1.5), (338, 22)]))
    inner = c.mask_rrect((4, 22, W - 4, Hh - 4), 12)
    inner.paste(255, (0, 0), c.mask_polygon([(291.5, 23), (313.5, 4.6), (334.5, 23)]))
    c.fill(shape, line, cover=True)
    c.fill(inner, BUBBLE_FILL)
    # title with an eraser mark
    from glyphs import sym_broom
    sym_broom(Pen(c, 22, 36, 1.1), SLATE_DARK, AMBER)
    # a hairline under the title
    c.fill(c.mask_rrect((22, 62, 352, 63), 0), H("#E8E4CF"))
    img = c.finish()
    draw_text(img, (46, 52), "Clean the whole pattern?", font("sans-bold", 15), SLATE_DARK)
    return hard_edge(c, img, line)


# ---------------------------------------------------------------- practice panel

def practice_panel():
    """370, 512 x 352: the Practice window, a pale panel like the clean
    bubble on white (white is cut away). The dialog puts two columns of
    labels at x 24 and 264 with their spins beside them, rows 56 px apart
    from y 72, and its OK button at (372, 288); the title band is the top
    56 px, and a hairline parts the columns."""
    W, Hh = 512, 352
    line = SLATE
    c = Canvas(W, Hh)
    shape = c.mask_rrect((2, 2, W - 2, Hh - 2), 16)
    inner = c.mask_rrect((4, 4, W - 4, Hh - 4), 14)
    c.fill(shape, line, cover=True)
    c.fill(inner, BUBBLE_FILL)
    # a clock face beside the title
    pn = Pen(c, 22, 14, 1.0)
    pn.ellipse((0, 0, 26, 26), fill=AMBER, outline=SLATE_DARK, width=1.6)
    pn.line([(13, 13), (13, 5)], SLATE_DARK, 1.8)
    pn.line([(13, 13), (19, 16)], SLATE_DARK, 1.8)
    c.fill(c.mask_rrect((22, 50, W - 22, 51), 0), H("#E8E4CF"))
    c.fill(c.mask_rrect((254, 64, 255, 270), 0), H("#EFEBD8"))
    img = c.finish()
    draw_text(img, (58, 33), "Practice", font("sans-bold", 17), SLATE_DARK)
    draw_text(img, (150, 33), "count-in, trainer, muted bars, timer", font("sans", 11), H("#6B7384"))
    return hard_edge(c, img, line)


# ---------------------------------------------------------------- metronome art

def metronome(c, ox, oy, k, pal, angle):
    """The About picture's pyramid metronome in a 100 x 140 design box."""
    pn = Pen(c, ox, oy, k)
    # plinth
    pn.rrect((4, 120, 96, 136), 5, fill=pal["base"])
    pn.rrect((4, 120, 96, 123), 1.5, fill=pal["base_hi"])
    # body with a rounded top, lit from the left
    pn.poly([(38, 6), (62, 6), (88, 124), (12, 124)], pal["body"])
    pn.rrect((36, 2, 64, 14), 6, fill=pal["body"])
    pn.poly([(38, 6), (50, 6), (50, 124), (12, 124)], pal["body_hi"])
    pn.rrect((36, 2, 50, 14), 6, fill=pal["body_hi"])
    pn.poly([(48, 6), (52, 6), (52, 124), (48, 124)], pal["body"])
    # front window with its tempo scale
    pn.poly([(43, 20), (57, 20), (74, 108), (26, 108)], pal["window"])
    for i in range(9):
        y = 30 + i * 9
        half = 7 + (y - 20) * 17 / 88 - 3
        pn.line([(50 - half * 0.35, y), (50 + half * 0.35, y)], pal["scale"], 1.2, caps=False)
    # pendulum with its sliding weight
    pivot = (50, 104)
    a = math.radians(angle)
    length = 92
    tip = (pivot[0] + length * math.sin(a), pivot[1] - length * math.cos(a))
    pn.line([pivot, tip], pal["rod"], 3.2)
    wx, wy = pivot[0] + length * 0.55 * math.sin(a), pivot[1] - length * 0.55 * math.cos(a)
    pts = []
    for dx, dy in ((-9, -7), (9, -7), (6.3, 7), (-6.3, 7)):
        pts.append((wx + dx * math.cos(a) - dy * math.sin(a), wy + dx * math.sin(a) + dy * math.cos(a)))
    pn.poly(pts, pal["weight"])
    pn.ellipse((pivot[0] - 5, pivot[1] - 5, pivot[0] + 5, pivot[1] + 5), fill=pal["rod"])


ABOUT_TERMS = [
    "Pulsewick is free to use for practice, teaching and performance, and you may "
    "give unchanged copies to others free of charge.",
    "The program is provided \u201cas is\u201d, without warranty of any kind. The "
    "author is not liable for any loss or damage arising from its use.",
    "The patterns you create are your own.",
]


def wrap(text, fnt, width):
    lines, cur = [], ""
    for word in text.split():
        trial = f"{cur} {word}".strip()
        if fnt.getlength(trial) <= width:
            cur = trial
        else:
            lines.append(cur)
            cur = word
    return lines + [cur]


def about():
    """299, 500 x 370. The dialog puts its links at y 312..328, the check
    box at (14, 340) and the button at (388, 328), so below y 300 the
    picture stays plain white."""
    W, Hh = 500, 370
    c = Canvas(W, Hh)
    # illustration panel
    panel = (16, 16, 196, 288)
    c.fill(c.mask_rrect(panel, 14), SLATE_LINE)
    c.fill_image(c.mask_rrect((17, 17, 195, 287), 13),
                 c.vgradient([(0, H("#465064")), (1, SLATE_DARK)], 17, 287))
    pn = Pen(c, 0, 0)
    # the path of the pendulum's tip
    pivot = (106, 239.8)
    r = 118
    pn.arc(pivot[0], pivot[1], r, 60, 120, mix(SLATE_DARK, AMBER, 0.35), 1.6, 40)
    for ang in (60, 120):
        a = math.radians(ang)
        x, y = pivot[0] + r * math.cos(a), pivot[1] - r * math.sin(a)
        pn.ellipse((x - 3, y - 3, x + 3, y + 3), fill=mix(SLATE_DARK, AMBER, 0.6))
    pal = dict(base=H("#1B1F28"), base_hi=H("#59627A"), body=H("#E9ECF1"), body_hi=WHITE,
               window=H("#2F3646"), scale=H("#7D879A"), rod=AMBER, weight=AMBER_HI)
    metronome(c, 46, 115, 1.2, pal, angle=-22)
    # beat dots
    for i in range(4):
        col = AMBER if i == 0 else H("#7D879A")
        x = 76 + i * 20
        pn.ellipse((x - 3.5, 44 - 3.5, x + 3.5, 44 + 3.5), fill=col)
    # divider above the controls
    c.fill(c.mask_rrect((16, 300, 484, 301), 0), H("#E3E6EB"))
    img = c.finish()
    x = 220
    draw_text(img, (x - 2, 70), "Pulsewick", font("sans-bold", 44), SLATE_DARK)
    draw_text(img, (x, 96), "VERSION 1.01", font("sans-bold", 12), AMBER_LO, spacing=1.6)
    draw_text(img, (x, 120), "A metronome with your own beats", font("sans", 14), H("#4C5568"))
    draw_text(img, (x, 160), "TERMS OF USE", font("sans-bold", 10), H("#6B7384"), spacing=1.4)
    f = font("sans", 12)
    y = 180
    for para in ABOUT_TERMS:
        for line in wrap(para, f, 484 - x):
            draw_text(img, (x, y), line, f, H("#4C5568"))
            y += 16
        y += 7
    return img


# ---------------------------------------------------------------- icon

ICON_PAL = dict(line=SLATE_LINE, light=SLATE_LIGHT, body=SLATE, window=H("#FBF6EA"),
                tick=H("#A7ADB7"), rod=AMBER_LO, weight=AMBER)


def icon_art(c, k, detail, pal):
    """The icon's metronome on a 32-unit grid filling the square: a bolder
    shape than the About picture's, so it reads at 16 pixels."""
    pn = Pen(c, 0, 0, k)
    pn.rrect((2.5, 26.5, 29.5, 31), 1.6, fill=pal["line"])
    pn.poly([(12.2, 2.5), (19.8, 2.5), (27.5, 27.5), (4.5, 27.5)], pal["line"])
    pn.rrect((11.8, 1, 20.2, 5), 2, fill=pal["line"])
    pn.poly([(12.9, 3.4), (19.1, 3.4), (26.3, 27.0), (5.7, 27.0)],
            pal["light"] if detail else pal["body"])
    if detail:
        pn.poly([(16, 3.4), (19.1, 3.4), (26.3, 27.0), (16, 27.0)], pal["body"])
    pn.poly([(14.3, 6.5), (17.7, 6.5), (22.6, 24.5), (9.4, 24.5)], pal["window"])
    if detail:
        for i in range(6):
            y = 9 + i * 2.6
            pn.line([(16.0, y), (17.6, y)], pal["tick"], 0.5, caps=False)
    a = math.radians(-20)
    pivot = (16, 22.2)
    length = 21.5
    tip = (pivot[0] + length * math.sin(a), pivot[1] - length * math.cos(a))
    pn.line([pivot, tip], pal["rod"], 1.5 if detail else 1.9)
    wx, wy = pivot[0] + 0.58 * length * math.sin(a), pivot[1] - 0.58 * length * math.cos(a)
    pts = []
    for dx, dy in ((-2.6, -1.9), (2.6, -1.9), (1.9, 1.9), (-1.9, 1.9)):
        pts.append((wx + dx * math.cos(a) - dy * math.sin(a), wy + dx * math.sin(a) + dy * math.cos(a)))
    pn.poly(pts, pal["weight"])
    pn.ellipse((pivot[0] - 1.7, pivot[1] - 1.7, pivot[0] + 1.7, pivot[1] + 1.7), fill=pal["rod"])


def icon_image(size):
    """The metronome on a transparent background, RGBA."""
    ss = 8 if size < 64 else 2
    detail = size >= 32
    c = Canvas(size, size, bg=(0, 0, 0), ss=ss)
    icon_art(c, size / 32, detail, ICON_PAL)
    # coverage: the same drawing in white on black
    m = Canvas(size, size, bg=(0, 0, 0), ss=ss)
    icon_art(m, size / 32, detail, {key: WHITE for key in ICON_PAL})
    col = c.img.resize((size, size), Image.BOX)
    alpha = m.img.convert("L").resize((size, size), Image.BOX)
    # un-premultiply the colour (it was drawn over black)
    a = np.array(alpha, dtype=float)[..., None] / 255
    rgb = np.array(col, dtype=float)
    rgb = np.where(a > 0, rgb / np.maximum(a, 1e-6), 0)
    out = np.dstack([np.clip(rgb + 0.5, 0, 255).astype(np.uint8), np.array(alpha)])
    return Image.fromarray(out, "RGBA")


def _ico_dib(img):
    w, h = img.size
    arr = np.array(img)
    bgra = arr[..., [2, 1, 0, 3]].copy()
    bgra[arr[..., 3] == 0, :3] = 0
    xor = bgra[::-1].tobytes()
    row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(row)
        for x in range(w):
            if arr[y, x, 3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def write_icon(path):
    """Icon 128: 32-bit images with alpha and an AND mask; the 256 size is
    stored as PNG, as the platform expects for that size."""
    entries = []
    for size in inv.ICON_SIZES:
        img = icon_image(size)
        if size >= 256:
            buf = io.BytesIO()
            img.save(buf, format="PNG")
            data = buf.getvalue()
        else:
            data = _ico_dib(img)
        entries.append((size, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        d = size if size < 256 else 0
        out += struct.pack("<BBBBHHII", d, d, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def singles():
    return {
        155: popup_centre(),
        293: spin_back(),
        303: row_tile("hover"),
        304: row_tile("idle"),
        305: row_tile("active"),
        307: editor_frame(),
        311: scroll_skin(),
        362: separator(),
        295: bubble(),
        299: about(),
        370: practice_panel(),
    }
