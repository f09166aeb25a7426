"""Every bitmap resource of Pulsewick: id, size in pixels and role.

Button images come in sets (hot, normal, optional disabled, optional flash);
pure green is their transparent colour. Sizes follow the controls that show
them (dialog units times two with the dialogs' "System" 12 font).
"""

# Skin button sets: name -> (size, {state: resource id}, role)
BUTTONS = {
    # main window, 92 x 38 each
    "start": ((92, 38), {"hot": 132, "normal": 133, "flash": 131}, "main: start (1001)"),
    "stop": ((92, 38), {"hot": 144, "normal": 142, "flash": 143}, "main: stop (1002)"),
    "tempo_down": ((92, 38), {"hot": 138, "normal": 137, "flash": 139}, "main: tempo - 1 (1006)"),
    "tempo_up": ((92, 38), {"hot": 135, "normal": 134, "flash": 136}, "main: tempo + 1 (1007)"),
    "mode": ((92, 38), {"hot": 147, "normal": 145, "flash": 146}, "main: mode switch (1010)"),
    "custom_beat": ((92, 38), {"hot": 150, "normal": 148, "disabled": 177, "flash": 149},
                    "main: custom beat editor (1012)"),
    "beat": ((92, 38), {"hot": 153, "normal": 151, "disabled": 178, "flash": 152},
             "main: beat change (1011); editor: steps per beat (1007)"),
    # beat change popup corners and value spin buttons, 46 x 27
    "arrow_up": ((46, 27), {"hot": 160, "normal": 154, "flash": 159},
                 "popup corners 100/102, spin up: step up"),
    "arrow_down": ((46, 27), {"hot": 157, "normal": 158, "flash": 156},
                   "popup corners 101/103, spin down: step down"),
    # Custom Beat Setting dialog
    "sound_on": ((46, 40), {"hot": 368, "normal": 363, "flash": 364},
                 "editor: toolbar sound is on (1012); flash shared with 1008"),
    "sound_off": ((46, 40), {"hot": 365, "normal": 366}, "editor: toolbar sound is off (1008)"),
    "ok": ((120, 48), {"hot": 271, "normal": 272, "flash": 270}, "editor: OK (1)"),
    "cancel": ((120, 48), {"hot": 298, "normal": 296, "flash": 297}, "editor: Cancel (2)"),
    "clean": ((92, 38), {"hot": 292, "normal": 290, "flash": 291}, "editor: clean (1010)"),
    "steps": ((92, 36), {"hot": 277, "normal": 278, "flash": 276}, "editor: step count (1006)"),
    "open": ((92, 38), {"hot": 280, "normal": 281, "flash": 279}, "editor: open file (1002)"),
    "save": ((92, 38), {"hot": 283, "normal": 369, "flash": 282}, "editor: save file (1003)"),
    "play": ((50, 38), {"hot": 286, "normal": 287, "flash": 285}, "editor: preview play (1001)"),
    "preview_stop": ((50, 38), {"hot": 289, "normal": 284, "flash": 288},
                     "editor: preview stop (1004)"),
    # Practice window: the timing coach
    "calibrate": ((120, 48), {"hot": 371, "normal": 372, "flash": 373}, "practice: coach calibrate"),
    "practice_log": ((120, 48), {"hot": 374, "normal": 375, "flash": 376}, "practice: open the practice log"),
}

# How far inside its button each window draws the focus rectangle
# (m_nFocusInset); the content of every image of a set keeps clear of it.
FOCUS_INSET = {"sound_on": 8, "sound_off": 8, "ok": 12, "cancel": 12, "calibrate": 12, "practice_log": 12}
DEFAULT_FOCUS_INSET = 9
TOOL_FOCUS_INSET = 0


def focus_inset(name):
    return FOCUS_INSET.get(name, DEFAULT_FOCUS_INSET)


# Editor toolbar: item k has hot 241+k, normal 211+k, disabled (= selected) 181+k,
# each 46 x 40. (name, label, keyboard letter)
TOOLBAR = [
    ("kick", "KICK", "Q"),
    ("short_kick", "SH.KICK", "W"),
    ("snare", "SNARE", "E"),
    ("rimshot", "RIM", "R"),
    ("s_rimshot", "S-RIM", "T"),
    ("tom1", "TOM 1", "Y"),
    ("tom2", "TOM 2", "U"),
    ("hihat_closed", "HH CL", "I"),
    ("hihat_open", "HH OP", "O"),
    ("cymbal1", "CYM 1", "P"),
    ("cymbal2", "CYM 2", "L"),
    ("move", "MOVE", "K"),
    ("shaker", "SHAKER", "A"),
    ("block", "BLOCK", "S"),
    ("bell", "BELL", "D"),
    ("tambourine", "TAMB", "F"),
    ("s_conga1", "S-CONGA", "Z"),
    ("s_conga2", "S-CONGA", "X"),
    ("s_conga3", "S-CONGA", "C"),
    ("conga1", "CONGA", "V"),
    ("conga2", "CONGA", "B"),
    ("conga3", "CONGA", "N"),
    ("conga4", "CONGA", "M"),
    ("eraser", "ERASER", "J"),
]
TOOL_SIZE = (46, 40)
TOOL_HOT, TOOL_NORMAL, TOOL_SELECTED = 241, 211, 181

# Single bitmaps: id -> (name, size, role)
SINGLES = {
    155: ("popup_centre", (92, 38), "beat change popup: centre picture"),
    293: ("spin_background", (92, 38), "value spin: background behind the number"),
    303: ("step_tile_hover", (30, 25), "step number row tile under the pointer (white)"),
    304: ("step_tile_idle", (30, 25), "step number row tile, preview stopped (dark)"),
    305: ("step_tile_playing", (30, 25), "step number row tile, preview playing (dark)"),
    307: ("editor_frame", (630, 339), "editor: frame painted round the grid and side buttons"),
    311: ("scroll_bar_skin", (68, 34), "editor: scroll bar skin (source rectangles)"),
    362: ("toolbar_separator", (18, 80), "editor: separator between toolbar and sound button"),
    295: ("clean_bubble", (374, 161), "clean confirmation bubble, white = cut away"),
    299: ("about", (500, 370), "About picture"),
    370: ("practice_panel", (512, 352), "Practice window panel, white = cut away"),
}

ANIM_FIRST, ANIM_COUNT, ANIM_SIZE = 164, 13, (214, 63)

ICON_ID = 128
ICON_SIZES = (16, 24, 32, 48, 256)


def all_bitmaps():
    """(id, (w, h), role) for every bitmap resource, sorted by id."""
    out = []
    for name, (size, ids, role) in BUTTONS.items():
        for state, rid in ids.items():
            out.append((rid, size, f"{role} - {state}"))
    for k, (name, label, key) in enumerate(TOOLBAR):
        for base, state in ((TOOL_HOT, "hot"), (TOOL_NORMAL, "normal"),
                            (TOOL_SELECTED, "selected/disabled")):
            out.append((base + k, TOOL_SIZE, f"toolbar item {k} {name} ({key}) - {state}"))
    for i in range(ANIM_COUNT):
        out.append((ANIM_FIRST + i, ANIM_SIZE, f"mode switch animation frame {i}"))
    for rid, (_, size, role) in SINGLES.items():
        out.append((rid, size, role))
    out.sort()
    ids = [r for r, _, _ in out]
    assert len(ids) == len(set(ids)), "duplicate bitmap id"
    return out
