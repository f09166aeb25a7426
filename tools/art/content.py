"""What each slate button shows: symbols and words in one row."""

from skin import T, S

# Button contents: list of items laid out in a row, and the gap between them.
BUTTON_CONTENT = {
    "start": ([S("play", "accent"), T("START", 14)], 7),
    "stop": ([S("stop", "accent"), T("STOP", 14)], 7),
    "tempo_up": ([T("+1", 16, spacing=0), T("BPM", 11, spacing=0.6)], 5),
    "tempo_down": ([T("\u22121", 16, spacing=0), T("BPM", 11, spacing=0.6)], 5),
    "mode": ([S("swap", "accent"), T("MODE", 14)], 7),
    "custom_beat": ([S("grid", "accent"), T("PATTERN", 11, spacing=0)], 5),
    "beat": ([S("note", "accent"), T("BEAT", 14)], 7),
    "arrow_up": ([S("up", "label")], 0),
    "arrow_down": ([S("down", "label")], 0),
    "ok": ([T("OK", 16)], 0),
    "cancel": ([T("CANCEL", 15)], 0),
    "clean": ([S("broom", "accent"), T("CLEAN", 13)], 6),
    "steps": ([S("steps", "accent"), T("STEPS", 13)], 6),
    "open": ([S("folder", "accent"), T("OPEN", 13)], 6),
    "save": ([S("disk", "accent"), T("SAVE", 13)], 6),
    "play": ([S("play_big", "accent", dy=0)], 0),
    "preview_stop": ([S("stop_big", "accent")], 0),
    "calibrate": ([T("CALIBRATE", 13)], 0),
    "practice_log": ([T("LOG", 16)], 0),
}
