"""Palette and the two button looks of Pulsewick: the slate push button of
the windows and the light tool tile of the editor toolbar."""

from paint import (Canvas, KEY_GREEN, hex_rgb, mask_sub, font, text_ink_box, text_centred,
                   cap_height, draw_text)
from glyphs import Pen, SYMBOLS, SYMBOL_SIZE, ICONS

H = hex_rgb

SLATE_DARK = H("#2B3140")
SLATE = H("#3A4252")
SLATE_LIGHT = H("#4C5568")
SLATE_LINE = H("#1E232E")
AMBER = H("#F0A030")
AMBER_HI = H("#F5A623")
AMBER_LO = H("#E08A10")
AMBER_LINE = H("#B36C0A")
GREY_FACE = H("#D9DCE1")
GREY_LABEL = H("#9AA0AA")
GREY_LINE = H("#C2C7CF")
MIST = H("#E6E8EC")
WHITE = (255, 255, 255)

# Slate push button states
BUTTON_STATES = {
    "normal": dict(top=SLATE, bottom=SLATE_DARK, line=SLATE_LINE, label=WHITE, accent=AMBER,
                   detail=WHITE, shine=0.16, glow=None),
    "hot": dict(top=SLATE_LIGHT, bottom=SLATE, line=AMBER, label=WHITE, accent=AMBER,
                detail=WHITE, shine=0.18, glow=AMBER),
    "flash": dict(top=AMBER_HI, bottom=AMBER_LO, line=AMBER_LINE, label=SLATE_DARK,
                  accent=SLATE_DARK, detail=H("#FCD89A"), shine=0.30, glow=None),
    "disabled": dict(top=H("#E2E4E8"), bottom=GREY_FACE, line=GREY_LINE, label=GREY_LABEL,
                     accent=GREY_LABEL, detail=H("#C4C9D1"), shine=0.5, glow=None),
}

# Light tool tile states (toolbar items and the sound switch)
TILE_STATES = {
    "normal": dict(top=WHITE, bottom=H("#E9ECF0"), line=H("#BCC2CC"), label=SLATE,
                   key=H("#A3A9B3"), glow=None, shine=0.0,
                   pal=dict(ink=SLATE_DARK, acc=AMBER_LO, head=WHITE, metal=H("#F6C768"),
                            badge=WHITE, badge_ink=SLATE_DARK)),
    "hot": dict(top=WHITE, bottom=H("#FCEBCF"), line=AMBER, label=SLATE_DARK,
                key=H("#C08A3A"), glow=AMBER, shine=0.0,
                pal=dict(ink=SLATE_DARK, acc=AMBER_LO, head=WHITE, metal=H("#F6C768"),
                         badge=WHITE, badge_ink=SLATE_DARK)),
    "selected": dict(top=AMBER_HI, bottom=AMBER_LO, line=AMBER_LINE, label=SLATE_DARK,
                     key=H("#8A5208"), glow=None, shine=0.30,
                     pal=dict(ink=SLATE_DARK, acc=WHITE, head=H("#FFF3DC"), metal=H("#FFF0D0"),
                              badge=SLATE_DARK, badge_ink=WHITE)),
}


def face(c, box, r, st, cover=True):
    """A rounded face with a vertical gradient, a one-pixel outline, a thin
    highlight under the top edge and, for hot states, an inner glow."""
    x0, y0, x1, y1 = box
    outer = c.mask_rrect(box, r)
    inner = c.mask_rrect((x0 + 1, y0 + 1, x1 - 1, y1 - 1), r - 1)
    c.fill(outer, st["line"], cover=cover)
    c.fill_image(inner, c.vgradient([(0, st["top"]), (1, st["bottom"])], y0 + 1, y1 - 1))
    if st.get("shine"):
        band = mask_sub(inner, c.mask_rrect((x0 + 1, y0 + 2, x1 - 1, y1 - 1), r - 1))
        c.fill(band, WHITE, alpha=st["shine"])
    if st.get("glow"):
        ring = mask_sub(inner, c.mask_rrect((x0 + 2, y0 + 2, x1 - 2, y1 - 2), r - 2))
        c.fill(ring, st["glow"], alpha=0.55)
        ring2 = mask_sub(c.mask_rrect((x0 + 2, y0 + 2, x1 - 2, y1 - 2), r - 2),
                         c.mask_rrect((x0 + 3, y0 + 3, x1 - 3, y1 - 3), r - 3))
        c.fill(ring2, st["glow"], alpha=0.18)


