// The timing coach on real windows: its words on the tick display beside the
// dial and across it, clear of the needle's reach, the signature and the
// tempo; every run logged with the beats it played, coach off or on; a coach
// without a calibration saying so instead of listening.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>

#include "RegistryBackup.h"
#include "TestFiles.h"
#include "WinTest.h"
#include "engine/MetronomeEngine.h"
#include "engine/OutputStream.h"
#include "engine/SoundBank.h"
#include "mainwnd/TickTockCtrl.h"
#include "mainwnd/TimingCoach.h"
#include "model/PracticeLog.h"
#include "model/Settings.h"

namespace {

using namespace std::chrono_literals;

// The main window's display: 111 x 72 dialog units; the needle turns about
// (111, 136) and reaches 100 pixels, its halo 3 more.
constexpr int kWidth = 222;
constexpr int kHeight = 144;
constexpr double kReach = 103.0;

class TimingCoachTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            parent.CreateEx(0, nullptr, "coach", WS_POPUP | WS_VISIBLE, RECT{50, 50, 350, 250}, nullptr, 0));
        HWND stat = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_WHITERECT, 10, 10, kWidth,
                                      kHeight, parent, reinterpret_cast<HMENU>(1004), nullptr, nullptr);
        ASSERT_TRUE(stat);
        ASSERT_TRUE(display.SubclassWindow(stat));
        ASSERT_TRUE(coach.Create(&parent, 13));
        settings.SetDefaults();
        coach.SetSettings(&settings);
        engine.SetTickObserver(&coach);
        engine.SetBeat(4, 4);
        display.SetTempo(100);
        pwtest::PumpMessages();
    }

    // The pixels that change when the coach's words are shown.
    std::vector<POINT> Changed(const CTickTockCtrl::CoachText& text) {
        display.SetCoachText({});
        const pwtest::Snapshot before(display);
        display.SetCoachText(text);
        const pwtest::Snapshot after(display);
        std::vector<POINT> changed;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (before.Pixel(x, y) != after.Pixel(x, y))
                    changed.push_back(POINT{x, y});
        return changed;
    }

    // One run from Start to Stop through the coach, as the main window runs
    // it, until the display has been asked for `beats` swings.
    void Run(unsigned tempo, unsigned beats) {
        coach.OnRunStart(tempo, false);
        engine.StartTicking(tempo);
        swings = 0;
        ASSERT_TRUE(pwtest::PumpUntil(
            [&] { return display.GetSwingStart().time_since_epoch().count() != 0 && SwingsSoFar() >= beats; },
            20s));
        engine.StopTicking();
        coach.OnRunStop(tempo);
    }
    unsigned SwingsSoFar() {
        if (display.GetSwingStart() != lastSwing) {
            lastSwing = display.GetSwingStart();
            ++swings;
        }
        return swings;
    }

    static std::string LastLine(const std::string& path) {
        std::vector<unsigned char> bytes;
        if (!pwtest::ReadWholeFile(path, bytes))
            return {};
        std::string text(bytes.begin(), bytes.end());
        const std::size_t end = text.rfind("\r\n");
        const std::size_t start = text.rfind("\r\n", end - 1);
        return text.substr(start == std::string::npos ? 0 : start + 2,
                           end - (start == std::string::npos ? 0 : start + 2));
    }

    pwtest::RegistryBackup backup{HKEY_LOCAL_MACHINE, kSettingsKey};
    CSettings settings;
    CWnd parent;
    CTickTockCtrl display;
    COutputStream stream;
    CSoundBank bank{stream};
    CTimingCoach coach{display, stream};
    CMetronomeEngine engine{bank, coach, stream};
    std::chrono::steady_clock::time_point lastSwing{};
    unsigned swings = 0;
};

TEST_F(TimingCoachTest, WordsStayClearOfTheNeedleTheSignatureAndTheTempo) {
    const RECT signature = display.GetSignatureBox();
    const std::vector<POINT> sides = Changed({"-12 ms", "mean +3 ms", {}});
    int left = 0;
    for (const POINT& p : sides) {
        left += p.x < kWidth / 2;
        EXPECT_GT(std::hypot(p.x - 111.0, p.y - 136.0), kReach) << p.x << "," << p.y;
        EXPECT_GE(p.y, signature.bottom) << p.x << "," << p.y;
    }
    EXPECT_GT(left, 15);
    EXPECT_GT(static_cast<int>(sides.size()) - left, 15);

    // Across the dial, for while the needle rests along its foot.
    const std::vector<POINT> lines =
        Changed({"", "", {"24 hits, mean +3 ms", "spread 6 ms, 80% within 10 ms"}});
    EXPECT_GT(lines.size(), 60u);
    for (const POINT& p : lines) {
        EXPECT_GE(p.y, signature.bottom) << p.x << "," << p.y;
        EXPECT_LT(p.y, 136 - 3) << p.x << "," << p.y;
    }
    pwtest::Snapshot(display).Save(pwtest::ScreenshotPath("timing_coach_summary").c_str());
}

TEST_F(TimingCoachTest, EveryRunIsLoggedWithTheBeatsItPlayed) {
    const std::string path = CTimingCoach::GetPracticeLogPath();
    ASSERT_FALSE(path.empty());
    pwtest::FileBackup keep(path);
    ::DeleteFileA(path.c_str());

    Run(300, 4);
    std::string line = LastLine(path);
    // Started, minutes, mode, tempos, beats; the coach was off.
    ASSERT_GT(line.size(), 20u) << line;
    EXPECT_EQ(line[4], '-');
    EXPECT_EQ(line[10], 'T');
    const std::size_t mode = line.find(",click,300,300,");
    ASSERT_NE(mode, std::string::npos) << line;
    const unsigned beats = static_cast<unsigned>(std::stoul(line.substr(mode + 15)));
    EXPECT_GE(beats, 4u);
    EXPECT_LE(beats, swings + 1);
    EXPECT_EQ(line.substr(line.size() - 4), ",,,,") << line;
    EXPECT_TRUE(display.GetCoachText() == CTickTockCtrl::CoachText{}) << "the coach was off: it says nothing";

    // On without a calibration: it says so, and logs no figures.
    coach.SetOn(true);
    EXPECT_FALSE(coach.IsCalibrated());
    coach.OnRunStart(300, false);
    EXPECT_FALSE(coach.IsListening());
    EXPECT_EQ(display.GetCoachText().left,
              coach.GetUnavailableReason().empty() ? "uncalibrated" : "no input");
    EXPECT_FALSE(coach.Calibrate()) << "not while playing";
    coach.OnRunStop(300);
    EXPECT_EQ(display.GetCoachText().lines.size(), 1u);
    line = LastLine(path);
    EXPECT_EQ(line.substr(line.size() - 4), ",,,,") << line;

    std::vector<unsigned char> bytes;
    ASSERT_TRUE(pwtest::ReadWholeFile(path, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind(kPracticeLogHeader, 0), 0u)
        << "the header first, once";
}

} // namespace
