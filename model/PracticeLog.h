// The practice log: a line for every run of the metronome (Start to Stop) in a
// CSV file of the user's own, with the timing coach's figures where it
// listened.
#pragma once

#include <ctime>
#include <optional>
#include <string>

inline constexpr char kPracticeLogName[] = "practice-log.csv";
inline constexpr char kPracticeLogHeader[] =
    "started,minutes,mode,tempo_start,tempo_end,beats,hits,mean_offset_ms,sd_ms,within_10ms_pct";

struct PracticeCoachFigures {
    unsigned nHits = 0;
    double dMeanMs = 0.0;
    double dSdMs = 0.0;
    double dWithin10Pct = 0.0;
};

struct PracticeRun {
    // Local time at Start.
    std::tm started{};
    double dMinutes = 0.0;
    bool bUserBeatMode = false;
    unsigned nTempoStart = 0;
    unsigned nTempoEnd = 0;
    unsigned nBeats = 0;
    // None when the coach did not listen; the mean and the spread stay empty
    // too when it heard no hit.
    std::optional<PracticeCoachFigures> coach;
};

// "2026-12-08T06:12:03": ISO 8601, local time.
std::string FormatIsoLocal(const std::tm& time);
// The run's line, without the line end.
std::string FormatPracticeLine(const PracticeRun& run);
// Paths are UTF-8.
// Appends the run's line, the header first into a new or empty file; a last
// line left unended (a write cut short) is ended first so that the new line
// stays whole. False when the file cannot be written.
bool AppendPracticeLog(const std::string& path, const PracticeRun& run);
// Makes a log holding only the header where there is none; false when it
// cannot.
bool EnsurePracticeLog(const std::string& path);
