// The timing coach's arithmetic: the player's hits (onsets heard through the
// microphone) matched to the metronome's beats, how early or late each one
// is, the run's summary, and the calibration of the way from the speakers to
// the microphone. Times are microseconds on the steady clock: a tick's when
// it is heard, a hit's when the microphone took it.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

struct CoachTick {
    std::int64_t nHeardUs = 0;
    // The first tick of a beat (the needle's swing starts with it).
    bool bBeat = false;
};

struct CoachOnset {
    std::int64_t nAtUs = 0;
    float fPeak = 0.0f;
};

struct CoachHit {
    // Early below zero, late above.
    double dOffsetMs = 0.0;
    // The running mean of every hit so far, this one included.
    double dMeanMs = 0.0;
};

struct CoachSummary {
    unsigned nHits = 0;
    double dMeanMs = 0.0;
    // The spread (standard deviation) of the offsets.
    double dSdMs = 0.0;
    // The share of hits within +-10 ms, in percent.
    double dWithin10Pct = 0.0;
};

// Adds offsets one at a time.
class CCoachStats {
public:
    void Add(double offsetMs);
    CoachSummary GetSummary() const;

private:
    unsigned m_nCount = 0;
    unsigned m_nWithin = 0;
    double m_dSum = 0.0;
    double m_dSquares = 0.0;
};

// One run of the metronome, from Start to Stop, with the coach listening.
class CCoachSession {
public:
    // An onset this close to where one of the metronome's own sounds comes
    // back is that sound, unless it is clearly louder than they come back.
    static constexpr double kEchoWindowMs = 4.0;
    static constexpr float kLouderThanEcho = 2.0f;

    // latencyMs: from a sound heard to the microphone taking it (the round
    // trip calibrated). echoLevel: the peak at which the metronome's sounds
    // come back.
    CCoachSession(double latencyMs, float echoLevel) : m_dLatencyMs(latencyMs), m_fEchoLevel(echoLevel) {}

    // Both in the order of their times.
    void AddTick(const CoachTick& tick);
    void AddOnset(const CoachOnset& onset);

    // Matches every onset whose nearest beat and own sounds are known by now,
    // or all of them when the run has ended, and returns the new hits.
    std::vector<CoachHit> Match(bool ended);

    unsigned GetBeats() const { return m_nBeats; }
    CoachSummary GetSummary() const { return m_stats.GetSummary(); }

private:
    // Whether the onset (taken back to when it would be heard) is one of the
    // metronome's own sounds.
    bool IsEcho(std::int64_t heardUs, float peak) const;
    std::optional<double> OffsetOf(std::int64_t heardUs) const;

    const double m_dLatencyMs;
    const float m_fEchoLevel;
    // The ticks that later onsets may still be near.
    std::deque<CoachTick> m_ticks;
    std::deque<std::int64_t> m_beats;
    std::deque<CoachOnset> m_onsets;
    // The last onset matched, taken back to when it would be heard.
    std::int64_t m_nLastHeardUs = 0;
    unsigned m_nBeats = 0;
    CCoachStats m_stats;
};

struct CoachCalibration {
    unsigned nLatencyMs = 0;
    float fEchoLevel = 0.0f;
};

// The round trip from clicks heard at the given times and the onsets taken
// meanwhile: each click's delay to the first onset after it, and the median
// of the most delays within kCalibrationSpreadMs of each other. None unless
// more than half of the clicks (and at least 3) agree so.
inline constexpr double kCalibrationMaxMs = 400.0;
inline constexpr double kCalibrationSpreadMs = 4.0;
std::optional<CoachCalibration> Calibrate(const std::vector<std::int64_t>& clicksUs,
                                          const std::vector<CoachOnset>& onsets);
