#include "model/BeatPattern.h"

#include <algorithm>

namespace {
constexpr const char* kLabels[kInstrumentCount] = {
    "Kick",     "Short Kick", "Snare",   "Rimshot", "S-Rimshot", "Tom1",   "Tom2",       "ClsHiat",
    "OpHiat",   "Cymbol1",    "Cymbol2", "Shaker",  "Block",     "Bell",   "Tambourine", "S-Conga1",
    "S-Conga2", "S-Conga3",   "Conga1",  "Conga2",  "Conga3",    "Conga4",
};
} // namespace

const char* GetSoundLabel(int soundId) {
    return IsInstrumentId(soundId) ? kLabels[soundId - kFirstInstrumentId] : "";
}

CBeatTrack::CBeatTrack(const CBeatTrack& other) {
    m_arrCells.reserve(other.m_arrCells.size());
    for (const auto& cell : other.m_arrCells)
        m_arrCells.push_back(std::make_unique<CBeatCell>(*cell));
}

CBeatTrack& CBeatTrack::operator=(const CBeatTrack& other) {
    if (this != &other) {
        CBeatTrack copy(other);
        m_arrCells = std::move(copy.m_arrCells);
    }
    return *this;
}

CBeatCell& CBeatTrack::AddCell(const CBeatCell& cell) {
    m_arrCells.push_back(std::make_unique<CBeatCell>(cell));
    return *m_arrCells.back();
}

void CBeatTrack::SetCellCount(int count) {
    size_t wanted = static_cast<size_t>(std::max(count, 0));
    if (m_arrCells.size() > wanted)
        m_arrCells.resize(wanted);
    while (m_arrCells.size() < wanted)
        m_arrCells.push_back(std::make_unique<CBeatCell>());
}

bool CBeatTrack::operator==(const CBeatTrack& other) const {
    return std::equal(m_arrCells.begin(), m_arrCells.end(), other.m_arrCells.begin(), other.m_arrCells.end(),
                      [](const auto& a, const auto& b) { return *a == *b; });
}

CCustomBeat::CCustomBeat(const CCustomBeat& other) : m_nStepsPerBeat(other.m_nStepsPerBeat) {
    m_arrTracks.reserve(other.m_arrTracks.size());
    for (const auto& track : other.m_arrTracks)
        m_arrTracks.push_back(std::make_unique<CBeatTrack>(*track));
}

CCustomBeat& CCustomBeat::operator=(const CCustomBeat& other) {
    if (this != &other) {
        CCustomBeat copy(other);
        m_arrTracks = std::move(copy.m_arrTracks);
        m_nStepsPerBeat = copy.m_nStepsPerBeat;
    }
    return *this;
}

CBeatTrack& CCustomBeat::AddTrack(const CBeatTrack& track) {
    m_arrTracks.push_back(std::make_unique<CBeatTrack>(track));
    return *m_arrTracks.back();
}

bool CCustomBeat::operator==(const CCustomBeat& other) const {
    return m_nStepsPerBeat == other.m_nStepsPerBeat &&
           std::equal(m_arrTracks.begin(), m_arrTracks.end(), other.m_arrTracks.begin(),
                      other.m_arrTracks.end(), [](const auto& a, const auto& b) { return *a == *b; });
}
