#include "editor/ToolTable.h"

#include <cstring>

#include "editor/GridState.h"
#include "model/BeatPattern.h"

namespace {

// Keys of items 0..23, in item order.
constexpr char kToolKeys[] = "QWERTYUIOPLKASDFZXCVBNMJ";
static_assert(sizeof kToolKeys - 1 == kToolItemCount);

} // namespace

int ToolSoundId(int id) {
    if (!IsToolId(id) || id == ID_TOOL_MOVE || id == ID_TOOL_ERASER)
        return 0;
    int before = id - kFirstToolId;
    if (id > ID_TOOL_MOVE)
        --before;
    return kFirstInstrumentId + before;
}

ToolRect ToolItemRect(int index) {
    int column = index % kToolItemsPerRow;
    int row = index / kToolItemsPerRow;
    return ToolRect{kToolItemWidth * column, kToolItemHeight * row, kToolItemWidth * column + kToolItemWidth,
                    kToolItemHeight * row + kToolItemHeight};
}

int ToolFromItem(int id, int soundId) {
    if (id == ID_TOOL_ERASER)
        return TOOL_ERASER;
    if (id == ID_TOOL_MOVE)
        return TOOL_MOVE;
    return soundId;
}

int ToolIndexForKey(unsigned virtualKey) {
    if (virtualKey < 'A' || virtualKey > 'Z')
        return -1;
    const char* found = std::strchr(kToolKeys, static_cast<int>(virtualKey));
    return found ? static_cast<int>(found - kToolKeys) : -1;
}
