// The Custom Beat Setting dialog on real windows: what it stores on OK and on
// Cancel, the letter keys and spins, the preview's steps, pattern files and
// the clean confirmation rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <dlgs.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "ModalAnswerer.h"
#include "RegistryBackup.h"
#include "TestFiles.h"
#include "WinTest.h"
#include "editor/CustomBeatDlg.h"
#include "engine/SoundBank.h"
#include "framework/CommonDialogs.h"
#include "framework/Text.h"
#include "model/AppData.h"
#include "model/PatternCodec.h"
#include "resource.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using pwtest::ModalAnswerer;
using pwtest::PumpUntil;

// Records the instruments the preview starts instead of playing them.
class RecordingBank : public CSoundBank {
public:
    using CSoundBank::CSoundBank;
    std::vector<int> played;
    std::vector<Clock::time_point> when;
    // The samples of the output stream the sounds were placed at.
    std::vector<std::int64_t> samples;

protected:
    void Retrigger(int soundId, std::int64_t sample) override {
        played.push_back(soundId);
        when.push_back(Clock::now());
        samples.push_back(sample);
    }
};

using pwtest::Child;

// The open dialog as the user finds it: its controls in their places.
struct Editor {
    explicit Editor(HWND dialog) : hwnd(dialog) {}
    operator HWND() const { return hwnd; }

    HWND hwnd;
    CBeatToolBar& toolBar = Child<CBeatToolBar>(hwnd, 12);
    CBeatGrid& grid = Child<CBeatGrid>(hwnd, 13);
    CValueSpin& spinSteps = Child<CValueSpin>(hwnd, 14);
    CValueSpin& spinStepsPerBeat = Child<CValueSpin>(hwnd, 15);
    CFlashButton& ok = Child<CFlashButton>(hwnd, IDOK);
    CFlashButton& cancel = Child<CFlashButton>(hwnd, IDCANCEL);
    CFlashButton& soundOn = Child<CFlashButton>(hwnd, IDC_CB_SOUND_ON);
    CFlashButton& soundOff = Child<CFlashButton>(hwnd, IDC_CB_SOUND_OFF);
    CFlashButton& clean = Child<CFlashButton>(hwnd, IDC_CB_CLEAN);
    CFlashButton& steps = Child<CFlashButton>(hwnd, IDC_CB_STEPS);
    CFlashButton& stepsPerBeat = Child<CFlashButton>(hwnd, IDC_CB_STEPS_PER_BEAT);
    CFlashButton& open = Child<CFlashButton>(hwnd, IDC_CB_OPEN);
    CFlashButton& save = Child<CFlashButton>(hwnd, IDC_CB_SAVE);
    CFlashButton& play = Child<CFlashButton>(hwnd, IDC_CB_PLAY);
    CFlashButton& stop = Child<CFlashButton>(hwnd, IDC_CB_STOP);
};

void Click(HWND button) {
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

// A key pressed and released, handled as the dialog's own loop handles it.
void Key(HWND dialog, UINT key) {
    ::PostMessageA(dialog, WM_KEYDOWN, key, 1);
    ::PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
    pwtest::PumpMessages(dialog);
}

// Clicks a step of a window of the grid (a track column 10..14, or the step
// numbers, 8) at its current scroll position.
void ClickStep(Editor& dialog, int childId, int step) {
    HWND child = ::GetDlgItem(dialog.grid, childId);
    ASSERT_TRUE(child) << childId;
    LPARAM at = MAKELPARAM(10, step * 25 + 12);
    ::SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(child, WM_LBUTTONUP, 0, at);
}

bool Visible(const CWnd& window) {
    return (window.GetStyle() & WS_VISIBLE) != 0;
}

RECT RectIn(HWND parent, HWND child) {
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Holds the left Shift key down in this thread's key state.
class LeftShiftDown {
public:
    LeftShiftDown() {
        ::GetKeyboardState(m_saved);
        BYTE state[256];
        std::copy(std::begin(m_saved), std::end(m_saved), state);
        state[VK_LSHIFT] = state[VK_SHIFT] = 0x80;
        ::SetKeyboardState(state);
    }
    LeftShiftDown(const LeftShiftDown&) = delete;
    LeftShiftDown& operator=(const LeftShiftDown&) = delete;
    ~LeftShiftDown() { ::SetKeyboardState(m_saved); }

private:
    BYTE m_saved[256] = {};
};

// Stands in for the user at the file dialogs: each is answered with the path
// the answer gives for it, "" for cancel.
class FileChooser : public CFileDialog::IChooser {
public:
    bool Choose(CFileDialog& dialog) override {
        std::string path = answer ? answer(dialog) : std::string();
        if (path.empty())
            return false;
        dialog.SetPathName(path);
        return true;
    }
    std::function<std::string(const CFileDialog&)> answer;
};

std::string Title(const CFileDialog& dialog) {
    return pw::Narrow(dialog.m_ofn.lpstrTitle ? dialog.m_ofn.lpstrTitle : L"");
}

CCustomBeat MakePattern(int steps, int stepsPerBeat) {
    CCustomBeat beat;
    beat.m_nStepsPerBeat = stepsPerBeat;
    for (int t = 0; t < 5; ++t)
        beat.AddTrack().SetCellCount(steps);
    return beat;
}

CBeatCell Cell(int soundId) {
    return CBeatCell{GetSoundLabel(soundId), soundId, 0};
}

// Step k of track 0 holds instrument 129 + k, so each played id names its step.
CCustomBeat NumberedPattern(int steps) {
    CCustomBeat beat = MakePattern(steps, 4);
    for (int k = 0; k < steps && k < kInstrumentCount; ++k)
        beat.GetTrack(0).GetCell(k) = Cell(kFirstInstrumentId + k);
    return beat;
}

int CountSounds(const CCustomBeat& beat) {
    int count = 0;
    for (const auto& track : beat.m_arrTracks)
        for (const auto& cell : track->m_arrCells)
            count += cell->m_nSoundId != 0;
    return count;
}

class CustomBeatDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::DeleteFileA(dataPath.c_str());
        store = std::make_unique<CAppData>();
        store->m_pSettings->m_bToolbarSound = 1;
        store->m_pSettings->m_bShowCleanConfirm = 1;
    }
    void TearDown() override { store.reset(); }

    // Runs the dialog, and the script in it once it shows.
    INT_PTR Run(const std::function<void(Editor&)>& script, CFileDialog::IChooser* fileUser = nullptr) {
        CCustomBeatDlg dialog(store.get(), bank, nullptr, fileUser ? *fileUser : chooser);
        ModalAnswerer user([&](HWND hwnd) {
            if (hwnd == dialog.GetSafeHwnd()) {
                Editor editor(hwnd);
                script(editor);
                // A script that stopped early (a failed assertion) leaves the
                // dialog open; this ends it, and is ignored once it has ended.
                ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
            }
            return true;
        });
        return dialog.DoModal();
    }

    std::string dataPath = pwtest::ExeFolder() + kDataFileName;
    pwtest::RegistryBackup registry{HKEY_LOCAL_MACHINE, kSettingsKey};
    pwtest::FileBackup dataFile{dataPath};
    std::unique_ptr<CAppData> store;
    COutputStream stream;
    RecordingBank bank{stream};
    FileChooser chooser;
};

