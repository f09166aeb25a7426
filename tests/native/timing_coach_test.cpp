// The timing coach on synthetic microphone input: claps, drum hits and plucked
// notes found where they begin, the metronome's own clicks coming back told
// apart, each hit matched to its beat to within 1 ms; the calibration; the
// practice log's lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "engine/OnsetFinder.h"
#include "engine/TimingCoach.h"
#include "model/PracticeLog.h"

namespace {

constexpr unsigned kRate = 48000;
constexpr double kPi = 3.14159265358979323846;

class Microphone {
public:
    explicit Microphone(double seconds, double noise = 0.003) : m_samples(std::size_t(seconds * kRate)) {
        std::normal_distribution<float> hiss(0.0f, static_cast<float>(noise));
        for (float& sample : m_samples)
            sample = hiss(m_random);
    }
    void Clap(double atMs, double level) {
        std::uniform_real_distribution<float> burst(-1.0f, 1.0f);
        Add(atMs, 40.0, [&](double t) { return level * std::exp(-t / 0.008) * burst(m_random); });
    }
    void Drum(double atMs, double level) {
        std::uniform_real_distribution<float> skin(-0.3f, 0.3f);
        Add(atMs, 150.0, [&](double t) {
            return level * std::exp(-t / 0.04) * (std::sin(2 * kPi * 80 * t + 1.0) + skin(m_random));
        });
    }
    void Pluck(double atMs, double level, double hz) {
        Add(atMs, 400.0, [&](double t) { return level * std::exp(-t / 0.15) * std::sin(2 * kPi * hz * t); });
    }
    // The metronome's click as it comes back.
    void Click(double atMs, double level) {
        Add(atMs, 35.0, [&](double t) { return level * (1.0 - t / 0.035) * std::cos(2 * kPi * 1000 * t); });
    }
    // Onsets as the capture stream passes them on: in blocks, in microseconds.
    std::vector<CoachOnset> Onsets() const {
        COnsetFinder finder(kRate);
        std::vector<CoachOnset> onsets;
        for (std::size_t at = 0; at < m_samples.size(); at += 480) {
            const std::size_t count = std::min<std::size_t>(480, m_samples.size() - at);
            finder.Feed(m_samples.data() + at, count, static_cast<std::int64_t>(at), [&](const Onset& onset) {
                onsets.push_back(CoachOnset{onset.nFrame * 1'000'000 / kRate, onset.fPeak});
            });
        }
        return onsets;
    }

private:
    template <class Wave> void Add(double atMs, double lengthMs, Wave&& wave) {
        const auto start = static_cast<std::size_t>(std::llround(atMs * kRate / 1000.0));
        const auto length = static_cast<std::size_t>(lengthMs * kRate / 1000.0);
        for (std::size_t i = 0; i < length && start + i < m_samples.size(); ++i)
            m_samples[start + i] += static_cast<float>(wave(static_cast<double>(i) / kRate));
    }

