// The practice tools' settings: what each may hold and what it starts at. Each
// is stored with the other settings as a DWORD; a value read from outside
// these limits is taken as the nearest one inside them.
#pragma once

#include <algorithm>

struct SettingRange {
    int nMin;
    int nMax;
    int nDefault;

    constexpr int Clamp(int value) const { return std::clamp(value, nMin, nMax); }
};

namespace practice {

// Bars of clicks before a pattern; 0 is off.
inline constexpr SettingRange kCountInBars{0, 4, 0};
// The speed trainer's step in bpm (0 is off), how many bars each tempo
// lasts, and the tempo it stops at.
inline constexpr SettingRange kTrainerStepBpm{0, 20, 0};
inline constexpr SettingRange kTrainerEveryBars{1, 16, 4};
inline constexpr SettingRange kTrainerTargetBpm{30, 300, 160};
// Bars heard, then bars silent (0 is off), over and over.
inline constexpr SettingRange kMutePlayBars{1, 16, 4};
inline constexpr SettingRange kMuteSilentBars{0, 16, 0};
// Minutes of playing after which the metronome ends its bar and stops; 0 is
// off.
inline constexpr SettingRange kPracticeMinutes{0, 180, 0};

} // namespace practice