TEST_F(CustomBeatDlgTest, OpensOnACopyOfTheCurrentPattern) {
    *store->m_pCustomBeat = NumberedPattern(24);
    store->m_pCustomBeat->m_nStepsPerBeat = 3;
    store->m_nToolIndex = 23;
    INT_PTR result = Run([&](Editor& d) {
        EXPECT_EQ(d.grid.GetPattern(), *store->m_pCustomBeat);
        EXPECT_EQ(d.grid.GetState().m_nStepCount, 24);
        EXPECT_EQ(d.grid.GetState().m_nStepsPerBeat, 3);
        EXPECT_EQ(d.toolBar.GetCurSel(), 23);
        EXPECT_EQ(d.grid.GetState().m_nCurTool, TOOL_ERASER);
        EXPECT_EQ(d.spinSteps.GetValue(), 24);
        EXPECT_EQ(d.spinStepsPerBeat.GetValue(), 3);
        Click(d.ok);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(CustomBeatDlgTest, ChildrenSitInTheirPlaceholders) {
    Run([&](Editor& d) {
        RECT toolbar = RectIn(d, d.toolBar);
        EXPECT_EQ(toolbar.right - toolbar.left, 552);
        EXPECT_EQ(toolbar.bottom - toolbar.top, 80);
        EXPECT_EQ(d.toolBar.GetDlgCtrlID(), 12);
        EXPECT_EQ(d.grid.GetDlgCtrlID(), 13);
        EXPECT_EQ(RectIn(d, d.grid).left, RectIn(d, ::GetDlgItem(d, IDC_CB_GRID_AREA)).left);
        RECT steps = RectIn(d, d.steps);
        RECT spin = RectIn(d, d.spinSteps);
        EXPECT_EQ(spin.left, steps.left);
        EXPECT_EQ(spin.top, steps.top);
        EXPECT_EQ(spin.right, steps.right + 6);
        EXPECT_EQ(spin.bottom, steps.bottom);
        EXPECT_EQ(d.spinSteps.GetDlgCtrlID(), 14);
        EXPECT_EQ(d.spinStepsPerBeat.GetDlgCtrlID(), 15);
        EXPECT_FALSE(Visible(d.spinSteps));
        EXPECT_EQ(d.spinSteps.m_nMax, 100);
        EXPECT_EQ(d.spinSteps.m_nMin, 8);
        EXPECT_EQ(d.spinStepsPerBeat.m_nMax, 8);
        EXPECT_EQ(d.spinStepsPerBeat.m_nMin, 2);
        EXPECT_EQ(d.soundOn.m_nFocusInset, 8);
        EXPECT_EQ(d.soundOff.m_nFocusInset, 8);
        EXPECT_EQ(d.ok.m_nFocusInset, 12);
        EXPECT_EQ(d.cancel.m_nFocusInset, 12);
        EXPECT_EQ(d.clean.m_nFocusInset, 9);
        EXPECT_EQ(d.play.m_nFocusInset, 9);
        Click(d.cancel);
    });
}

TEST_F(CustomBeatDlgTest, OkStoresPatternToolAndSound) {
    INT_PTR result = Run([&](Editor& d) {
        Key(d, 'Q');
        ClickStep(d, 10, 0);
        ClickStep(d, 10, 4);
        Key(d, 'I');
        ClickStep(d, 11, 1);
        ::SendMessageA(d, WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(d.spinStepsPerBeat.GetSafeHwnd()),
                       3);
        Click(d.soundOn);
        Click(d.ok);
    });
    EXPECT_EQ(result, IDOK);
    CCustomBeat expected = MakePattern(16, 3);
    expected.GetTrack(0).GetCell(0) = Cell(129);
    expected.GetTrack(0).GetCell(4) = Cell(129);
    expected.GetTrack(1).GetCell(1) = Cell(136);
    EXPECT_EQ(*store->m_pCustomBeat, expected);
    EXPECT_EQ(store->m_nToolIndex, 7);
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 0);
}

TEST_F(CustomBeatDlgTest, CancelKeepsThePatternButStoresToolAndSound) {
    *store->m_pCustomBeat = NumberedPattern(16);
    CCustomBeat before = *store->m_pCustomBeat;
    INT_PTR result = Run([&](Editor& d) {
        Key(d, 'J');
        ClickStep(d, 10, 3);
        Key(d, 'B');
        ClickStep(d, 12, 5);
        ::SendMessageA(d, WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(d.spinSteps.GetSafeHwnd()), 9);
        EXPECT_NE(d.grid.GetPattern(), before);
        Click(d.soundOn);
        Click(d.cancel);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(*store->m_pCustomBeat, before);
    EXPECT_EQ(store->m_nToolIndex, 20);
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 0);
}

TEST_F(CustomBeatDlgTest, CloseBoxIsCancel) {
    CCustomBeat before = *store->m_pCustomBeat;
    INT_PTR result = Run([&](Editor& d) {
        Key(d, 'W');
        ClickStep(d, 10, 0);
        ::SendMessageA(d, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(*store->m_pCustomBeat, before);
    EXPECT_EQ(store->m_nToolIndex, 1);
}

// Windows may tell the main window first, or end the process before it hears
// of it: the editor stores everything itself, the way Cancel leaves it.
TEST_F(CustomBeatDlgTest, SessionEndStoresAtOnceAsCancelLeavesIt) {
    *store->m_pCustomBeat = NumberedPattern(16);
    const CCustomBeat before = *store->m_pCustomBeat;
    Run([&](Editor& d) {
        Key(d, 'J');
        ClickStep(d, 10, 3);
        Click(d.soundOn);
        ::SendMessageA(d, WM_ENDSESSION, TRUE, 0);
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(pwtest::ReadWholeFile(dataPath, bytes));
        EXPECT_EQ(bytes, EncodePatternFile(before)) << "the edit without OK is not stored";
        DWORD type = 0;
        std::vector<BYTE> sound;
        EXPECT_TRUE(
            pwtest::GetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Toobar Sound On", type, sound));
        EXPECT_EQ(sound, (std::vector<BYTE>{0, 0, 0, 0}));
        Click(d.cancel);
    });
}

TEST_F(CustomBeatDlgTest, SoundOffIsStoredAndComesBackOff) {
    Run([&](Editor& d) {
        EXPECT_TRUE(Visible(d.soundOn));
        EXPECT_FALSE(Visible(d.soundOff));
        EXPECT_EQ(d.toolBar.m_bSoundOn, 1);
        Click(d.soundOn);
        EXPECT_FALSE(Visible(d.soundOn));
        EXPECT_TRUE(Visible(d.soundOff));
        EXPECT_EQ(::GetFocus(), d.soundOff.GetSafeHwnd());
        EXPECT_EQ(d.toolBar.m_bSoundOn, 0);
        Click(d.ok);
    });
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 0);
    Run([&](Editor& d) {
        EXPECT_EQ(d.toolBar.m_bSoundOn, 0) << "the toolbar is silent on the next opening";
        EXPECT_TRUE(Visible(d.soundOff));
        EXPECT_FALSE(Visible(d.soundOn));
        Click(d.soundOff);
        EXPECT_EQ(d.toolBar.m_bSoundOn, 1);
        EXPECT_EQ(::GetFocus(), d.soundOn.GetSafeHwnd());
        Click(d.ok);
    });
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 1);
}

TEST_F(CustomBeatDlgTest, LetterKeysSelectTools) {
    Run([&](Editor& d) {
        Key(d, 'Q');
        EXPECT_EQ(d.toolBar.GetCurSel(), 0);
        EXPECT_EQ(d.grid.GetState().m_nCurTool, 129);
        Key(d, 'K');
        EXPECT_EQ(d.toolBar.GetCurSel(), 11);
        EXPECT_EQ(d.grid.GetState().m_nCurTool, TOOL_MOVE);
        Key(d, 'J');
        EXPECT_EQ(d.toolBar.GetCurSel(), 23);
        EXPECT_EQ(d.grid.GetState().m_nCurTool, TOOL_ERASER);
        Key(d, 'F');
        EXPECT_EQ(d.grid.GetState().m_nCurTool, 143);
        Key(d, 'G');
        Key(d, 'H');
        EXPECT_EQ(d.toolBar.GetCurSel(), 15) << "G and H select nothing";
        EXPECT_EQ(d.grid.GetState().m_nCurTool, 143);
        Key(d, 'M');
        EXPECT_EQ(d.grid.GetState().m_nCurTool, 150);
        Click(d.ok);
    });
    EXPECT_EQ(store->m_nToolIndex, 22);
}

TEST_F(CustomBeatDlgTest, SpinOpensInPlaceOfItsButtonAndChangesTheGrid) {
    Run([&](Editor& d) {
        Click(d.steps);
        EXPECT_FALSE(Visible(d.steps));
        EXPECT_TRUE(d.spinSteps.IsOpen());
        EXPECT_TRUE(Visible(d.spinSteps));
        EXPECT_EQ(d.spinSteps.GetValue(), 16);
        // The spin's up button, held for a step.
        HWND up = d.spinSteps.GetDlgItem(CValueSpin::kUpId);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.spinSteps.GetSafeHwnd(); }, 3s));
        Click(up);
        pwtest::PumpMessages(d);
        EXPECT_EQ(d.grid.GetState().m_nStepCount, 17);
        EXPECT_EQ(d.grid.GetPattern().GetStepCount(), 17);
        // A letter closes it.
        Key(d, 'E');
        EXPECT_FALSE(d.spinSteps.IsOpen());
        EXPECT_TRUE(Visible(d.steps));
        EXPECT_EQ(d.grid.GetState().m_nCurTool, 131);
        Click(d.ok);
    });
    EXPECT_EQ(store->m_pCustomBeat->GetStepCount(), 17);
}

TEST_F(CustomBeatDlgTest, ClickOutsideAnOpenSpinClosesIt) {
    Run([&](Editor& d) {
        Click(d.stepsPerBeat);
        ASSERT_TRUE(d.spinStepsPerBeat.IsOpen());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.spinStepsPerBeat.GetSafeHwnd(); }, 3s));
        // A press inside the spin leaves it open.
        RECT spin;
        d.spinStepsPerBeat.GetWindowRect(&spin);
        ::SetCursorPos((spin.left + spin.right) / 2, (spin.top + spin.bottom) / 2);
        ::PostMessageA(d.spinStepsPerBeat.GetDlgItem(CValueSpin::kDownId), WM_LBUTTONDOWN, MK_LBUTTON,
                       MAKELPARAM(5, 5));
        ::PostMessageA(d.spinStepsPerBeat.GetDlgItem(CValueSpin::kDownId), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        pwtest::PumpMessages(d);
        EXPECT_TRUE(d.spinStepsPerBeat.IsOpen());
        EXPECT_EQ(d.grid.GetState().m_nStepsPerBeat, 3);
        // A press anywhere else closes it and shows its button again.
        RECT dialog;
        ::GetWindowRect(d, &dialog);
        ::SetCursorPos(dialog.left + 40, dialog.bottom - 20);
        ::PostMessageA(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
        ::PostMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
        pwtest::PumpMessages(d);
        EXPECT_FALSE(d.spinStepsPerBeat.IsOpen());
        EXPECT_TRUE(Visible(d.stepsPerBeat));
        Click(d.cancel);
    });
}

// Saves what a window shows (repainted, or as it is) as a screenshot and
// returns the colour at (x, y) of its client area.
COLORREF SaveScreenshot(HWND hwnd, const std::string& name, int x = 0, int y = 0,
                        pwtest::Snapshot::Source source = pwtest::Snapshot::Source::Redrawn) {
    pwtest::Snapshot shot(hwnd, source);
    EXPECT_TRUE(shot.Save(pwtest::ScreenshotPath(name).c_str())) << name;
    return shot.Pixel(x, y);
}

// Pixels of what an open or moving spin shows that differ from its drawing:
// background bitmap at x 0, y = height / 2 - 19, white above and below it,
// the value only in its own columns. A frame drawn at an earlier height shows
// as a shifted copy of the background's outline.
int SpinPixelsAmiss(HWND spin, const pwtest::Canvas& back) {
    pwtest::Snapshot shown(spin, pwtest::Snapshot::Source::AsShown);
    const int top = shown.Height() / 2 - 19;
    const int valueLeft = 10;
    const int valueRight = shown.Width() - 60;
    int amiss = 0;
    for (int y = 0; y < shown.Height(); ++y) {
        const bool onBack = y >= top && y < top + 38;
        for (int x = 0; x < shown.Width() - 46; ++x) {
            if (onBack && x >= valueLeft && x < valueRight)
                continue;
            amiss += shown.Pixel(x, y) != (onBack ? back.Pixel(x, y - top) : RGB(255, 255, 255));
        }
    }
    return amiss;
}

// Pumps until the spin lets the mouse go, checking each new height it shows on
// the way; returns the heights.
std::vector<int> CheckSpinFrames(Editor& d, CValueSpin& spin, const pwtest::Canvas& back) {
    std::vector<int> heights;
    pwtest::PumpMessages(d);
    EXPECT_TRUE(PumpUntil(
        d,
        [&] {
            RECT rc;
            spin.GetClientRect(&rc);
            if (spin.IsWindowVisible() && (heights.empty() || heights.back() != rc.bottom)) {
                heights.push_back(rc.bottom);
                EXPECT_EQ(SpinPixelsAmiss(spin, back), 0) << "at height " << rc.bottom;
            }
            return ::GetCapture() != spin.GetSafeHwnd();
        },
        3s));
    return heights;
}

TEST_F(CustomBeatDlgTest, SpinsDrawWholeAndCentredThroughOpeningStepsAndClosing) {
    const pwtest::Canvas back = pwtest::LoadPicture(CValueSpin::kBackgroundId);
    ASSERT_GT(back.Width(), 0);
    Run([&](Editor& d) {
        ::SetForegroundWindow(d);
        for (auto [button, spin] :
             {std::pair{&d.steps, &d.spinSteps}, std::pair{&d.stepsPerBeat, &d.spinStepsPerBeat}}) {
            Click(*button);
            std::vector<int> opening = CheckSpinFrames(d, *spin, back);
            EXPECT_GE(opening.size(), 2u);
            EXPECT_EQ(opening.back(), 60);
            const std::string name = "editor_spin" + std::to_string(spin->GetDlgCtrlID());
            SaveScreenshot(d, name + "_open", 0, 0, pwtest::Snapshot::Source::AsShown);
            for (UINT id : {CValueSpin::kUpId, CValueSpin::kDownId, CValueSpin::kDownId}) {
                Click(spin->GetDlgItem(id));
                pwtest::PumpMessages(d);
                EXPECT_EQ(SpinPixelsAmiss(*spin, back), 0) << "after a step, button " << id;
            }
            SaveScreenshot(d, name + "_stepped", 0, 0, pwtest::Snapshot::Source::AsShown);
            spin->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            EXPECT_FALSE(spin->IsOpen());
            std::vector<int> closing = CheckSpinFrames(d, *spin, back);
            EXPECT_GE(closing.size(), 2u);
            std::printf("spin %d: opening heights", spin->GetDlgCtrlID());
            for (int h : opening)
                std::printf(" %d", h);
            std::printf(", closing heights");
            for (int h : closing)
                std::printf(" %d", h);
            std::printf("\n");
        }
        Click(d.cancel);
    });
}

TEST_F(CustomBeatDlgTest, PreviewPlaysEveryStepFromTheFirst) {
    *store->m_pCustomBeat = NumberedPattern(8);
    store->m_pCustomBeat->GetTrack(4).GetCell(2) = Cell(150);
    size_t firstRun = 0;
    Run([&](Editor& d) {
        Click(d.play);
        EXPECT_FALSE(Visible(d.play));
        EXPECT_TRUE(Visible(d.stop));
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 11; }, 10s));
        Click(d.stop);
        EXPECT_TRUE(Visible(d.play));
        EXPECT_FALSE(Visible(d.stop));
        // Stopped, it starts from the first step again.
        firstRun = bank.played.size();
        Click(d.play);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() > firstRun; }, 10s));
        Click(d.stop);
        EXPECT_EQ(bank.played[firstRun], 129);
        Click(d.cancel);
    });
    // Both sounds of step 2 start together, left column first; then the wrap.
    std::vector<int> expected{129, 130, 131, 150, 132, 133, 134, 135, 136, 129, 130};
    ASSERT_GE(bank.played.size(), expected.size());
    EXPECT_EQ(std::vector<int>(bank.played.begin(), bank.played.begin() + 11), expected);
    ASSERT_GT(firstRun, 1u);
    // Each step sounds at its sample of the stream: whole periods apart (a
    // step the busy window thread dropped leaves a gap of two).
    const std::int64_t period =
        std::int64_t{CCustomBeatDlg::kPreviewMilliseconds} * bank.GetStream().GetRate() / 1000;
    std::vector<double> gaps;
    for (size_t i = 1; i < firstRun; ++i)
        if (bank.played[i] != 150) {
            const std::int64_t apart = bank.samples[i] - bank.samples[i - 1];
            EXPECT_TRUE(apart > 0 && apart % period == 0) << i << ": " << apart;
            gaps.push_back(
                std::chrono::duration<double, std::milli>(bank.when[i] - bank.when[i - 1]).count());
        }
    std::sort(gaps.begin(), gaps.end());
    std::printf("preview step gaps: median %.1f ms, min %.1f, max %.1f\n", gaps[gaps.size() / 2],
                gaps.front(), gaps.back());
}

