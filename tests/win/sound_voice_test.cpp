#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Recorder.h"
#include "engine/SoundBank.h"
#include "engine/SoundVoice.h"
#include "engine/WaveImage.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kAllSoundIds[] = {181, 180, 182, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138,
                                139, 140, 141, 142, 143, 144, 145, 146, 147, 148, 149, 150};

// The child process of NoDevice.StartUpStaysUnderASecond: loads the bank with
// the sound server out of reach, plays some ticks, and writes how long the
// loading took, how many voices are ready and whether the stream went on
// silently to the report file; it ends before the tests run.
const bool g_bNoDeviceChild = [] {
    const char* report = std::getenv("PW_NO_DEVICE_REPORT");
    if (!report)
        return false;
    const auto begin = Clock::now();
    int ready = 0;
    double ms = 0;
    int silent = 0;
    {
        COutputStream stream;
        CSoundBank bank(stream);
        bank.LoadSounds();
        for (int id : kAllSoundIds)
            ready += bank.VoiceFor(id)->IsReady() ? 1 : 0;
        ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        // Silent, and the sequence goes on.
        for (int i = 0; i < 10; ++i)
            bank.PlayTick();
        for (int i = 0; i < 300 && bank.GetStream().GetState() != COutputStream::State::Silent; ++i)
            ::Sleep(10);
        silent = bank.GetStream().GetState() == COutputStream::State::Silent ? 1 : 0;
    }
    // Written aside and renamed, so that the parent never reads half of it.
    const std::string part = std::string(report) + ".part";
    if (FILE* file = std::fopen(part.c_str(), "w")) {
        std::fprintf(file, "%.1f %d %d\n", ms, ready, silent);
        std::fclose(file);
        ::MoveFileA(part.c_str(), report);
    }
    ::ExitProcess(0);
}();

TEST(SoundBank, AllTwentyFiveSoundsLoad) {
    COutputStream stream;
    CSoundBank bank(stream);
    bank.LoadSounds();
    for (int id : kAllSoundIds) {
        CSoundVoice* voice = bank.VoiceFor(id);
        ASSERT_NE(voice, nullptr) << id;
        EXPECT_TRUE(voice->IsReady()) << id;
    }
    EXPECT_EQ(bank.VoiceFor(129), bank.VoiceFor(129));
    EXPECT_NE(bank.VoiceFor(129), bank.VoiceFor(150));
    for (int id : {0, 128, 151, 179, 183, -181})
        EXPECT_EQ(bank.VoiceFor(id), nullptr) << id;
    // Loading opens nothing: the device waits for the first sound.
    EXPECT_EQ(bank.GetStream().GetState(), COutputStream::State::Closed);
}

TEST(SoundVoice, VoicesPlayInTheStreamTheyAreGiven) {
    COutputStream shared;
    COutputStream other(COutputStream::Device::None);
    CSoundVoice accent(shared);
    ASSERT_TRUE(accent.Load(181));
    {
        CSoundVoice click(shared);
        ASSERT_TRUE(click.Load(180));
        click.Retrigger();
    }
    accent.Retrigger();
    EXPECT_TRUE(accent.IsReady()) << "the other voice is gone";
    EXPECT_EQ(shared.GetHits(), 2u);
    EXPECT_EQ(other.GetHits(), 0u);
}

TEST(SoundVoice, MissingResourceStaysSilent) {
    COutputStream stream;
    CSoundVoice voice(stream);
    EXPECT_FALSE(voice.Load(999));
    EXPECT_FALSE(voice.IsReady());
    voice.Retrigger();
    EXPECT_EQ(stream.GetHits(), 0u);
    ::Sleep(100);
    EXPECT_EQ(stream.GetState(), COutputStream::State::Closed);
}

// The start of a sound: 10 ms find it in a recording, and its first quarter
// second tells it apart. Comparing no more keeps the test clear of the
// dropouts that Wine's audio path suffers now and then on a busy machine.
std::vector<std::int16_t> Head(const std::vector<std::int16_t>& sound, int ms = 10) {
    const auto length =
        std::min<std::size_t>(sound.size(), static_cast<std::size_t>(pwtest::kRecordRate * ms / 1000));
    return {sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(length)};
}

constexpr int kCompareMs = 250;
constexpr std::size_t kRate = pwtest::kRecordRate;

// Each check is made on several plays and passes when one of them is heard
// cleanly: a fault of the voice spoils all of them, a dropout only one.
constexpr int kPlays = 3;

