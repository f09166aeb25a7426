// The real program, copied into a folder of its own and started as separate
// processes: one copy at a time, the data file it leaves at exit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "RegistryBackup.h"
#include "TestFiles.h"
#include "WinTest.h"
#include "app/MetronomeApp.h"
#include "framework/Handle.h"
#include "mainwnd/MetronomeDlg.h"
#include "model/PatternCodec.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Program {
public:
    explicit Program(const std::string& exe) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::string commandLine = "\"" + exe + "\"";
        std::string folder = exe.substr(0, exe.find_last_of('\\'));
        if (::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder.c_str(), &startup, &info)) {
            m_process.Reset(info.hProcess);
            ::CloseHandle(info.hThread);
            m_nId = info.dwProcessId;
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (Running())
            ::TerminateProcess(m_process.Get(), 99);
    }

    bool Started() const { return static_cast<bool>(m_process); }
    bool Running() const { return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }

    // The program's windows that are shown.
    std::vector<HWND> VisibleWindows() const {
        std::vector<HWND> windows;
        ForEachWindow([&](HWND hwnd) {
            if (::IsWindowVisible(hwnd))
                windows.push_back(hwnd);
        });
        return windows;
    }

    // The window that says it is the running copy's main window, or null.
    HWND MainWindow() const {
        HWND main = nullptr;
        ForEachWindow([&](HWND hwnd) {
            DWORD_PTR answer = 0;
            if (!main &&
                ::SendMessageTimeoutA(hwnd, UWM_ARE_YOU_ME, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 200,
                                      &answer) &&
                answer == UWM_ARE_YOU_ME)
                main = hwnd;
        });
        return main;
    }

private:
    template <class F> void ForEachWindow(F f) const {
        struct Context {
            DWORD id;
            F* f;
        } context{m_nId, &f};
        ::EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                auto* c = reinterpret_cast<Context*>(lp);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hwnd, &pid);
                if (pid == c->id)
                    (*c->f)(hwnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&context));
    }

    pw::UniqueKernelHandle m_process;
    DWORD m_nId = 0;
};

// A plain window of the test that holds the foreground meanwhile.
class OtherWindow {
public:
    OtherWindow()
        : m_hWnd(::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE | WS_BORDER, 300, 300, 200,
                                   100, nullptr, nullptr, nullptr, nullptr)) {}
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    ~OtherWindow() { ::DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

class RealProgramTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileA((pwtest::ExeFolder() + "Pulsewick.exe").c_str(), m_strExe.c_str(), FALSE));
        // No splash: the main window is the first thing shown.
        ASSERT_TRUE(pwtest::SetRegistryDword(HKEY_LOCAL_MACHINE, kSettingsKey, "Show Splash", 0));
    }

    HWND WaitForMainWindow(const Program& program) {
        HWND main = nullptr;
        pwtest::PumpUntil(
            [&] {
                main = program.MainWindow();
                return main != nullptr || !program.Running();
            },
            30s);
        return main;
    }

    bool WaitForExit(const Program& program, std::chrono::milliseconds timeout) {
        return pwtest::PumpUntil([&] { return !program.Running(); }, timeout);
    }

    void CloseAndWait(const Program& program, HWND main) {
        ::PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitForExit(program, 20s));
        EXPECT_EQ(program.ExitCode(), 0u);
    }

    std::vector<unsigned char> DataFile() const {
        std::vector<unsigned char> bytes;
        pwtest::ReadWholeFile(m_folder.Path("Pulsewick.da_"), bytes);
        return bytes;
    }

    pwtest::RegistryBackup m_registryBackup{HKEY_LOCAL_MACHINE, kSettingsKey};
    pwtest::TempFolder m_folder;
    std::string m_strExe = m_folder.Path("Pulsewick.exe");
};

CCustomBeat DefaultPattern() {
    CCustomBeat beat;
    for (int t = 0; t < 5; ++t)
        beat.AddTrack().SetCellCount(16);
    return beat;
}