TEST_F(CustomBeatDlgTest, ABusyWindowThreadDropsTicksInsteadOfCatchingUp) {
    *store->m_pCustomBeat = NumberedPattern(16);
    Run([&](Editor& d) {
        Click(d.play);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 2; }, 10s));
        size_t before = bank.played.size();
        // Six or seven ticks come while the thread sleeps; one message waits.
        ::Sleep(1000);
        pwtest::PumpMessages(d);
        EXPECT_GE(bank.played.size(), before + 1);
        EXPECT_LE(bank.played.size(), before + 2);
        EXPECT_EQ(bank.played[before], bank.played[before - 1] + 1)
            << "the pattern goes on with its next step";
        Click(d.stop);
        Click(d.cancel);
    });
}

TEST_F(CustomBeatDlgTest, StepCountLoweredBelowTheCurrentStepPlaysStepZeroNext) {
    *store->m_pCustomBeat = NumberedPattern(16);
    Run([&](Editor& d) {
        Click(d.play);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 12; }, 10s));
        ::SendMessageA(d, WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(d.spinSteps.GetSafeHwnd()), 8);
        size_t before = bank.played.size();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= before + 2; }, 5s));
        EXPECT_EQ(bank.played[before - 1], 129 + static_cast<int>(before) - 1);
        EXPECT_EQ(bank.played[before], 129);
        EXPECT_EQ(bank.played[before + 1], 130);
        Click(d.stop);
        Click(d.cancel);
    });
}

