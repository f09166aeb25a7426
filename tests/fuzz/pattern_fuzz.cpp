// Feeds arbitrary bytes to the pattern file reader. Whatever it accepts must
// keep the shape the player and the editor rely on, and survive a write and a
// second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "model/PatternCodec.h"

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CCustomBeat pattern;
    if (!DecodePatternFile(std::span(data, size), pattern))
        return 0;
    Check(pattern.GetTrackCount() >= kPatternTrackCount && pattern.GetTrackCount() <= kMaxPatternTracks);
    Check(pattern.GetStepCount() > 0 && pattern.GetStepCount() <= kMaxPatternSteps);
    Check(pattern.m_nStepsPerBeat >= kMinStepsPerBeat && pattern.m_nStepsPerBeat <= kMaxStepsPerBeat);
    for (const auto& track : pattern.m_arrTracks) {
        Check(track->GetCellCount() == pattern.GetStepCount());
        for (const auto& cell : track->m_arrCells) {
            Check(cell->m_nSoundId == 0 || IsInstrumentId(cell->m_nSoundId));
            Check(cell->m_strName.size() <= static_cast<std::size_t>(kMaxCellLabelLength));
        }
    }
    CCustomBeat again;
    Check(DecodePatternFile(EncodePatternFile(pattern), again));
    Check(again == pattern);
    return 0;
}