# ---------------------------------------------------------------- content

def T(text, size=13, fnt="sans-bold", spacing=0.4):
    return ("text", text, fnt, size, spacing)


def S(name, role="label", dy=0.0):
    return ("sym", name, role, dy)


def _item_width(it):
    if it[0] == "sym":
        return SYMBOL_SIZE[it[1]][0]
    _, text, fnt, size, spacing = it
    return text_ink_box(text, font(fnt, size), spacing)[2] - text_ink_box(text, font(fnt, size), spacing)[0]


def layout(items, w, gap):
    widths = [_item_width(it) for it in items]
    total = sum(widths) + gap * (len(items) - 1)
    x = (w - total) / 2
    out = []
    for it, wd in zip(items, widths):
        out.append((round(x), it))
        x += wd + gap
    return out


def draw_content(c, items, gap, st, cy=None, x0=0, w=None):
    """Symbols go on the supersampled canvas now; text is returned to be
    drawn after downsampling. The content is centred in the slot x0..x0+w."""
    if cy is None:
        cy = c.h / 2
    if w is None:
        w = c.w
    texts = []
    for x, it in layout(items, w, gap):
        x += x0
        if it[0] == "sym":
            _, name, role, dy = it
            sw, sh = SYMBOL_SIZE[name]
            col = st["accent"] if role == "accent" else st["label"]
            other = st["detail"] if role == "accent" else st["accent"]
            SYMBOLS[name](Pen(c, x, round(cy - sh / 2 + dy)), col, other)
        else:
            texts.append((x, it))
    return texts


def draw_texts(img, texts, cy, colour):
    # all labels of one button share a baseline, set by the tallest capitals
    if not texts:
        return
    caps = max(cap_height(font(it[2], it[3])) for _, it in texts)
    base = round(cy + caps / 2)
    for x, (_, text, fnt, size, spacing) in texts:
        f = font(fnt, size)
        b = text_ink_box(text, f, spacing)
        draw_text(img, (x - b[0], base), text, f, colour, spacing)


def skin_button(size, state, items, gap=6, radius=6, key=KEY_GREEN, bg=WHITE):
    """A slate push button image; outside its rounded shape is the key
    colour (edges are blended against `bg`, the window colour behind)."""
    w, h = size
    st = BUTTON_STATES[state]
    c = Canvas(w, h, bg=bg)
    face(c, (0, 0, w, h), radius, st)
    texts = draw_content(c, items, gap, st)
    img = c.finish(key=key)
    draw_texts(img, texts, h / 2, st["label"])
    return img


def tool_tile(state, icon, label, letter, size=(46, 40)):
    """An editor toolbar item: icon above a small label, the keyboard letter
    in the top-left corner."""
    w, h = size
    st = TILE_STATES[state]
    c = Canvas(w, h)
    face(c, (1, 1, w - 1, h - 1), 5, st)
    k = 0.9
    ICONS[icon](Pen(c, (w - 24 * k) / 2, 4.0, k), st["pal"])
    img = c.finish(key=KEY_GREEN)
    for (x, y), text, col in c.pending_text:
        text_centred(img, x, y, text, font("sans-bold", 9), col)
    f = font("sans-bold", 8)
    text_centred(img, w / 2, 34.0, label, f, st["label"], spacing=0.2 if len(label) < 7 else 0.0)
    draw_text(img, (4, 10), letter, font("sans-bold", 7), st["key"])
    return img


def sound_tile(state, on, size=(46, 40)):
    from glyphs import speaker
    w, h = size
    st = TILE_STATES[state]
    c = Canvas(w, h)
    face(c, (1, 1, w - 1, h - 1), 5, st)
    pal = st["pal"]
    # The speaker inside the focus rectangle (8 pixels in), the word below it.
    speaker(Pen(c, 14.0, 12.0), pal["ink"], pal["acc"], on)
    img = c.finish(key=KEY_GREEN)
    text_centred(img, w / 2, 35.0, "SOUND" if on else "MUTED", font("sans-bold", 7),
                 st["label"], spacing=0.2)
    return img