TEST_F(CustomBeatDlgTest, ClickingStepSixWhilePreviewingPlaysIndexFiveNext) {
    *store->m_pCustomBeat = NumberedPattern(16);
    Run([&](Editor& d) {
        // Not previewing: the step numbers do not move the start (the first
        // sound played is step 0's).
        ClickStep(d, 8, 9);
        Click(d.play);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 2; }, 10s));
        ClickStep(d, 8, 5);
        size_t before = bank.played.size();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= before + 2; }, 5s));
        EXPECT_EQ(bank.played[before], 129 + 5);
        EXPECT_EQ(bank.played[before + 1], 129 + 6);
        Click(d.stop);
        Click(d.cancel);
    });
    EXPECT_EQ(bank.played.front(), 129);
}

TEST_F(CustomBeatDlgTest, OpenOfACorruptFileShowsTheMessageAndKeepsTheGrid) {
    *store->m_pCustomBeat = NumberedPattern(16);
    pwtest::TempFolder folder;
    std::string path = folder.Path("corrupt.pwk");
    CCustomBeat other = NumberedPattern(12);
    ByteBuffer bytes = EncodePatternFile(other);
    bytes[10] ^= 0x01; // the version line
    ASSERT_TRUE(pwtest::WriteWholeFile(path, bytes));
    std::vector<std::string> asked;
    chooser.answer = [&](const CFileDialog& dialog) {
        asked.push_back(Title(dialog));
        return path;
    };
    std::vector<std::string> messages;
    Run([&](Editor& d) {
        CCustomBeat before = d.grid.GetPattern();
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(pwtest::WindowText(box) + ": " + pwtest::MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        });
        Click(d.open);
        EXPECT_EQ(d.grid.GetPattern(), before);
        EXPECT_EQ(d.grid.GetState().m_nStepCount, 16);
        Click(d.ok);
    });
    EXPECT_EQ(asked, std::vector<std::string>{"File Open"});
    EXPECT_EQ(messages, std::vector<std::string>{"Pulsewick: File Open Failed!!!"});
    EXPECT_EQ(*store->m_pCustomBeat, NumberedPattern(16));
}

