"""Regenerates every bitmap, the icon, res/bitmaps.rc and res/bitmap_ids.h of
Pulsewick.

Usage: generate.py RES_DIR
"""

import os
import sys

import inventory as inv
import pictures
import rcfiles
from paint import save_bmp
from content import BUTTON_CONTENT
from skin import skin_button, tool_tile, sound_tile

def render_button(name, state):
    size = inv.BUTTONS[name][0]
    if name in ("sound_on", "sound_off"):
        tile_state = {"hot": "hot", "normal": "normal", "flash": "selected"}[state]
        return sound_tile(tile_state, name == "sound_on")
    items, gap = BUTTON_CONTENT[name]
    radius = 7 if size[1] >= 48 else 6
    return skin_button(size, state, items, gap=gap, radius=radius)


def build_all():
    """id -> PIL image for every bitmap resource."""
    out = {}
    for name, (size, ids, _) in inv.BUTTONS.items():
        for state, rid in ids.items():
            out[rid] = render_button(name, state)
    for k, (icon, label, letter) in enumerate(inv.TOOLBAR):
        out[inv.TOOL_HOT + k] = tool_tile("hot", icon, label, letter)
        out[inv.TOOL_NORMAL + k] = tool_tile("normal", icon, label, letter)
        out[inv.TOOL_SELECTED + k] = tool_tile("selected", icon, label, letter)
    for i, img in enumerate(pictures.mode_switch_frames()):
        out[inv.ANIM_FIRST + i] = img
    out.update(pictures.singles())
    return out


def main():
    res_dir = sys.argv[1]
    images = build_all()
    expected = {rid: size for rid, size, _ in inv.all_bitmaps()}
    assert set(images) == set(expected), sorted(set(images) ^ set(expected))
    bmp_dir = os.path.join(res_dir, "bmp")
    os.makedirs(bmp_dir, exist_ok=True)
    for rid, img in images.items():
        assert img.size == expected[rid], (rid, img.size, expected[rid])
        save_bmp(img, os.path.join(bmp_dir, f"{rid}.bmp"))
    os.makedirs(os.path.join(res_dir, "icon"), exist_ok=True)
    pictures.write_icon(os.path.join(res_dir, "icon", "pulsewick.ico"))
    rcfiles.write_rc(res_dir)
    rcfiles.write_ids(res_dir)
    print(f"{len(images)} bitmaps and the icon written to {res_dir}")


if __name__ == "__main__":
    main()
