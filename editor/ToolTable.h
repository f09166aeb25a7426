// The editor toolbar's items and their keys: 22 instruments, the move tool and
// the eraser, laid out in two rows of twelve.
#pragma once

inline constexpr int kToolItemCount = 24;
inline constexpr int kToolItemsPerRow = 12;
inline constexpr int kToolItemWidth = 46;
inline constexpr int kToolItemHeight = 40;

// Item k has command id 10 + k.
inline constexpr int kFirstToolId = 10;
inline constexpr int ID_TOOL_MOVE = 21;
inline constexpr int ID_TOOL_ERASER = 33;

inline constexpr bool IsToolId(int id) {
    return id >= kFirstToolId && id < kFirstToolId + kToolItemCount;
}

// The sound id an item sends and plays: the instruments 129..150 in item
// order, skipping the move tool and the eraser, which send 0 (as does any id
// that is not an item).
int ToolSoundId(int id);

struct ToolRect {
    int left;
    int top;
    int right;
    int bottom;
};
// Item k's rectangle in the toolbar's client coordinates.
ToolRect ToolItemRect(int index);

// The edit tool (CGridState::m_nCurTool) an item notification selects.
int ToolFromItem(int id, int soundId);

// The toolbar item a letter key selects in the editor (its virtual-key code,
// the capital letter), or -1: G, H and every other key select nothing.
int ToolIndexForKey(unsigned virtualKey);