TEST_F(CustomBeatDlgTest, OpenFillsTheGridAndRestartsThePreview) {
    *store->m_pCustomBeat = NumberedPattern(16);
    pwtest::TempFolder folder;
    std::string path = folder.Path("beat.pwk");
    CCustomBeat file = NumberedPattern(20);
    file.m_nStepsPerBeat = 5;
    ASSERT_TRUE(pwtest::WriteWholeFile(path, EncodePatternFile(file)));
    bool seen = false;
    std::string filter;
    DWORD flags = 0;
    bool noDefaultExtension = false;
    bool noInitialName = false;
    chooser.answer = [&](const CFileDialog& dialog) {
        seen = true;
        const wchar_t* f = dialog.m_ofn.lpstrFilter;
        for (; f && *f; f += std::wcslen(f) + 1)
            filter += pw::Narrow(f) + "|";
        flags = dialog.m_ofn.Flags;
        noDefaultExtension = dialog.m_ofn.lpstrDefExt == nullptr;
        noInitialName = dialog.m_ofn.lpstrFile && dialog.m_ofn.lpstrFile[0] == '\0';
        return path;
    };
    Run([&](Editor& d) {
        Click(d.play);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 3; }, 10s));
        Click(d.open);
        EXPECT_EQ(d.grid.GetState().m_nStepCount, 20);
        EXPECT_EQ(d.grid.GetState().m_nStepsPerBeat, 5);
        EXPECT_EQ(d.grid.GetPattern(), file);
        size_t before = bank.played.size();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() > before; }, 5s));
        EXPECT_EQ(bank.played[before], 129) << "the preview starts again at step 0";
        Click(d.stop);
        Click(d.cancel);
    });
    ASSERT_TRUE(seen);
    EXPECT_EQ(filter, "Pulsewick Files(*.pwk)|*.pwk|All Files|*.*|");
    EXPECT_TRUE(flags & OFN_HIDEREADONLY);
    EXPECT_TRUE(flags & OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(noDefaultExtension);
    EXPECT_TRUE(noInitialName);
    EXPECT_EQ(store->m_pCustomBeat->GetStepCount(), 16) << "only OK stores the pattern";
}

