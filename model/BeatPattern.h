// The custom beat: tracks of cells, one cell per step, each naming an
// instrument sound or nothing. Patterns are passed around as deep copies.
#pragma once

#include <memory>
#include <string>
#include <vector>

// Sound ids of the instruments (WAVE resources 129..150); 0 is silence.
inline constexpr int kFirstInstrumentId = 129;
inline constexpr int kLastInstrumentId = 150;
inline constexpr int kInstrumentCount = kLastInstrumentId - kFirstInstrumentId + 1;

inline constexpr bool IsInstrumentId(int id) {
    return id >= kFirstInstrumentId && id <= kLastInstrumentId;
}

// The label a cell shows for a sound id; empty for any other id.
const char* GetSoundLabel(int soundId);

// The shape of the patterns the editor builds: five tracks (the grid's
// columns), 8..100 steps, 2..8 steps per beat; 5 x 16 at 4 per beat by default.
inline constexpr int kPatternTrackCount = 5;
inline constexpr int kMinStepCount = 8;
inline constexpr int kMaxStepCount = 100;
inline constexpr int kDefaultStepCount = 16;
inline constexpr int kMinStepsPerBeat = 2;
inline constexpr int kMaxStepsPerBeat = 8;
inline constexpr int kDefaultStepsPerBeat = 4;

class CBeatCell {
public:
    std::string m_strName;
    int m_nSoundId = 0;
    // Stored and copied with the cell, never interpreted.
    int m_nReserved = 0;

    bool operator==(const CBeatCell&) const = default;
};

class CBeatTrack {
public:
    CBeatTrack() = default;
    CBeatTrack(const CBeatTrack& other);
    CBeatTrack& operator=(const CBeatTrack& other);
    CBeatTrack(CBeatTrack&&) noexcept = default;
    CBeatTrack& operator=(CBeatTrack&&) noexcept = default;
    virtual ~CBeatTrack() = default;

    void Clear() { m_arrCells.clear(); }
    int GetCellCount() const { return static_cast<int>(m_arrCells.size()); }
    CBeatCell& GetCell(int index) { return *m_arrCells[static_cast<size_t>(index)]; }
    const CBeatCell& GetCell(int index) const { return *m_arrCells[static_cast<size_t>(index)]; }
    CBeatCell& AddCell(const CBeatCell& cell = CBeatCell());
    // Cuts or pads with silent cells to exactly count cells.
    void SetCellCount(int count);

    bool operator==(const CBeatTrack& other) const;

    std::vector<std::unique_ptr<CBeatCell>> m_arrCells;
};

class CCustomBeat {
public:
    CCustomBeat() = default;
    CCustomBeat(const CCustomBeat& other);
    CCustomBeat& operator=(const CCustomBeat& other);
    CCustomBeat(CCustomBeat&&) noexcept = default;
    CCustomBeat& operator=(CCustomBeat&&) noexcept = default;
    virtual ~CCustomBeat() = default;

    void Clear() { m_arrTracks.clear(); }
    // Number of steps: the cell count of track 0, 0 without tracks.
    int GetStepCount() const { return m_arrTracks.empty() ? 0 : m_arrTracks.front()->GetCellCount(); }
    int GetTrackCount() const { return static_cast<int>(m_arrTracks.size()); }
    CBeatTrack& GetTrack(int index) { return *m_arrTracks[static_cast<size_t>(index)]; }
    const CBeatTrack& GetTrack(int index) const { return *m_arrTracks[static_cast<size_t>(index)]; }
    CBeatTrack& AddTrack(const CBeatTrack& track = CBeatTrack());

    bool operator==(const CCustomBeat& other) const;

    std::vector<std::unique_ptr<CBeatTrack>> m_arrTracks;
    int m_nStepsPerBeat = kDefaultStepsPerBeat;
};
