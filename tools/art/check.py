"""Checks the generated resources and draws contact sheets to look at.

Usage: check.py RES_DIR [SHEET_DIR]   (sheets go to /tmp/art-sheets by default)
"""

import os
import struct
import sys
from collections import deque

import numpy as np
from PIL import Image, ImageDraw

import inventory as inv
from paint import font

GREEN = np.array([0, 255, 0])
FACE = (240, 240, 240)  # the platform's button face, which shows through the key


def fail(msg):
    print("FAIL:", msg)
    fail.count += 1


fail.count = 0


def read_bmp(path):
    raw = open(path, "rb").read()
    if raw[:2] != b"BM":
        fail(f"{path}: not a BMP")
    size, w, h, planes, bpp, comp = struct.unpack("<IiiHHI", raw[14:34])
    if size != 40 or bpp != 24 or comp != 0 or h <= 0 or planes != 1:
        fail(f"{path}: header {size} {bpp}bpp comp {comp} height {h}")
    return Image.open(path).convert("RGB")


def keyed_ids():
    ids = set()
    for _, ids_by_state, _ in inv.BUTTONS.values():
        ids |= set(ids_by_state.values())
    for k in range(len(inv.TOOLBAR)):
        ids |= {inv.TOOL_HOT + k, inv.TOOL_NORMAL + k, inv.TOOL_SELECTED + k}
    return ids


def check_keyed(rid, a):
    is_key = np.all(a == GREEN, axis=-1)
    if not is_key[0, 0] or not is_key[-1, -1]:
        fail(f"{rid}: corners are not the key colour")
    ai = a.astype(int)
    greenish = (ai[..., 1] - np.maximum(ai[..., 0], ai[..., 2]) > 40) & ~is_key
    if greenish.any():
        ys, xs = np.nonzero(greenish)
        fail(f"{rid}: {len(xs)} near-green pixels, first at {xs[0]},{ys[0]} = {a[ys[0], xs[0]]}")


def label_mask(a):
    """Pixels of a keyed button image that stand out from its face: the face is
    a vertical gradient, so each row's commonest colour is its face there.
    The rim (outline and glow, 3 pixels in from the key) is not label."""
    key = np.all(a == GREEN, axis=-1)
    rim = key.copy()
    for dy in range(-3, 4):
        for dx in range(-3, 4):
            rim |= np.roll(np.roll(key, dy, 0), dx, 1)
    out = np.zeros(key.shape, bool)
    for y in range(a.shape[0]):
        face = a[y][~rim[y]]
        if not len(face):
            continue
        colours, counts = np.unique(face, axis=0, return_counts=True)
        diff = np.abs(a[y].astype(int) - colours[counts.argmax()].astype(int)).sum(axis=1)
        out[y] = (diff > 90) & ~rim[y]
    return out


def check_focus_clear(rid, a, inset):
    """The focus rectangle, `inset` pixels in on every side, and a pixel
    either side of it cross no label pixel."""
    h, w, _ = a.shape
    near = np.zeros((h, w), bool)
    x0, y0, x1, y1 = inset, inset, w - 1 - inset, h - 1 - inset
    for d in (-1, 0, 1):
        for y in (y0 + d, y1 + d):
            if 0 <= y < h:
                near[y, max(0, x0 - 1):x1 + 2] = True
        for x in (x0 + d, x1 + d):
            if 0 <= x < w:
                near[max(0, y0 - 1):y1 + 2, x] = True
    hit = near & label_mask(a)
    if hit.any():
        ys, xs = np.nonzero(hit)
        fail(f"{rid}: {len(xs)} label pixels on or beside the focus rectangle (inset {inset}), "
             f"first at {xs[0]},{ys[0]}")


def check_unkeyed(rid, a):
    ai = a.astype(int)
    greenish = ai[..., 1] - np.maximum(ai[..., 0], ai[..., 2]) > 40
    if greenish.any():
        fail(f"{rid}: green-looking pixels in a picture without a key colour")


def check_bubble(a):
    h, w, _ = a.shape
    white = np.all(a == 255, axis=-1)
    outside = np.zeros_like(white)
    q = deque()
    for x in range(w):
        for y in (0, h - 1):
            if white[y, x] and not outside[y, x]:
                outside[y, x] = True
                q.append((y, x))
    for y in range(h):
        for x in (0, w - 1):
            if white[y, x] and not outside[y, x]:
                outside[y, x] = True
                q.append((y, x))
    while q:
        y, x = q.popleft()
        for dy, dx in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            ny, nx = y + dy, x + dx
            if 0 <= ny < h and 0 <= nx < w and white[ny, nx] and not outside[ny, nx]:
                outside[ny, nx] = True
                q.append((ny, nx))
    if (white & ~outside).any():
        fail("295: white pixels inside the bubble would be holes")
    pale = np.all(a == (255, 255, 242), axis=-1)
    for x, y in ((187, 100), (30, 140), (340, 40), (313, 14)):
        if not pale[y, x]:
            fail(f"295: fill at {x},{y} is {a[y, x]}, not 255,255,242")
    # the rim must not fade into white: every kept pixel next to the cut is
    # the outline colour
    rim = ~outside & (np.roll(outside, 1, 0) | np.roll(outside, -1, 0) |
                      np.roll(outside, 1, 1) | np.roll(outside, -1, 1))
    light = rim & (a.astype(int).sum(axis=-1) > 3 * 200)
    if light.any():
        fail(f"295: {light.sum()} near-white rim pixels would show as a halo")
    if outside[9, 312] or outside[20, 180] is False:
        fail("295: the pointer does not reach the cursor position")
    return outside