TEST_F(CustomBeatDlgTest, SaveWritesTheCodecsBytesWithTheExtensionAdded) {
    pwtest::TempFolder folder;
    CCustomBeat beat = NumberedPattern(10);
    beat.GetTrack(3).GetCell(9) = Cell(143);
    beat.m_nStepsPerBeat = 2;
    *store->m_pCustomBeat = beat;
    std::vector<std::string> titles;
    std::vector<std::string> answers{folder.Path("groove"), folder.Path("named.bin")};
    chooser.answer = [&](const CFileDialog& dialog) {
        titles.push_back(Title(dialog));
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    Run([&](Editor& d) {
        Click(d.save);
        Click(d.save);
        Click(d.cancel);
    });
    EXPECT_EQ(titles, (std::vector<std::string>{"File Save", "File Save"}));
    std::vector<std::string> files = folder.Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"groove.PWK", "named.bin"}));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(pwtest::ReadWholeFile(folder.Path("groove.PWK"), bytes));
    EXPECT_EQ(bytes, EncodePatternFile(beat));
    // The header as the format lays it out on disk.
    ASSERT_GT(bytes.size(), 69u);
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 25), "Pulsewick ver1.01\r\n\r\n");
    EXPECT_EQ(bytes[57], 2) << "steps per beat";
    EXPECT_EQ(bytes[61], 5) << "tracks";
    // A cell count of 10 starts with the translated line end.
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 65, bytes.begin() + 70),
              (std::vector<unsigned char>{0x0D, 0x0A, 0, 0, 0}));
    std::vector<unsigned char> named;
    ASSERT_TRUE(pwtest::ReadWholeFile(folder.Path("named.bin"), named));
    EXPECT_EQ(named, bytes);
}

TEST_F(CustomBeatDlgTest, SaveIntoAFolderWithADotStillAddsTheExtension) {
    pwtest::TempFolder folder;
    ASSERT_TRUE(::CreateDirectoryA(folder.Path("my.beats").c_str(), nullptr));
    std::string chosen = folder.Path("my.beats\\groove");
    chooser.answer = [&](const CFileDialog&) {
        return chosen;
    };
    Run([&](Editor& d) {
        Click(d.save);
        Click(d.cancel);
    });
    EXPECT_TRUE(pwtest::FileExists(chosen + ".PWK"));
    EXPECT_FALSE(pwtest::FileExists(chosen));
    ::DeleteFileA((chosen + ".PWK").c_str());
    ::RemoveDirectoryA(folder.Path("my.beats").c_str());
}

TEST_F(CustomBeatDlgTest, SaveAsksBeforeReplacingTheFileTheExtensionNames) {
    pwtest::TempFolder folder;
    const CCustomBeat beat = NumberedPattern(12);
    *store->m_pCustomBeat = beat;
    std::vector<unsigned char> old{'o', 'l', 'd'};
    ASSERT_TRUE(pwtest::WriteWholeFile(folder.Path("groove.PWK"), old));
    chooser.answer = [&](const CFileDialog&) {
        return folder.Path("groove");
    };
    std::vector<std::string> messages;
    int answer = IDNO;
    Run([&](Editor& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(pwtest::MessageText(box));
            ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
            return true;
        });
        Click(d.save);
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(pwtest::ReadWholeFile(folder.Path("groove.PWK"), bytes));
        EXPECT_EQ(bytes, old) << "No keeps the file";
        answer = IDYES;
        Click(d.save);
        ASSERT_TRUE(pwtest::ReadWholeFile(folder.Path("groove.PWK"), bytes));
        EXPECT_EQ(bytes, EncodePatternFile(beat));
        Click(d.cancel);
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("groove.PWK already exists."), std::string::npos) << messages[0];
}

