// The engine run on a stand-in stream that hands it blocks of uneven sizes, as
// a device asks for them, and a sequencer that records what it plays. Needs
// no Win32: the native tests use it.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "engine/BeatSequencer.h"
#include "engine/TickInterfaces.h"

namespace pwtest {

struct Played {
    int nSoundId = 0;
    std::int64_t nSample = 0;
};

class RecordingSequencer : public CBeatSequencer {
public:
    std::vector<Played> m_played;

protected:
    void Retrigger(int soundId, std::int64_t sample) override { m_played.push_back({soundId, sample}); }
};

class BlockStream : public ITickStream {
public:
    void StartRun(IBlockListener* listener) override { m_pRun = listener; }
    void StopRun(IBlockListener*) override { m_pRun = nullptr; }
    std::chrono::steady_clock::time_point HeardTimeOf(std::int64_t) const override { return {}; }
    std::chrono::steady_clock::time_point TimeNow() const override { return m_now; }
    void Render(std::int64_t until, unsigned rate) {
        for (unsigned block = 0; m_nPosition < until && m_pRun; ++block) {
            const std::int64_t to = m_nPosition + 256 + block * 97 % 1024;
            m_pRun->OnBlock(m_nPosition, to, rate);
            m_nPosition = to;
        }
    }
    std::int64_t m_nPosition = 1000;
    IBlockListener* m_pRun = nullptr;
    std::chrono::steady_clock::time_point m_now;
};

} // namespace pwtest