    std::mt19937 m_random{22};
    std::vector<float> m_samples;
};

TEST(OnsetFinder, FindsClapsDrumsAndPlucksWhereTheyBeginAndNothingInNoise) {
    Microphone mic(4.0);
    mic.Clap(300.0, 0.5);
    mic.Drum(900.0, 0.6);
    mic.Pluck(1500.0, 0.3, 220.0);
    // On the pluck's ringing tail, 200 ms on, as loud as it was.
    mic.Pluck(1700.0, 0.3, 330.0);
    mic.Clap(2600.0, 0.05);
    const std::vector<CoachOnset> onsets = mic.Onsets();
    const double expected[] = {300.0, 900.0, 1500.0, 1700.0, 2600.0};
    ASSERT_EQ(onsets.size(), std::size(expected));
    for (std::size_t i = 0; i < onsets.size(); ++i)
        EXPECT_NEAR(onsets[i].nAtUs / 1000.0, expected[i], 1.0) << i;
    EXPECT_NEAR(onsets[0].fPeak, 0.5, 0.25);
    EXPECT_LT(onsets[4].fPeak, 0.1f);
}

// Beats heard every 500 ms from 1 s, the clicks back 30 ms later at 0.1.
struct Run {
    static constexpr double kLatencyMs = 30.0;
    static constexpr double kEcho = 0.1;
    static double BeatMs(int beat) { return 1000.0 + 500.0 * beat; }
    static void AddTicks(CCoachSession& session, int beats, int ticksPerBeat) {
        for (int tick = 0; tick < beats * ticksPerBeat; ++tick)
            session.AddTick(
                CoachTick{static_cast<std::int64_t>((1000.0 + 500.0 * tick / ticksPerBeat) * 1000.0),
                          tick % ticksPerBeat == 0});
    }
};

TEST(TimingCoach, HitsMatchTheirBeatsToWithinAMillisecondAndOwnClicksDoNotCount) {
    Microphone mic(8.0);
    // Eighths: a click back between the beats too.
    for (int tick = 0; tick < 24; ++tick)
        mic.Click(1000.0 + 250.0 * tick + Run::kLatencyMs, Run::kEcho);
    const double offsets[] = {-12.0, 8.0, 0.0, -25.0, 41.0, 3.0, -2.0, 17.0, -140.0, 120.0};
    for (int beat = 0; beat < 10; ++beat) {
        const double at = Run::BeatMs(beat) + Run::kLatencyMs + offsets[beat];
        if (beat % 3 == 0)
            mic.Clap(at, 0.6);
        else if (beat % 3 == 1)
            mic.Drum(at, 0.5);
        else
            mic.Pluck(at, 0.4, 196.0);
    }
    CCoachSession session(Run::kLatencyMs, Run::kEcho);
    std::vector<CoachHit> hits;
    Run::AddTicks(session, 12, 2);
    for (const CoachOnset& onset : mic.Onsets()) {
        session.AddOnset(onset);
        for (const CoachHit& hit : session.Match(false))
            hits.push_back(hit);
    }
    for (const CoachHit& hit : session.Match(true))
        hits.push_back(hit);

    ASSERT_EQ(hits.size(), std::size(offsets));
    double sum = 0.0;
    for (std::size_t i = 0; i < hits.size(); ++i) {
        sum += offsets[i];
        EXPECT_NEAR(hits[i].dOffsetMs, offsets[i], 1.0) << i;
        EXPECT_NEAR(hits[i].dMeanMs, sum / static_cast<double>(i + 1), 1.0) << i;
    }
    const CoachSummary summary = session.GetSummary();
    EXPECT_EQ(summary.nHits, 10u);
    EXPECT_EQ(session.GetBeats(), 12u);
    EXPECT_NEAR(summary.dMeanMs, sum / 10.0, 0.5);
    EXPECT_NEAR(summary.dWithin10Pct, 40.0, 0.01);
}

TEST(TimingCoach, HitsWaitForTheirNearestBeatAndTheEndsCountWithinHalfABeat) {
    CCoachSession session(0.0, 0.1f);
    session.AddTick(CoachTick{1'000'000, true});
    session.AddOnset(CoachOnset{1'300'000, 0.5f});
    // The beat at 1.5 s is nearer, and not known yet.
    EXPECT_TRUE(session.Match(false).empty());
    session.AddTick(CoachTick{1'500'000, true});
    session.AddOnset(CoachOnset{400'000, 0.5f});
    session.AddOnset(CoachOnset{2'300'000, 0.5f});
    const std::vector<CoachHit> hits = session.Match(true);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_DOUBLE_EQ(hits[0].dOffsetMs, -200.0);
}

TEST(TimingCoach, StatsGiveMeanSpreadAndShareWithinTenMs) {
    CCoachStats stats;
    EXPECT_EQ(stats.GetSummary().nHits, 0u);
    for (double offset : {-10.0, 10.0, 12.0, -4.0})
        stats.Add(offset);
    const CoachSummary summary = stats.GetSummary();
    EXPECT_DOUBLE_EQ(summary.dMeanMs, 2.0);
    EXPECT_NEAR(summary.dSdMs, std::sqrt((144.0 + 64.0 + 100.0 + 36.0) / 3.0), 1e-9);
    EXPECT_DOUBLE_EQ(summary.dWithin10Pct, 75.0);
}

TEST(TimingCoach, CalibrationTakesTheMedianRoundTripOfTheClicksThatCameBack) {
    Microphone mic(5.0);
    std::vector<std::int64_t> clicks;
    for (int i = 0; i < 8; ++i) {
        clicks.push_back(static_cast<std::int64_t>(Run::BeatMs(i) * 1000.0));
        // One lost, one late after a drop-out.
        if (i != 5)
            mic.Click(Run::BeatMs(i) + (i == 6 ? 80.0 : 37.4), 0.2);
    }
    const std::optional<CoachCalibration> calibration = Calibrate(clicks, mic.Onsets());
    ASSERT_TRUE(calibration);
    EXPECT_EQ(calibration->nLatencyMs, 37u);
    EXPECT_NEAR(calibration->fEchoLevel, 0.2, 0.02);

    EXPECT_FALSE(Calibrate(clicks, Microphone(5.0).Onsets()));
    std::vector<CoachOnset> scattered;
    for (int i = 0; i < 8; ++i)
        scattered.push_back(CoachOnset{clicks[i] + 30'000 + (i % 2) * 25'000, 0.2f});
    EXPECT_FALSE(Calibrate(clicks, scattered));
}

TEST(PracticeLog, LinesWithAndWithoutTheCoachUnderOneHeader) {
    PracticeRun run;
    run.started.tm_year = 126;
    run.started.tm_mon = 11;
    run.started.tm_mday = 8;
    run.started.tm_hour = 6;
    run.started.tm_min = 5;
    run.started.tm_sec = 9;
    run.dMinutes = 2.5;
    run.nTempoStart = 100;
    run.nTempoEnd = 116;
    run.nBeats = 261;
    EXPECT_EQ(FormatPracticeLine(run), "2026-12-08T06:05:09,2.50,click,100,116,261,,,,");
    run.bUserBeatMode = true;
    run.coach = PracticeCoachFigures{};
    EXPECT_EQ(FormatPracticeLine(run), "2026-12-08T06:05:09,2.50,user beat,100,116,261,0,,,");
    run.coach = PracticeCoachFigures{240, -0.04, 6.26, 87.5};
    EXPECT_EQ(FormatPracticeLine(run), "2026-12-08T06:05:09,2.50,user beat,100,116,261,240,0.0,6.3,88");

    const std::string path = testing::TempDir() + "practice-log-test.csv";
    {
        std::ofstream cut(path, std::ios::binary);
        cut << "";
    }
    ASSERT_TRUE(AppendPracticeLog(path, run));
    {
        // A line cut short by a crash is ended before the next.
        std::ofstream cut(path, std::ios::binary | std::ios::app);
        cut << "2026-12-08T07:00:00,1.0";
    }
    ASSERT_TRUE(AppendPracticeLog(path, run));
    std::ifstream log(path, std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    const std::string line = FormatPracticeLine(run) + "\r\n";
    EXPECT_EQ(text.str(),
              std::string(kPracticeLogHeader) + "\r\n" + line + "2026-12-08T07:00:00,1.0\r\n" + line);
    std::remove(path.c_str());
    EXPECT_FALSE(AppendPracticeLog(testing::TempDir() + "missing-folder/practice-log.csv", run));
}

} // namespace