TEST_F(CustomBeatDlgTest, SaveToAnUnwritablePathReportsTheFailure) {
    pwtest::TempFolder folder;
    chooser.answer = [&](const CFileDialog&) {
        return folder.Path("missing\\groove.pwk");
    };
    std::vector<std::string> messages;
    Run([&](Editor& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(pwtest::WindowText(box) + ": " + pwtest::MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        });
        Click(d.save);
        Click(d.cancel);
    });
    ASSERT_EQ(messages.size(), 1u);
    std::string told = "Pulsewick: File Save Failed!!!\n\nThe pattern could not be written to " +
                       folder.Path("missing\\groove.pwk") + ": ";
    EXPECT_EQ(messages[0].substr(0, told.size()), told);
    EXPECT_GT(messages[0].size(), told.size() + 2) << "and why";
}

// Stands in for a disk that takes nothing.
class FullDisk : public IFileWriter {
public:
    bool Write(HANDLE, std::span<const unsigned char>) override {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    }
};

TEST_F(CustomBeatDlgTest, OkThatCannotStoreTheBeatSaysWhereAndKeepsItInTheEditor) {
    FullDisk disk;
    store = std::make_unique<CAppData>(SystemRegistry(), disk);
    std::vector<std::string> messages;
    INT_PTR result = Run([&](Editor& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(pwtest::MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        });
        d.grid.SetPattern(NumberedPattern(12));
        Click(d.ok);
        EXPECT_EQ(d.grid.GetPattern(), NumberedPattern(12));
    });
    EXPECT_EQ(result, IDCANCEL) << "OK did not close the editor";
    ASSERT_EQ(messages.size(), 1u);
    std::string told = "The custom beat could not be written to " + dataPath + ": " +
                       pw::ErrorText(ERROR_DISK_FULL) + "\n\n";
    EXPECT_EQ(messages[0].substr(0, told.size()), told);
    EXPECT_EQ(*store->m_pCustomBeat, NumberedPattern(12)) << "it plays meanwhile";
    EXPECT_FALSE(pwtest::FileExists(dataPath));
}

// The system's own dialogs, answered as a user answers them: the path typed
// into the file name box, then OK.
TEST_F(CustomBeatDlgTest, PatternSavedAndOpenedWithTheSystemsDialogsInAFolderOfAnyLetters) {
    pwtest::TempFolder folder;
    std::string named = folder.Path("Übungen 練習 Ασκήσεις");
    ASSERT_TRUE(CreateFolders(named));
    std::string path = named + "\\Rhythmus 節奏.pwk";
    CCustomBeat beat = NumberedPattern(12);
    *store->m_pCustomBeat = beat;
    std::vector<std::string> titles;
    // The dialogs move the current folder to where they chose, which holds
    // the folder until it moves away.
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    Run(
        [&](Editor& d) {
            ModalAnswerer user([&](HWND dialog) {
                HWND name = ::GetDlgItem(dialog, cmb13);
                name = name ? name : ::GetDlgItem(dialog, edt1);
                titles.push_back(pwtest::WindowText(dialog));
                if (name) {
                    ::SetWindowTextW(name, pw::Widen(path).c_str());
                    Click(::GetDlgItem(dialog, IDOK));
                } else {
                    titles.back() += ": " + pwtest::MessageText(dialog);
                    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                }
                return true;
            });
            Click(d.save);
            d.grid.SetPattern(MakePattern(8, 2));
            Click(d.open);
            EXPECT_EQ(d.grid.GetPattern(), beat);
            Click(d.cancel);
        },
        &CFileDialog::SystemChooser());
    EXPECT_EQ(titles, (std::vector<std::string>{"File Save", "File Open"}));
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(ReadFileBytes(path, 1 << 20, bytes));
    EXPECT_EQ(bytes, EncodePatternFile(beat));
    ::SetCurrentDirectoryW(current);
    EXPECT_TRUE(::DeleteFileW(SystemPath(path).c_str()));
    EXPECT_TRUE(::RemoveDirectoryW(SystemPath(named).c_str()));
}

TEST_F(CustomBeatDlgTest, CancelledFileDialogsDoNothing) {
    chooser.answer = [&](const CFileDialog&) {
        return std::string();
    };
    std::vector<std::string> messages;
    Run([&](Editor& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(pwtest::MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            return true;
        });
        CCustomBeat before = d.grid.GetPattern();
        Click(d.open);
        Click(d.save);
        EXPECT_EQ(d.grid.GetPattern(), before);
        Click(d.cancel);
    });
    EXPECT_TRUE(messages.empty());
}

// What the clean bubble showed and how it was answered.
struct Bubble {
    int shown = 0;
    int boxAtStart = -1;
    RECT rect{};
};