TEST_F(RealProgramTest, SecondCopyEndsWithoutAWindowAndBringsTheFirstBack) {
    Program first(m_strExe);
    ASSERT_TRUE(first.Started());
    HWND main = WaitForMainWindow(first);
    ASSERT_NE(main, nullptr) << "the first copy shows no main window";

    ::ShowWindow(main, SW_MINIMIZE);
    OtherWindow other;
    ::SetForegroundWindow(other.Get());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return ::IsIconic(main) != FALSE; }, 5s));
    ASSERT_NE(::GetForegroundWindow(), main);

    auto start = Clock::now();
    Program second(m_strExe);
    ASSERT_TRUE(second.Started());
    bool showedWindow = false;
    bool ended = pwtest::PumpUntil(
        [&] {
            showedWindow = showedWindow || !second.VisibleWindows().empty();
            return !second.Running();
        },
        20s);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    std::printf("second copy ran for %lld ms\n", static_cast<long long>(elapsed.count()));
    ASSERT_TRUE(ended) << "the second copy still runs";
    // It has nothing to wait for but Wine's start and a few 200 ms questions;
    // the bound leaves room for a loaded machine.
    EXPECT_LT(elapsed, 3s);
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_FALSE(showedWindow);

    EXPECT_TRUE(pwtest::PumpUntil([&] { return !::IsIconic(main) && ::GetForegroundWindow() == main; }, 5s))
        << "iconic " << ::IsIconic(main) << ", foreground " << ::GetForegroundWindow() << ", main " << main;
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.MainWindow(), main);

    CloseAndWait(first, main);

    // The mutex went with the first copy: the next launch runs.
    Program third(m_strExe);
    HWND thirdMain = WaitForMainWindow(third);
    ASSERT_NE(thirdMain, nullptr) << "a launch after the first copy ended shows no window";
    EXPECT_TRUE(third.Running());
    CloseAndWait(third, thirdMain);
}

TEST_F(RealProgramTest, FirstCopyBehindAnotherWindowComesToTheFront) {
    Program first(m_strExe);
    HWND main = WaitForMainWindow(first);
    ASSERT_NE(main, nullptr);
    OtherWindow other;
    ::SetForegroundWindow(other.Get());
    ASSERT_TRUE(pwtest::PumpUntil([&] { return ::GetForegroundWindow() == other.Get(); }, 5s));

    Program second(m_strExe);
    ASSERT_TRUE(pwtest::PumpUntil([&] { return !second.Running(); }, 20s));
    EXPECT_TRUE(pwtest::PumpUntil([&] { return ::GetForegroundWindow() == main; }, 5s));
    EXPECT_FALSE(::IsIconic(main));
    CloseAndWait(first, main);
}

TEST_F(RealProgramTest, FirstRunWritesTheDefaultDataFileAtExit) {
    Program program(m_strExe);
    HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(DataFile().empty());
    CloseAndWait(program, main);
    std::vector<unsigned char> bytes = DataFile();
    EXPECT_EQ(bytes.size(), 1045u);
    EXPECT_EQ(bytes, EncodePatternFile(DefaultPattern()));
    EXPECT_EQ(m_folder.Files().size(), 2u) << "only the program and its data file";
}

TEST_F(RealProgramTest, CorruptDataFileGivesTheDefaultPattern) {
    ASSERT_TRUE(
        pwtest::WriteWholeFile(m_folder.Path("Pulsewick.da_"), std::vector<unsigned char>(700, 0x0A)));
    Program program(m_strExe);
    HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    CloseAndWait(program, main);
    EXPECT_EQ(DataFile(), EncodePatternFile(DefaultPattern()));
}

TEST_F(RealProgramTest, StoredPatternSurvivesARun) {
    CCustomBeat beat = DefaultPattern();
    beat.m_nStepsPerBeat = 3;
    beat.GetTrack(4).GetCell(15) = CBeatCell{"Tambourine", 143, 0};
    ByteBuffer stored = EncodePatternFile(beat);
    ASSERT_TRUE(pwtest::WriteWholeFile(m_folder.Path("Pulsewick.da_"), stored));
    Program program(m_strExe);
    HWND main = WaitForMainWindow(program);
    ASSERT_NE(main, nullptr);
    CloseAndWait(program, main);
    EXPECT_EQ(DataFile(), stored);
}

} // namespace