def check_icon(path):
    raw = open(path, "rb").read()
    _, typ, n = struct.unpack("<HHH", raw[:6])
    sizes = []
    for i in range(n):
        w, h, _, _, planes, bpp, length, off = struct.unpack("<BBBBHHII", raw[6 + 16 * i:22 + 16 * i])
        sizes.append(w or 256)
        if bpp != 32 or off + length > len(raw):
            fail(f"icon entry {i}: {bpp} bpp, bad offset")
    if typ != 1 or not {16, 32, 48} <= set(sizes):
        fail(f"icon: type {typ}, sizes {sizes}")
    return sizes


def check_rc(res, ids):
    lines = [l for l in open(os.path.join(res, "bitmaps.rc")).read().splitlines()
             if l and not l.startswith("//")]
    want = [f'{inv.ICON_ID} ICON "icon/pulsewick.ico"'] + [f'{r} BITMAP "bmp/{r}.bmp"' for r in sorted(ids)]
    if lines != want:
        fail("bitmaps.rc does not list exactly the generated resources")


# ---------------------------------------------------------------- sheets

def shown(img):
    """How a keyed image looks in the program: the key shows the button face."""
    a = np.array(img).copy()
    a[np.all(a == GREEN, axis=-1)] = FACE
    return Image.fromarray(a)