TEST(SoundVoice, PlayedVoicesAreHeardAsRecorded) {
    COutputStream stream;
    CSoundBank bank(stream);
    bank.LoadSounds();
    const int played[] = {181, 180, 131, 129};
    pwtest::Recorder recorder;
    ASSERT_TRUE(recorder.Start(std::size(played) * kPlays * 0.5 + 1.0)) << recorder.Error();
    for (int id : played) {
        for (int i = 0; i < kPlays; ++i) {
            bank.VoiceFor(id)->Retrigger();
            ::Sleep(500);
        }
    }
    const auto samples = recorder.Finish();
    ASSERT_GT(samples.size(), kRate * 2) << recorder.Error();
    std::size_t from = 0;
    for (int id : played) {
        const auto sound = pwtest::ResourceSamples(static_cast<unsigned>(id));
        ASSERT_FALSE(sound.empty()) << id;
        double best = 0;
        for (int i = 0; i < kPlays; ++i) {
            const auto match = pwtest::FindTemplate(samples, Head(sound), from, from + kRate * 6 / 10);
            // The sound, sample for sample up to the mixer's rounding.
            best = std::max(best, pwtest::MatchedFraction(samples, match.at, Head(sound, kCompareMs)));
            from = match.at + kRate * 4 / 10;
        }
        EXPECT_GT(best, 0.85) << id;
    }
}

TEST(SoundVoice, RetriggerCutsOffAndStartsAgain) {
    COutputStream stream;
    CSoundVoice voice(stream);
    ASSERT_TRUE(voice.Load(138)); // 1.2 s, loud to the end of its first half
    pwtest::Recorder recorder;
    ASSERT_TRUE(recorder.Start(kPlays * 1.6 + 1.0)) << recorder.Error();
    for (int i = 0; i < kPlays; ++i) {
        voice.Retrigger();
        ::Sleep(300);
        voice.Retrigger();
        ::Sleep(1300);
    }
    const auto samples = recorder.Finish();
    ASSERT_GT(samples.size(), kRate * 2) << recorder.Error();
    const auto sound = pwtest::ResourceSamples(138);
    int clean = 0;
    std::size_t from = 0;
    for (int i = 0; i < kPlays; ++i) {
        const auto first = pwtest::FindTemplate(samples, Head(sound), from, from + kRate);
        const auto second =
            pwtest::FindTemplate(samples, Head(sound), first.at + kRate / 10, first.at + kRate);
        from = second.at + kRate;
        const double apartMs = (second.at - first.at) * 1000.0 / kRate;
        // Cut off: from the second start on only the new sound is heard, not
        // the old one's remainder under it; until then the first was heard.
        const std::vector<std::int16_t> beforeCut(
            sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(second.at - first.at));
        const double restarted = pwtest::MatchedFraction(samples, second.at, Head(sound, kCompareMs));
        const double before = pwtest::MatchedFraction(samples, first.at, beforeCut);
        std::printf("play %d: restarted after %.1f ms, heard before %.2f, after %.2f\n", i, apartMs, before,
                    restarted);
        if (first.residual < 0.05 && second.residual < 0.05 && std::abs(apartMs - 300) < 40 &&
            restarted > 0.85 && before > 0.85)
            ++clean;
    }
    EXPECT_GT(clean, 0);
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(NoDevice, StartUpStaysUnderASecond) {
    // Wine takes the sound server's address from the Unix environment that a
    // process starts with, so the child is started through the shell, with
    // the server pointing nowhere.
    const std::string exePath = pwtest::ProgramUnixPath();
    ASSERT_FALSE(exePath.empty()) << "runs under Wine";

    const std::string reportName = "Z:\\tmp\\pw-nodevice-" + pwtest::UniqueName(0) + ".txt";
    const char* report = reportName.c_str();
    ::DeleteFileA(report);
    ASSERT_TRUE(pwtest::StartUnixCommand("PULSE_SERVER=unix:/nonexistent/pulse PW_NO_DEVICE_REPORT='" +
                                         std::string(report) + "' exec wine '" + exePath +
                                         "' >/dev/null 2>&1"));
    for (int i = 0; i < 600 && !FileExists(report); ++i)
        ::Sleep(100);

    FILE* file = std::fopen(report, "r");
    ASSERT_NE(file, nullptr) << "the child wrote no report";
    double ms = -1;
    int ready = -1;
    int silent = -1;
    EXPECT_EQ(std::fscanf(file, "%lf %d %d", &ms, &ready, &silent), 3);
    std::fclose(file);
    ::DeleteFileA(report);
    EXPECT_EQ(ready, 25) << "the sounds need no device";
    EXPECT_EQ(silent, 1) << "the ticks ran the stream silently";
    EXPECT_GE(ms, 0.0);
    EXPECT_LT(ms, 1000.0);
    std::printf("LoadSounds without a device: %.1f ms\n", ms);
}

} // namespace
