#include <gtest/gtest.h>

#include "editor/GridState.h"
#include "editor/ToolTable.h"
#include "model/BeatPattern.h"

namespace {

TEST(ToolTable, SoundIdsSkipTheMoveToolAndTheEraser) {
    EXPECT_EQ(ToolSoundId(10), 129);
    EXPECT_EQ(ToolSoundId(17), 136);
    EXPECT_EQ(ToolSoundId(20), 139);
    EXPECT_EQ(ToolSoundId(21), 0);
    EXPECT_EQ(ToolSoundId(22), 140);
    EXPECT_EQ(ToolSoundId(25), 143);
    EXPECT_EQ(ToolSoundId(32), 150);
    EXPECT_EQ(ToolSoundId(33), 0);
    for (int id : {-1, 0, 9, 34, 100})
        EXPECT_EQ(ToolSoundId(id), 0) << id;
}

TEST(ToolTable, EveryInstrumentOnceInOrder) {
    int next = kFirstInstrumentId;
    for (int id = kFirstToolId; id < kFirstToolId + kToolItemCount; ++id) {
        if (id == ID_TOOL_MOVE || id == ID_TOOL_ERASER)
            continue;
        EXPECT_EQ(ToolSoundId(id), next++) << id;
    }
    EXPECT_EQ(next, kLastInstrumentId + 1);
}

TEST(ToolTable, TwoRowsOfTwelve) {
    ToolRect first = ToolItemRect(0);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.top, 0);
    EXPECT_EQ(first.right, 46);
    EXPECT_EQ(first.bottom, 40);
    ToolRect move = ToolItemRect(11);
    EXPECT_EQ(move.left, 506);
    EXPECT_EQ(move.right, 552);
    EXPECT_EQ(move.top, 0);
    ToolRect shaker = ToolItemRect(12);
    EXPECT_EQ(shaker.left, 0);
    EXPECT_EQ(shaker.top, 40);
    EXPECT_EQ(shaker.bottom, 80);
    ToolRect eraser = ToolItemRect(23);
    EXPECT_EQ(eraser.left, 506);
    EXPECT_EQ(eraser.top, 40);
    EXPECT_EQ(eraser.right, 552);
    EXPECT_EQ(eraser.bottom, 80);
}

TEST(ToolTable, NotificationSelectsTheTool) {
    EXPECT_EQ(ToolFromItem(33, 0), TOOL_ERASER);
    EXPECT_EQ(ToolFromItem(21, 0), TOOL_MOVE);
    EXPECT_EQ(ToolFromItem(10, 129), 129);
    EXPECT_EQ(ToolFromItem(32, 150), 150);
}

TEST(ToolTable, LetterKeys) {
    const char* keys = "QWERTYUIOPLKASDFZXCVBNMJ";
    for (int index = 0; index < kToolItemCount; ++index)
        EXPECT_EQ(ToolIndexForKey(static_cast<unsigned char>(keys[index])), index) << keys[index];
    EXPECT_EQ(ToolIndexForKey('K'), ID_TOOL_MOVE - kFirstToolId);
    EXPECT_EQ(ToolIndexForKey('J'), ID_TOOL_ERASER - kFirstToolId);
    for (unsigned key : {unsigned{'G'}, unsigned{'H'}, unsigned{'q'}, unsigned{'0'}, unsigned{0}, 0x10u,
                         0x70u, 0xBAu, 0x151u})
        EXPECT_EQ(ToolIndexForKey(key), -1) << key;
}

} // namespace