def sheet(cells, cols, scale, title, bg=(255, 255, 255), pad=10, label_h=14):
    """cells: list of (caption, image)."""
    cw = max(i.size[0] for _, i in cells) * scale + pad
    ch = max(i.size[1] for _, i in cells) * scale + pad + label_h
    rows = (len(cells) + cols - 1) // cols
    out = Image.new("RGB", (cols * cw + pad, rows * ch + pad + 24), bg)
    d = ImageDraw.Draw(out)
    d.text((pad, 6), title, fill=(0, 0, 0), font=font("sans-bold", 13))
    for i, (cap, img) in enumerate(cells):
        x = pad + (i % cols) * cw
        y = 24 + pad + (i // cols) * ch
        d.text((x, y), cap, fill=(80, 80, 80), font=font("sans", 10))
        out.paste(img.resize((img.size[0] * scale, img.size[1] * scale), Image.NEAREST), (x, y + label_h))
    return out


def mock_main(imgs):
    """The main window's client area (344 x 292) with the normal images."""
    W, H = 344, 292
    m = Image.new("RGB", (W, H), (255, 255, 255))
    d = ImageDraw.Draw(m)
    d.rectangle([10, 12, 231, 155], outline=(0, 0, 0), fill=(255, 255, 245))
    d.rectangle([10, 216, 333, 219], fill=(0, 0, 0))
    d.text((10, 276), "About Pulsewick", fill=(0, 0, 255), font=font("sans", 11))
    d.text((294, 276), "Website", fill=(0, 0, 255), font=font("sans", 11))
    for rid, (x, y) in ((133, (242, 12)), (134, (242, 72)), (137, (242, 118)),
                        (145, (10, 236)), (151, (130, 236)), (177, (242, 236))):
        m.paste(shown(imgs[rid]), (x, y))
    d.line([(20, 190), (323, 190)], fill=(0, 0, 0))
    return m


def mock_popup(imgs):
    m = Image.new("RGB", (106, 60), (255, 255, 255))
    m.paste(imgs[155], (7, 11))
    m.paste(shown(imgs[160]), (0, 0))
    m.paste(shown(imgs[158]), (0, 33))
    m.paste(shown(imgs[154]), (60, 0))
    m.paste(shown(imgs[158]), (60, 33))
    return m


def mock_spin(imgs, value="16"):
    m = Image.new("RGB", (98, 60), (255, 255, 255))
    m.paste(imgs[293], (0, 11))
    m.paste(shown(imgs[154]), (52, 0))
    m.paste(shown(imgs[158]), (52, 33))
    d = ImageDraw.Draw(m)
    f = font("sans", 20)
    d.text((24, 30), value, fill=(0, 0, 0), font=f, anchor="mm")
    return m


def mock_editor(imgs):
    """The Custom Beat Setting client area (652 x 512)."""
    W, H = 652, 512
    m = Image.new("RGB", (W, H), (255, 255, 255))
    for k in range(24):
        rid = (inv.TOOL_SELECTED if k == 11 else inv.TOOL_HOT if k == 2 else inv.TOOL_NORMAL) + k
        m.paste(shown(imgs[rid]), (10 + 46 * (k % 12), 12 + 40 * (k // 12)))
    m.paste(imgs[362], (566, 12))
    m.paste(shown(imgs[363]), (590, 34))
    m.paste(imgs[307], (10, 104))
    # grid
    gx, gy, gw, gh = 26, 122, 490, 300
    d = ImageDraw.Draw(m)
    d.rectangle([gx, gy, gx + gw - 1, gy + gh - 1], fill=(255, 255, 255), outline=(0, 0, 0))
    cw = (gw - 2 - 17 - 30) // 5
    f = font("sans", 12)
    pat = {0: "Kick", 4: "Snare", 8: "Kick", 12: "Snare"}
    for col in range(5):
        x0 = gx + 1 + col * cw
        for i in range(12):
            y0 = gy + 1 + i * 25
            d.rectangle([x0 + 1, y0 + 2, x0 + cw - 3, y0 + 23], outline=(200, 200, 200), fill=(255, 255, 255))
            if col == 0 and i in pat or col == 1 and i % 2 == 0:
                d.rectangle([x0 + 2, y0 + 3, x0 + cw - 4, y0 + 22], fill=(0, 0, 0))
                d.text((x0 + cw // 2, y0 + 12), pat.get(i, "ClsHiat") if col == 0 else "ClsHiat",
                       fill=(255, 255, 255), font=f, anchor="mm")
            if i and i % 4 == 0:
                d.line([(x0, y0), (x0 + cw - 1, y0)], fill=(100, 100, 100))
        d.line([(x0 + cw - 1, gy + 1), (x0 + cw - 1, gy + gh - 2)], fill=(0, 0, 0))
    sx = gx + gw - 1 - 17 - 30
    for i in range(12):
        tile = imgs[303 if i == 5 else 305]
        m.paste(tile, (sx, gy + 1 + i * 25))
        d.text((sx + 20, gy + 1 + i * 25 + 12), str(i + 1), fill=(0, 0, 0) if i == 5 else (255, 255, 255),
               font=font("sans", 10), anchor="mm")
        if i and i % 4 == 0:
            d.line([(sx, gy + 1 + i * 25), (sx + 29, gy + 1 + i * 25)], fill=(255, 0, 0))
    # scroll bar from the skin's source rectangles
    sk = imgs[311]
    bx, top, bot = gx + gw - 1 - 17, gy + 1, gy + gh - 1
    m.paste(sk.crop((51, 0, 68, 18)).resize((17, 17)), (bx, top))
    m.paste(sk.crop((51, 17, 68, 34)).resize((17, 17)), (bx, bot - 17))
    m.paste(sk.crop((0, 0, 17, 1)).resize((17, bot - top - 34)), (bx, top + 17))
    m.paste(sk.crop((0, 1, 17, 2)).resize((17, 80)), (bx, top + 40))
    m.paste(sk.crop((0, 2, 17, 3)), (bx, top + 40))
    m.paste(sk.crop((0, 2, 17, 3)), (bx, top + 119))
    for rid, (x, y) in ((290, (532, 122)), (278, (532, 184)), (151, (532, 244)),
                        (281, (532, 336)), (369, (532, 382)), (287, (10, 456)),
                        (272, (384, 454)), (296, (522, 454))):
        m.paste(shown(imgs[rid]), (x, y))
    return m


def main():
    res = sys.argv[1]
    out_dir = sys.argv[2] if len(sys.argv) > 2 and sys.argv[2] else "/tmp/art-sheets"
    os.makedirs(out_dir, exist_ok=True)
    imgs = {}
    keyed = keyed_ids()
    for rid, size, role in inv.all_bitmaps():
        path = os.path.join(res, "bmp", f"{rid}.bmp")
        if not os.path.exists(path):
            fail(f"{rid} missing")
            continue
        img = read_bmp(path)
        imgs[rid] = img
        if img.size != size:
            fail(f"{rid}: size {img.size}, want {size}")
        a = np.array(img)
        if rid in keyed:
            check_keyed(rid, a)
        else:
            check_unkeyed(rid, a)
    for name, (_, ids, _) in inv.BUTTONS.items():
        for rid in ids.values():
            if rid in imgs:
                check_focus_clear(rid, np.array(imgs[rid]), inv.focus_inset(name))
    for k in range(len(inv.TOOLBAR)):
        for base in (inv.TOOL_HOT, inv.TOOL_NORMAL, inv.TOOL_SELECTED):
            if base + k in imgs:
                check_focus_clear(base + k, np.array(imgs[base + k]), inv.TOOL_FOCUS_INSET)
    check_rc(res, imgs)
    check_bubble(np.array(imgs[295]))
    sizes = check_icon(os.path.join(res, "icon", "pulsewick.ico"))

    # sheets
    def cells(names):
        out = []
        for name in names:
            size, ids, _ = inv.BUTTONS[name]
            for state in ("normal", "hot", "flash", "disabled"):
                if state in ids:
                    out.append((f"{ids[state]} {name} {state}", shown(imgs[ids[state]])))
        return out

    sheet(cells(["start", "stop", "tempo_up", "tempo_down", "mode", "beat", "custom_beat",
                 "arrow_up", "arrow_down"]), 4, 2, "Main window buttons (x2)").save(
        os.path.join(out_dir, "1-main-buttons.png"))
    sheet(cells(["ok", "cancel", "clean", "steps", "open", "save", "play", "preview_stop",
                 "sound_on", "sound_off"]), 3, 2, "Editor buttons (x2)").save(
        os.path.join(out_dir, "2-editor-buttons.png"))
    for base, state in ((inv.TOOL_NORMAL, "normal"), (inv.TOOL_HOT, "hot"), (inv.TOOL_SELECTED, "selected")):
        sheet([(f"{base + k} {inv.TOOLBAR[k][0][:10]}", shown(imgs[base + k])) for k in range(24)], 12, 3,
              f"Toolbar {state} (x3)", pad=8).save(os.path.join(out_dir, f"3-toolbar-{state}.png"))
    sheet([(f"{inv.ANIM_FIRST + i} frame {i}", imgs[inv.ANIM_FIRST + i]) for i in range(13)], 3, 2,
          "Mode switch frames (x2), window shows the top-left 206x52", bg=(225, 228, 232)).save(
        os.path.join(out_dir, "4-mode-switch.png"))
    sheet([("155 popup centre", imgs[155]), ("popup mock", mock_popup(imgs)),
           ("293 spin back", imgs[293]), ("spin mock", mock_spin(imgs)),
           ("303 hover", imgs[303]), ("304 idle", imgs[304]), ("305 active", imgs[305]),
           ("362 separator", imgs[362]), ("311 scroll skin", imgs[311])], 5, 3,
          "Small pieces (x3)", bg=(225, 228, 232)).save(os.path.join(out_dir, "5-small.png"))
    sheet([("307 editor frame", imgs[307])], 1, 1, "Editor frame", bg=(225, 228, 232)).save(
        os.path.join(out_dir, "6-frame.png"))
    b = np.array(imgs[295]).copy()
    outside = check_bubble(b)
    b[outside] = (58, 110, 165)
    sheet([("295 raw", imgs[295]), ("295 cut, on a blue desktop", Image.fromarray(b))], 1, 1,
          "Clean bubble", bg=(225, 228, 232)).save(os.path.join(out_dir, "7-bubble.png"))
    sheet([("299 about", imgs[299])], 1, 1, "About", bg=(225, 228, 232)).save(
        os.path.join(out_dir, "8-about.png"))
    sheet([("main window mock", mock_main(imgs))], 1, 2, "Main window mock (x2)").save(
        os.path.join(out_dir, "9-main-mock.png"))
    sheet([("editor mock", mock_editor(imgs))], 1, 1, "Editor mock").save(
        os.path.join(out_dir, "10-editor-mock.png"))
    ico = Image.open(os.path.join(res, "icon", "pulsewick.ico"))
    row = []
    for s in sorted(sizes):
        if s > 48:
            continue
        ico.size = (s, s)
        im = ico.convert("RGBA")
        for bg in ((255, 255, 255), (40, 40, 40), (58, 110, 165)):
            canvas = Image.new("RGB", im.size, bg)
            canvas.paste(im, (0, 0), im)
            row.append((f"{s} x4", canvas.resize((s * 4, s * 4), Image.NEAREST)))
    sheet(row, 3, 1, "Icon 128 (small sizes x4)", bg=(200, 200, 200)).save(
        os.path.join(out_dir, "11-icon.png"))
    strip = Image.new("RGB", (400, 80), (255, 255, 255))
    x = 8
    for s in sorted(sizes):
        if s > 48:
            continue
        ico.size = (s, s)
        im = ico.convert("RGBA")
        strip.paste(im, (x, 8), im)
        x += s + 12
    strip.save(os.path.join(out_dir, "11-icon-actual.png"))

    n = len(imgs)
    print(f"{n} bitmaps, icon sizes {sizes}: {fail.count} problem(s); sheets in {out_dir}")
    sys.exit(1 if fail.count else 0)


if __name__ == "__main__":
    main()
