#include <gtest/gtest.h>

#include "model/BeatPattern.h"

namespace {

CCustomBeat MakePattern(int tracks, int steps) {
    CCustomBeat beat;
    for (int t = 0; t < tracks; ++t) {
        CBeatTrack& track = beat.AddTrack();
        for (int s = 0; s < steps; ++s)
            track.AddCell();
    }
    return beat;
}

TEST(SoundLabels, TableAndOutOfRangeIds) {
    EXPECT_STREQ(GetSoundLabel(129), "Kick");
    EXPECT_STREQ(GetSoundLabel(136), "ClsHiat");
    EXPECT_STREQ(GetSoundLabel(143), "Tambourine");
    EXPECT_STREQ(GetSoundLabel(150), "Conga4");
    for (int id : {0, 1, 2, 128, 151, 180, 181, -129})
        EXPECT_STREQ(GetSoundLabel(id), "") << id;
}

TEST(CustomBeat, DeepCopyIsIndependentAndComplete) {
    CCustomBeat source = MakePattern(5, 16);
    source.m_nStepsPerBeat = 3;
    source.GetTrack(2).GetCell(7) = CBeatCell{"Snare", 131, 42};

    CCustomBeat copy(source);
    CCustomBeat assigned = MakePattern(1, 3);
    assigned = copy;
    EXPECT_EQ(assigned, source);
    EXPECT_EQ(assigned.GetTrack(2).GetCell(7).m_nReserved, 42);
    EXPECT_EQ(assigned.m_nStepsPerBeat, 3);

    copy.GetTrack(2).GetCell(7).m_strName = "Kick";
    copy.GetTrack(0).AddCell();
    EXPECT_EQ(source.GetTrack(2).GetCell(7).m_strName, "Snare");
    EXPECT_EQ(source.GetStepCount(), 16);
    EXPECT_NE(&copy.GetTrack(2).GetCell(7), &source.GetTrack(2).GetCell(7));
}

TEST(CustomBeat, SelfAssignmentKeepsContent) {
    CCustomBeat beat = MakePattern(5, 8);
    beat.GetTrack(4).GetCell(0) = CBeatCell{"Kick", 129, 0};
    const CCustomBeat& alias = beat;
    beat = alias;
    EXPECT_EQ(beat.GetTrackCount(), 5);
    EXPECT_EQ(beat.GetTrack(4).GetCell(0).m_nSoundId, 129);
}

TEST(CustomBeat, StepCountIsTrackZeroAndPaddingIsSilent) {
    EXPECT_EQ(CCustomBeat().GetStepCount(), 0);
    CCustomBeat beat = MakePattern(2, 10);
    beat.GetTrack(1).SetCellCount(4);
    EXPECT_EQ(beat.GetStepCount(), 10);
    beat.GetTrack(1).SetCellCount(12);
    EXPECT_EQ(beat.GetTrack(1).GetCellCount(), 12);
    EXPECT_EQ(beat.GetTrack(1).GetCell(11), CBeatCell());
}

} // namespace
