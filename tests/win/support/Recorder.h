// Records what the program plays: parec on the monitor of the test
// environment's null sink ($PW_MONITOR), mono 16-bit at 44100 samples per
// second, and finds clicks in the recording.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ClickStats.h"

namespace pwtest {

// A name for a file in /tmp that no other test process, of this Wine prefix or
// another, uses at the same time.
std::string UniqueName(int serial);

// The Unix path of this test program (Wine shows it under drive Z:).
std::string ProgramUnixPath();

// Starts a Unix shell command without waiting for it: Wine cannot wait for
// Unix programs. False when it cannot be started.
bool StartUnixCommand(const std::string& command);

class Recorder {
public:
    Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    ~Recorder();

    // Starts a recording of this length and returns once samples flow; false
    // (with Error() saying why) when it cannot.
    bool Start(double seconds);
    // Waits for the recording to end and returns its samples.
    std::vector<std::int16_t> Finish();
    const std::string& Error() const { return m_strError; }

private:
    std::string m_strUnixPath;
    std::string m_strWinPath;
    double m_seconds = 0;
    std::string m_strError;
};

// The samples of a WAVE resource of this program, mixed down to mono as
// parec records them.
std::vector<std::int16_t> ResourceSamples(unsigned resourceId);

// Where in samples[from, to) the template fits best (least squared
// difference); the residual energy there relative to the template's.
struct Match {
    std::size_t at = 0;
    double residual = 1.0;
};
Match FindTemplate(const std::vector<std::int16_t>& samples, const std::vector<std::int16_t>& templ,
                   std::size_t from, std::size_t to);

// Residual energy of samples from `at` against the whole template, relative
// to the template's energy (0 for a perfect copy).
double Residual(const std::vector<std::int16_t>& samples, std::ptrdiff_t at,
                const std::vector<std::int16_t>& templ);

// The share of the template's audible 10 ms blocks that the recording from
// `at` reproduces (residual below 5 %). The audio path may drop or insert a
// few milliseconds under load, so each block may slip up to 30 ms against
// the one before. A different sound scores near 0; the same sound with
// another one mixed under it scores far below 1.
double MatchedFraction(const std::vector<std::int16_t>& samples, std::size_t at,
                       const std::vector<std::int16_t>& templ);

} // namespace pwtest