class CleanTest : public CustomBeatDlgTest {
protected:
    // Presses Clean with the cursor at (700, 500); the bubble, if it comes,
    // gets its box clicked (toggle) and is answered with Yes or No.
    int Clean(Editor& d, bool toggle, bool yes) {
        ::SetCursorPos(700, 500);
        ModalAnswerer answerer([&](HWND hwnd) {
            ++bubble.shown;
            bubble.boxAtStart =
                static_cast<int>(::SendDlgItemMessageA(hwnd, IDC_CLEAN_SHOW_AGAIN, BM_GETCHECK, 0, 0));
            ::GetWindowRect(hwnd, &bubble.rect);
            if (toggle)
                Click(::GetDlgItem(hwnd, IDC_CLEAN_SHOW_AGAIN));
            Click(::GetDlgItem(hwnd, yes ? IDOK : IDCANCEL));
            return true;
        });
        Click(d.clean);
        return CountSounds(d.grid.GetPattern());
    }

    void SetUp() override {
        CustomBeatDlgTest::SetUp();
        *store->m_pCustomBeat = NumberedPattern(16);
        store->m_pCustomBeat->m_nStepsPerBeat = 2;
    }

    Bubble bubble;
};

TEST_F(CleanTest, AsksWithTheBoxTickedAndYesEmptiesTheGrid) {
    Run([&](Editor& d) {
        EXPECT_EQ(Clean(d, false, true), 0);
        EXPECT_EQ(d.grid.GetState().m_nStepCount, 16) << "the step count stays";
        EXPECT_EQ(d.grid.GetState().m_nStepsPerBeat, 2) << "the steps per beat stay";
        Click(d.ok);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(bubble.boxAtStart, BST_CHECKED);
    EXPECT_EQ(bubble.rect.left, 700 - 312);
    EXPECT_EQ(bubble.rect.top, 500 - 9);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 1);
    EXPECT_EQ(*store->m_pCustomBeat, MakePattern(16, 2));
}

TEST_F(CleanTest, UntickAndNoKeepsTheCellsAndSwitchesTheQuestionOff) {
    Run([&](Editor& d) {
        EXPECT_EQ(Clean(d, true, false), 16);
        Click(d.cancel);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 0);
}

TEST_F(CleanTest, QuestionOffEmptiesAtOnce) {
    store->m_pSettings->m_bShowCleanConfirm = 0;
    Run([&](Editor& d) {
        EXPECT_EQ(Clean(d, false, false), 0);
        Click(d.cancel);
    });
    EXPECT_EQ(bubble.shown, 0);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 0);
}

TEST_F(CleanTest, LeftShiftAsksAgainAndTickingTheBoxSwitchesItBackOn) {
    store->m_pSettings->m_bShowCleanConfirm = 0;
    Run([&](Editor& d) {
        LeftShiftDown shift;
        EXPECT_EQ(Clean(d, true, true), 0);
        Click(d.cancel);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(bubble.boxAtStart, BST_UNCHECKED) << "the box shows the setting";
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 1);
}

TEST_F(CleanTest, LeftShiftAndNoKeepsTheCellsAndTheSettingOff) {
    store->m_pSettings->m_bShowCleanConfirm = 0;
    Run([&](Editor& d) {
        LeftShiftDown shift;
        EXPECT_EQ(Clean(d, false, false), 16);
        Click(d.cancel);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 0);
}

TEST_F(CustomBeatDlgTest, ScreenshotsOfPatternSpinAndBubble) {
    CCustomBeat& beat = *store->m_pCustomBeat;
    for (int k = 0; k < 16; ++k) {
        if (k % 4 == 0)
            beat.GetTrack(0).GetCell(k) = Cell(129);
        if (k % 8 == 4)
            beat.GetTrack(1).GetCell(k) = Cell(131);
        beat.GetTrack(2).GetCell(k) = Cell(k % 2 ? 137 : 136);
        if (k % 5 == 3)
            beat.GetTrack(3).GetCell(k) = Cell(147 + k % 4);
    }
    beat.GetTrack(4).GetCell(15) = Cell(143);
    Run([&](Editor& d) {
        // In front and drawn whole before the pictures are taken.
        ::SetForegroundWindow(d);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetForegroundWindow() == d.hwnd; }, 3s));
        ::RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT frame = RectIn(d, ::GetDlgItem(d, IDC_CB_FRAME_AREA));
        // The frame bitmap's top left corner lies at the placeholder's.
        EXPECT_EQ(SaveScreenshot(d, "editor_pattern", frame.left + 2, frame.top + 2),
                  pwtest::LoadPicture(CCustomBeatDlg::kFrameBitmapId).Pixel(2, 2));

        Click(d.steps);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.spinSteps.GetSafeHwnd(); }, 3s));
        pwtest::PumpMessages(d);
        RECT spin = RectIn(d, d.spinSteps);
        EXPECT_EQ(spin.bottom - spin.top, 60);
        // The spin's own background, not the frame behind it.
        EXPECT_EQ(SaveScreenshot(d, "editor_spin", spin.left + 2, (spin.top + spin.bottom) / 2),
                  pwtest::LoadPicture(CValueSpin::kBackgroundId).Pixel(2, 19));
        Key(d, VK_SHIFT);

        RECT clean;
        d.clean.GetWindowRect(&clean);
        ::SetCursorPos((clean.left + clean.right) / 2, (clean.top + clean.bottom) / 2);
        COLORREF middle = CLR_INVALID;
        ModalAnswerer answerer([&](HWND bubble) {
            pwtest::PumpMessages();
            ::UpdateWindow(bubble);
            RECT rc;
            ::GetWindowRect(bubble, &rc);
            middle =
                SaveScreenshot(::GetDesktopWindow(), "editor_clean", (rc.left + rc.right) / 2, rc.top + 40);
            Click(::GetDlgItem(bubble, IDCANCEL));
            return true;
        });
        Click(d.clean);
        EXPECT_EQ(middle, RGB(255, 255, 242)) << "the bubble's pale fill is on the screen";
        Click(d.cancel);
    });
}

} // namespace
