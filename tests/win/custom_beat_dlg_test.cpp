// The Custom Beat Setting dialog on real windows: what it stores on OK and on
// Cancel, the letter keys and spins, the preview's steps, pattern files and
// the clean confirmation rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "RegistryBackup.h"
#include "TestFiles.h"
#include "WinTest.h"
#include "editor/CustomBeatDlg.h"
#include "engine/SoundBank.h"
#include "framework/CommonDialogs.h"
#include "model/AppData.h"
#include "model/PatternCodec.h"
#include "resource.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Records the instruments the preview starts instead of playing them.
class RecordingBank : public CSoundBank {
public:
    std::vector<int> played;
    std::vector<Clock::time_point> when;

protected:
    void Retrigger(int soundId) override {
        played.push_back(soundId);
        when.push_back(Clock::now());
    }
};

class TestDlg : public CCustomBeatDlg {
public:
    using CCustomBeatDlg::m_bPreviewing;
    using CCustomBeatDlg::m_btnCancel;
    using CCustomBeatDlg::m_btnClean;
    using CCustomBeatDlg::m_btnOK;
    using CCustomBeatDlg::m_btnOpen;
    using CCustomBeatDlg::m_btnPlay;
    using CCustomBeatDlg::m_btnSave;
    using CCustomBeatDlg::m_btnSoundOff;
    using CCustomBeatDlg::m_btnSoundOn;
    using CCustomBeatDlg::m_btnSteps;
    using CCustomBeatDlg::m_btnStepsPerBeat;
    using CCustomBeatDlg::m_btnStop;
    using CCustomBeatDlg::m_grid;
    using CCustomBeatDlg::m_nPreviewStep;
    using CCustomBeatDlg::m_spinSteps;
    using CCustomBeatDlg::m_spinStepsPerBeat;
    using CCustomBeatDlg::m_toolBar;

    std::function<void(TestDlg&)> script;

    using CCustomBeatDlg::CCustomBeatDlg;

protected:
    BOOL OnInitDialog() override {
        BOOL result = CCustomBeatDlg::OnInitDialog();
        PostMessage(WM_APP);
        return result;
    }

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP) {
            if (script)
                script(*this);
            // A script that stopped early (a failed assertion) leaves the
            // dialog open; this ends it, and is ignored once it has ended.
            PostMessage(WM_COMMAND, IDCANCEL);
            return 0;
        }
        return CCustomBeatDlg::WindowProc(msg, wp, lp);
    }
};

// Dispatches queued messages as the dialog's own loop does: pre-translated
// first, so that the letter keys and the spin closing happen.
void Pump(HWND dialog) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!AfxWalkPreTranslateTree(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

bool PumpUntil(HWND dialog, const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto end = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        Pump(dialog);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void Click(HWND button) {
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

void Key(TestDlg& dialog, UINT key) {
    ::PostMessageA(dialog, WM_KEYDOWN, key, 1);
    ::PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
    Pump(dialog);
}

// Clicks a step of a window of the grid (a track column 10..14, or the step
// numbers, 8) at its current scroll position.
void ClickStep(TestDlg& dialog, int childId, int step) {
    HWND child = ::GetDlgItem(dialog.m_grid, childId);
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

// Answers modal windows of this thread (message boxes, the clean bubble) from
// a thread timer, which their own message loops dispatch. Each new window is
// offered to the handler once.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(HWND)> handler) {
        s_handler = std::move(handler);
        m_timer = ::SetTimer(nullptr, 0, 30, OnTimer);
    }
    ModalAnswerer(const ModalAnswerer&) = delete;
    ModalAnswerer& operator=(const ModalAnswerer&) = delete;
    ~ModalAnswerer() {
        ::KillTimer(nullptr, m_timer);
        s_handler = nullptr;
    }
    // Windows the dialog under test must not be taken for.
    static inline std::set<HWND> s_seen;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        ::EnumThreadWindows(::GetCurrentThreadId(), OnWindow, 0);
    }
    static BOOL CALLBACK OnWindow(HWND hwnd, LPARAM) {
        char cls[16] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (std::string(cls) != "#32770" || !::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd) ||
            s_seen.count(hwnd))
            return TRUE;
        s_seen.insert(hwnd);
        if (s_handler)
            s_handler(hwnd);
        return TRUE;
    }

    static inline std::function<void(HWND)> s_handler;
    UINT_PTR m_timer = 0;
};

// The texts of a message box's static controls.
std::string MessageText(HWND box) {
    std::string text;
    ::EnumChildWindows(
        box,
        [](HWND child, LPARAM out) -> BOOL {
            char cls[16] = {};
            ::GetClassNameA(child, cls, sizeof cls);
            char buffer[256] = {};
            if (::lstrcmpiA(cls, "Static") == 0 && ::GetWindowTextA(child, buffer, sizeof buffer) > 0)
                *reinterpret_cast<std::string*>(out) += buffer;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

std::string Title(HWND hwnd) {
    char buffer[256] = {};
    ::GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
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

class ResponderScope {
public:
    explicit ResponderScope(CFileDialog::Responder responder) {
        CFileDialog::SetTestResponder(std::move(responder));
    }
    ResponderScope(const ResponderScope&) = delete;
    ResponderScope& operator=(const ResponderScope&) = delete;
    ~ResponderScope() { CFileDialog::SetTestResponder(nullptr); }
};

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
        ModalAnswerer::s_seen.clear();
    }
    void TearDown() override { store.reset(); }

    INT_PTR Run(std::function<void(TestDlg&)> script) {
        TestDlg dialog(store.get());
        dialog.m_pSoundBank = &bank;
        dialog.script = [&](TestDlg& d) {
            ModalAnswerer::s_seen.insert(d);
            script(d);
        };
        return dialog.DoModal();
    }

    std::string dataPath = pwtest::ExeFolder() + kDataFileName;
    pwtest::RegistryBackup registry{HKEY_LOCAL_MACHINE, kSettingsKey};
    pwtest::FileBackup dataFile{dataPath};
    std::unique_ptr<CAppData> store;
    RecordingBank bank;
};

TEST_F(CustomBeatDlgTest, OpensOnACopyOfTheCurrentPattern) {
    *store->m_pCustomBeat = NumberedPattern(24);
    store->m_pCustomBeat->m_nStepsPerBeat = 3;
    store->m_nToolIndex = 23;
    INT_PTR result = Run([&](TestDlg& d) {
        EXPECT_EQ(d.m_grid.GetPattern(), *store->m_pCustomBeat);
        EXPECT_EQ(d.m_grid.GetState().m_nStepCount, 24);
        EXPECT_EQ(d.m_grid.GetState().m_nStepsPerBeat, 3);
        EXPECT_EQ(d.m_toolBar.GetCurSel(), 23);
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, TOOL_ERASER);
        EXPECT_EQ(d.m_spinSteps.GetValue(), 24);
        EXPECT_EQ(d.m_spinStepsPerBeat.GetValue(), 3);
        Click(d.m_btnOK);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(CustomBeatDlgTest, ChildrenSitInTheirPlaceholders) {
    Run([&](TestDlg& d) {
        RECT toolbar = RectIn(d, d.m_toolBar);
        EXPECT_EQ(toolbar.right - toolbar.left, 552);
        EXPECT_EQ(toolbar.bottom - toolbar.top, 80);
        EXPECT_EQ(d.m_toolBar.GetDlgCtrlID(), 12);
        EXPECT_EQ(d.m_grid.GetDlgCtrlID(), 13);
        EXPECT_EQ(RectIn(d, d.m_grid).left, RectIn(d, d.GetDlgItem(IDC_CB_GRID_AREA)).left);
        RECT steps = RectIn(d, d.m_btnSteps);
        RECT spin = RectIn(d, d.m_spinSteps);
        EXPECT_EQ(spin.left, steps.left);
        EXPECT_EQ(spin.top, steps.top);
        EXPECT_EQ(spin.right, steps.right + 6);
        EXPECT_EQ(spin.bottom, steps.bottom);
        EXPECT_EQ(d.m_spinSteps.GetDlgCtrlID(), 14);
        EXPECT_EQ(d.m_spinStepsPerBeat.GetDlgCtrlID(), 15);
        EXPECT_FALSE(Visible(d.m_spinSteps));
        EXPECT_EQ(d.m_spinSteps.m_nMax, 100);
        EXPECT_EQ(d.m_spinSteps.m_nMin, 8);
        EXPECT_EQ(d.m_spinStepsPerBeat.m_nMax, 8);
        EXPECT_EQ(d.m_spinStepsPerBeat.m_nMin, 2);
        EXPECT_EQ(d.m_btnSoundOn.m_nFocusInset, 8);
        EXPECT_EQ(d.m_btnSoundOff.m_nFocusInset, 8);
        EXPECT_EQ(d.m_btnOK.m_nFocusInset, 12);
        EXPECT_EQ(d.m_btnCancel.m_nFocusInset, 12);
        EXPECT_EQ(d.m_btnClean.m_nFocusInset, 9);
        EXPECT_EQ(d.m_btnPlay.m_nFocusInset, 9);
        Click(d.m_btnCancel);
    });
}

TEST_F(CustomBeatDlgTest, OkStoresPatternToolAndSound) {
    INT_PTR result = Run([&](TestDlg& d) {
        Key(d, 'Q');
        ClickStep(d, 10, 0);
        ClickStep(d, 10, 4);
        Key(d, 'I');
        ClickStep(d, 11, 1);
        ::SendMessageA(d, WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(d.m_spinStepsPerBeat.GetSafeHwnd()),
                       3);
        Click(d.m_btnSoundOn);
        Click(d.m_btnOK);
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
    INT_PTR result = Run([&](TestDlg& d) {
        Key(d, 'J');
        ClickStep(d, 10, 3);
        Key(d, 'B');
        ClickStep(d, 12, 5);
        ::SendMessageA(d, WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(d.m_spinSteps.GetSafeHwnd()), 9);
        EXPECT_NE(d.m_grid.GetPattern(), before);
        Click(d.m_btnSoundOn);
        Click(d.m_btnCancel);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(*store->m_pCustomBeat, before);
    EXPECT_EQ(store->m_nToolIndex, 20);
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 0);
}

TEST_F(CustomBeatDlgTest, CloseBoxIsCancel) {
    CCustomBeat before = *store->m_pCustomBeat;
    INT_PTR result = Run([&](TestDlg& d) {
        Key(d, 'W');
        ClickStep(d, 10, 0);
        d.SendMessage(WM_CLOSE);
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
    Run([&](TestDlg& d) {
        Key(d, 'J');
        ClickStep(d, 10, 3);
        Click(d.m_btnSoundOn);
        d.SendMessage(WM_ENDSESSION, TRUE, 0);
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(pwtest::ReadWholeFile(dataPath, bytes));
        EXPECT_EQ(bytes, EncodePatternFile(before)) << "the edit without OK is not stored";
        DWORD type = 0;
        std::vector<BYTE> sound;
        EXPECT_TRUE(
            pwtest::GetRegistryValue(HKEY_LOCAL_MACHINE, kSettingsKey, "Toobar Sound On", type, sound));
        EXPECT_EQ(sound, (std::vector<BYTE>{0, 0, 0, 0}));
        Click(d.m_btnCancel);
    });
}

TEST_F(CustomBeatDlgTest, SoundOffIsStoredAndComesBackOff) {
    Run([&](TestDlg& d) {
        EXPECT_TRUE(Visible(d.m_btnSoundOn));
        EXPECT_FALSE(Visible(d.m_btnSoundOff));
        EXPECT_EQ(d.m_toolBar.m_bSoundOn, 1);
        Click(d.m_btnSoundOn);
        EXPECT_FALSE(Visible(d.m_btnSoundOn));
        EXPECT_TRUE(Visible(d.m_btnSoundOff));
        EXPECT_EQ(::GetFocus(), d.m_btnSoundOff.GetSafeHwnd());
        EXPECT_EQ(d.m_toolBar.m_bSoundOn, 0);
        Click(d.m_btnOK);
    });
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 0);
    Run([&](TestDlg& d) {
        EXPECT_EQ(d.m_toolBar.m_bSoundOn, 0) << "the toolbar is silent on the next opening";
        EXPECT_TRUE(Visible(d.m_btnSoundOff));
        EXPECT_FALSE(Visible(d.m_btnSoundOn));
        Click(d.m_btnSoundOff);
        EXPECT_EQ(d.m_toolBar.m_bSoundOn, 1);
        EXPECT_EQ(::GetFocus(), d.m_btnSoundOn.GetSafeHwnd());
        Click(d.m_btnOK);
    });
    EXPECT_EQ(store->m_pSettings->m_bToolbarSound, 1);
}

TEST_F(CustomBeatDlgTest, LetterKeysSelectTools) {
    Run([&](TestDlg& d) {
        Key(d, 'Q');
        EXPECT_EQ(d.m_toolBar.GetCurSel(), 0);
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, 129);
        Key(d, 'K');
        EXPECT_EQ(d.m_toolBar.GetCurSel(), 11);
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, TOOL_MOVE);
        Key(d, 'J');
        EXPECT_EQ(d.m_toolBar.GetCurSel(), 23);
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, TOOL_ERASER);
        Key(d, 'F');
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, 143);
        Key(d, 'G');
        Key(d, 'H');
        EXPECT_EQ(d.m_toolBar.GetCurSel(), 15) << "G and H select nothing";
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, 143);
        Key(d, 'M');
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, 150);
        Click(d.m_btnOK);
    });
    EXPECT_EQ(store->m_nToolIndex, 22);
}

TEST_F(CustomBeatDlgTest, SpinOpensInPlaceOfItsButtonAndChangesTheGrid) {
    Run([&](TestDlg& d) {
        Click(d.m_btnSteps);
        EXPECT_FALSE(Visible(d.m_btnSteps));
        EXPECT_TRUE(d.m_spinSteps.IsOpen());
        EXPECT_TRUE(Visible(d.m_spinSteps));
        EXPECT_EQ(d.m_spinSteps.GetValue(), 16);
        // The spin's up button, held for a step.
        HWND up = d.m_spinSteps.GetDlgItem(CValueSpin::kUpId);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.m_spinSteps.GetSafeHwnd(); }, 3s));
        Click(up);
        Pump(d);
        EXPECT_EQ(d.m_grid.GetState().m_nStepCount, 17);
        EXPECT_EQ(d.m_grid.GetPattern().GetStepCount(), 17);
        // A letter closes it.
        Key(d, 'E');
        EXPECT_FALSE(d.m_spinSteps.IsOpen());
        EXPECT_TRUE(Visible(d.m_btnSteps));
        EXPECT_EQ(d.m_grid.GetState().m_nCurTool, 131);
        Click(d.m_btnOK);
    });
    EXPECT_EQ(store->m_pCustomBeat->GetStepCount(), 17);
}

TEST_F(CustomBeatDlgTest, ClickOutsideAnOpenSpinClosesIt) {
    Run([&](TestDlg& d) {
        Click(d.m_btnStepsPerBeat);
        ASSERT_TRUE(d.m_spinStepsPerBeat.IsOpen());
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.m_spinStepsPerBeat.GetSafeHwnd(); }, 3s));
        // A press inside the spin leaves it open.
        RECT spin;
        d.m_spinStepsPerBeat.GetWindowRect(&spin);
        ::SetCursorPos((spin.left + spin.right) / 2, (spin.top + spin.bottom) / 2);
        ::PostMessageA(d.m_spinStepsPerBeat.GetDlgItem(CValueSpin::kDownId), WM_LBUTTONDOWN, MK_LBUTTON,
                       MAKELPARAM(5, 5));
        ::PostMessageA(d.m_spinStepsPerBeat.GetDlgItem(CValueSpin::kDownId), WM_LBUTTONUP, 0,
                       MAKELPARAM(5, 5));
        Pump(d);
        EXPECT_TRUE(d.m_spinStepsPerBeat.IsOpen());
        EXPECT_EQ(d.m_grid.GetState().m_nStepsPerBeat, 3);
        // A press anywhere else closes it and shows its button again.
        RECT dialog;
        d.GetWindowRect(&dialog);
        ::SetCursorPos(dialog.left + 40, dialog.bottom - 20);
        ::PostMessageA(d, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
        ::PostMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
        Pump(d);
        EXPECT_FALSE(d.m_spinStepsPerBeat.IsOpen());
        EXPECT_TRUE(Visible(d.m_btnStepsPerBeat));
        Click(d.m_btnCancel);
    });
}

// Saves what a window shows (repainted, or as it is) to <test
// folder>\screenshots\<name> and returns the colour at (x, y) of its client area.
COLORREF SaveScreenshot(HWND hwnd, const char* name, int x = 0, int y = 0,
                        pwtest::Snapshot::Source source = pwtest::Snapshot::Source::Redrawn) {
    std::string folder = pwtest::ExeFolder() + "screenshots";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    pwtest::Snapshot shot(hwnd, source);
    EXPECT_TRUE(shot.Save((folder + "\\" + name).c_str())) << name;
    return shot.Pixel(x, y);
}

// Pixels of what an open or moving spin shows that differ from its drawing:
// background bitmap at x 0, y = height / 2 - 19, white above and below it,
// the value only in its own columns. A frame drawn at an earlier height shows
// as a shifted copy of the background's outline.
int SpinPixelsAmiss(HWND spin, const CMemDC& back) {
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
            amiss += shown.Pixel(x, y) != (onBack ? ::GetPixel(back, x, y - top) : RGB(255, 255, 255));
        }
    }
    return amiss;
}

// Pumps until the spin lets the mouse go, checking each new height it shows on
// the way; returns the heights.
std::vector<int> CheckSpinFrames(TestDlg& d, CValueSpin& spin, const CMemDC& back) {
    std::vector<int> heights;
    Pump(d);
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
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(CValueSpin::kBackgroundId));
    CMemDC back;
    CSelectObject select(back, bitmap);
    Run([&](TestDlg& d) {
        ::SetForegroundWindow(d);
        for (auto [button, spin] : {std::pair{&d.m_btnSteps, &d.m_spinSteps},
                                    std::pair{&d.m_btnStepsPerBeat, &d.m_spinStepsPerBeat}}) {
            Click(*button);
            std::vector<int> opening = CheckSpinFrames(d, *spin, back);
            EXPECT_GE(opening.size(), 2u);
            EXPECT_EQ(opening.back(), 60);
            const std::string name = "editor_spin" + std::to_string(spin->GetDlgCtrlID());
            SaveScreenshot(d, (name + "_open.bmp").c_str(), 0, 0, pwtest::Snapshot::Source::AsShown);
            for (UINT id : {CValueSpin::kUpId, CValueSpin::kDownId, CValueSpin::kDownId}) {
                Click(spin->GetDlgItem(id));
                Pump(d);
                EXPECT_EQ(SpinPixelsAmiss(*spin, back), 0) << "after a step, button " << id;
            }
            SaveScreenshot(d, (name + "_stepped.bmp").c_str(), 0, 0, pwtest::Snapshot::Source::AsShown);
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
        Click(d.m_btnCancel);
    });
}

TEST_F(CustomBeatDlgTest, PreviewPlaysEveryStepFromTheFirst) {
    *store->m_pCustomBeat = NumberedPattern(8);
    store->m_pCustomBeat->GetTrack(4).GetCell(2) = Cell(150);
    Run([&](TestDlg& d) {
        Click(d.m_btnPlay);
        EXPECT_FALSE(Visible(d.m_btnPlay));
        EXPECT_TRUE(Visible(d.m_btnStop));
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 11; }, 10s));
        Click(d.m_btnStop);
        EXPECT_TRUE(Visible(d.m_btnPlay));
        EXPECT_FALSE(Visible(d.m_btnStop));
        EXPECT_EQ(d.m_nPreviewStep, 0);
        Click(d.m_btnCancel);
    });
    // Both sounds of step 2 start together, left column first; then the wrap.
    std::vector<int> expected{129, 130, 131, 150, 132, 133, 134, 135, 136, 129, 130};
    ASSERT_GE(bank.played.size(), expected.size());
    EXPECT_EQ(std::vector<int>(bank.played.begin(), bank.played.begin() + 11), expected);
    std::vector<double> gaps;
    for (size_t i = 1; i < bank.when.size(); ++i)
        if (bank.played[i] != 150)
            gaps.push_back(
                std::chrono::duration<double, std::milli>(bank.when[i] - bank.when[i - 1]).count());
    std::sort(gaps.begin(), gaps.end());
    std::printf("preview step gaps: median %.1f ms, min %.1f, max %.1f\n", gaps[gaps.size() / 2],
                gaps.front(), gaps.back());
}

TEST_F(CustomBeatDlgTest, ABusyWindowThreadDropsTicksInsteadOfCatchingUp) {
    *store->m_pCustomBeat = NumberedPattern(16);
    Run([&](TestDlg& d) {
        Click(d.m_btnPlay);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 2; }, 10s));
        size_t before = bank.played.size();
        // Six or seven ticks come while the thread sleeps; one message waits.
        ::Sleep(1000);
        Pump(d);
        EXPECT_GE(bank.played.size(), before + 1);
        EXPECT_LE(bank.played.size(), before + 2);
        EXPECT_EQ(bank.played[before], bank.played[before - 1] + 1)
            << "the pattern goes on with its next step";
        Click(d.m_btnStop);
        Click(d.m_btnCancel);
    });
}

TEST_F(CustomBeatDlgTest, StepCountLoweredBelowTheCurrentStepPlaysStepZeroNext) {
    *store->m_pCustomBeat = NumberedPattern(16);
    Run([&](TestDlg& d) {
        Click(d.m_btnPlay);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 12; }, 10s));
        ::SendMessageA(d, WM_PSC_CHANGED_VALUE, reinterpret_cast<WPARAM>(d.m_spinSteps.GetSafeHwnd()), 8);
        size_t before = bank.played.size();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= before + 2; }, 5s));
        EXPECT_EQ(bank.played[before - 1], 129 + static_cast<int>(before) - 1);
        EXPECT_EQ(bank.played[before], 129);
        EXPECT_EQ(bank.played[before + 1], 130);
        Click(d.m_btnStop);
        Click(d.m_btnCancel);
    });
}

TEST_F(CustomBeatDlgTest, ClickingStepSixWhilePreviewingPlaysIndexFiveNext) {
    *store->m_pCustomBeat = NumberedPattern(16);
    Run([&](TestDlg& d) {
        // Not previewing: the step numbers do not move the start.
        ClickStep(d, 8, 9);
        EXPECT_EQ(d.m_nPreviewStep, 0);
        Click(d.m_btnPlay);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 2; }, 10s));
        ClickStep(d, 8, 5);
        size_t before = bank.played.size();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= before + 2; }, 5s));
        EXPECT_EQ(bank.played[before], 129 + 5);
        EXPECT_EQ(bank.played[before + 1], 129 + 6);
        Click(d.m_btnStop);
        Click(d.m_btnCancel);
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
    ResponderScope responder([&](const CFileDialog& dialog) {
        asked.push_back(dialog.m_ofn.lpstrTitle ? dialog.m_ofn.lpstrTitle : "");
        return path;
    });
    std::vector<std::string> messages;
    Run([&](TestDlg& d) {
        CCustomBeat before = d.m_grid.GetPattern();
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(Title(box) + ": " + MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        Click(d.m_btnOpen);
        EXPECT_EQ(d.m_grid.GetPattern(), before);
        EXPECT_EQ(d.m_grid.GetState().m_nStepCount, 16);
        Click(d.m_btnOK);
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
    ResponderScope responder([&](const CFileDialog& dialog) {
        seen = true;
        const char* f = dialog.m_ofn.lpstrFilter;
        for (; f && *f; f += std::strlen(f) + 1)
            filter += std::string(f) + "|";
        flags = dialog.m_ofn.Flags;
        noDefaultExtension = dialog.m_ofn.lpstrDefExt == nullptr;
        noInitialName = dialog.m_ofn.lpstrFile && dialog.m_ofn.lpstrFile[0] == '\0';
        return path;
    });
    Run([&](TestDlg& d) {
        Click(d.m_btnPlay);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() >= 3; }, 10s));
        Click(d.m_btnOpen);
        EXPECT_EQ(d.m_grid.GetState().m_nStepCount, 20);
        EXPECT_EQ(d.m_grid.GetState().m_nStepsPerBeat, 5);
        EXPECT_EQ(d.m_grid.GetPattern(), file);
        size_t before = bank.played.size();
        ASSERT_TRUE(PumpUntil(
            d, [&] { return bank.played.size() > before; }, 5s));
        EXPECT_EQ(bank.played[before], 129) << "the preview starts again at step 0";
        Click(d.m_btnStop);
        Click(d.m_btnCancel);
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
    ResponderScope responder([&](const CFileDialog& dialog) {
        titles.push_back(dialog.m_ofn.lpstrTitle ? dialog.m_ofn.lpstrTitle : "");
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    Run([&](TestDlg& d) {
        Click(d.m_btnSave);
        Click(d.m_btnSave);
        Click(d.m_btnCancel);
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
    ResponderScope responder([&](const CFileDialog&) { return chosen; });
    Run([&](TestDlg& d) {
        Click(d.m_btnSave);
        Click(d.m_btnCancel);
    });
    EXPECT_TRUE(pwtest::FileExists(chosen + ".PWK"));
    EXPECT_FALSE(pwtest::FileExists(chosen));
    ::DeleteFileA((chosen + ".PWK").c_str());
    ::RemoveDirectoryA(folder.Path("my.beats").c_str());
}

TEST_F(CustomBeatDlgTest, SaveAsksBeforeReplacingTheFileTheExtensionNames) {
    pwtest::TempFolder folder;
    std::vector<unsigned char> old{'o', 'l', 'd'};
    ASSERT_TRUE(pwtest::WriteWholeFile(folder.Path("groove.PWK"), old));
    ResponderScope responder([&](const CFileDialog&) { return folder.Path("groove"); });
    std::vector<std::string> messages;
    int answer = IDNO;
    Run([&](TestDlg& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(MessageText(box));
            ::PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        });
        Click(d.m_btnSave);
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(pwtest::ReadWholeFile(folder.Path("groove.PWK"), bytes));
        EXPECT_EQ(bytes, old) << "No keeps the file";
        answer = IDYES;
        Click(d.m_btnSave);
        ASSERT_TRUE(pwtest::ReadWholeFile(folder.Path("groove.PWK"), bytes));
        EXPECT_EQ(bytes, EncodePatternFile(d.m_grid.GetPattern()));
        Click(d.m_btnCancel);
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("groove.PWK already exists."), std::string::npos) << messages[0];
}

TEST_F(CustomBeatDlgTest, SaveToAnUnwritablePathReportsTheFailure) {
    pwtest::TempFolder folder;
    ResponderScope responder([&](const CFileDialog&) { return folder.Path("missing\\groove.pwk"); });
    std::vector<std::string> messages;
    Run([&](TestDlg& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(Title(box) + ": " + MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        Click(d.m_btnSave);
        Click(d.m_btnCancel);
    });
    EXPECT_EQ(messages, std::vector<std::string>{"Pulsewick: File Save Failed!!!"});
}

TEST_F(CustomBeatDlgTest, CancelledFileDialogsDoNothing) {
    ResponderScope responder([&](const CFileDialog&) { return std::string(); });
    std::vector<std::string> messages;
    Run([&](TestDlg& d) {
        ModalAnswerer answerer([&](HWND box) {
            messages.push_back(MessageText(box));
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        CCustomBeat before = d.m_grid.GetPattern();
        Click(d.m_btnOpen);
        Click(d.m_btnSave);
        EXPECT_EQ(d.m_grid.GetPattern(), before);
        Click(d.m_btnCancel);
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
    int Clean(TestDlg& d, bool toggle, bool yes) {
        ::SetCursorPos(700, 500);
        ModalAnswerer answerer([&](HWND hwnd) {
            ++bubble.shown;
            bubble.boxAtStart =
                static_cast<int>(::SendDlgItemMessageA(hwnd, IDC_CLEAN_SHOW_AGAIN, BM_GETCHECK, 0, 0));
            ::GetWindowRect(hwnd, &bubble.rect);
            if (toggle)
                Click(::GetDlgItem(hwnd, IDC_CLEAN_SHOW_AGAIN));
            Click(::GetDlgItem(hwnd, yes ? IDOK : IDCANCEL));
        });
        Click(d.m_btnClean);
        return CountSounds(d.m_grid.GetPattern());
    }

    void SetUp() override {
        CustomBeatDlgTest::SetUp();
        *store->m_pCustomBeat = NumberedPattern(16);
        store->m_pCustomBeat->m_nStepsPerBeat = 2;
    }

    Bubble bubble;
};

TEST_F(CleanTest, AsksWithTheBoxTickedAndYesEmptiesTheGrid) {
    Run([&](TestDlg& d) {
        EXPECT_EQ(Clean(d, false, true), 0);
        EXPECT_EQ(d.m_grid.GetState().m_nStepCount, 16) << "the step count stays";
        EXPECT_EQ(d.m_grid.GetState().m_nStepsPerBeat, 2) << "the steps per beat stay";
        Click(d.m_btnOK);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(bubble.boxAtStart, BST_CHECKED);
    EXPECT_EQ(bubble.rect.left, 700 - 312);
    EXPECT_EQ(bubble.rect.top, 500 - 9);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 1);
    EXPECT_EQ(*store->m_pCustomBeat, MakePattern(16, 2));
}

TEST_F(CleanTest, UntickAndNoKeepsTheCellsAndSwitchesTheQuestionOff) {
    Run([&](TestDlg& d) {
        EXPECT_EQ(Clean(d, true, false), 16);
        Click(d.m_btnCancel);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 0);
}

TEST_F(CleanTest, QuestionOffEmptiesAtOnce) {
    store->m_pSettings->m_bShowCleanConfirm = 0;
    Run([&](TestDlg& d) {
        EXPECT_EQ(Clean(d, false, false), 0);
        Click(d.m_btnCancel);
    });
    EXPECT_EQ(bubble.shown, 0);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 0);
}

TEST_F(CleanTest, LeftShiftAsksAgainAndTickingTheBoxSwitchesItBackOn) {
    store->m_pSettings->m_bShowCleanConfirm = 0;
    Run([&](TestDlg& d) {
        LeftShiftDown shift;
        EXPECT_EQ(Clean(d, true, true), 0);
        Click(d.m_btnCancel);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(bubble.boxAtStart, BST_UNCHECKED) << "the box shows the setting";
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 1);
}

TEST_F(CleanTest, LeftShiftAndNoKeepsTheCellsAndTheSettingOff) {
    store->m_pSettings->m_bShowCleanConfirm = 0;
    Run([&](TestDlg& d) {
        LeftShiftDown shift;
        EXPECT_EQ(Clean(d, false, false), 16);
        Click(d.m_btnCancel);
    });
    EXPECT_EQ(bubble.shown, 1);
    EXPECT_EQ(store->m_pSettings->m_bShowCleanConfirm, 0);
}

COLORREF BitmapPixel(UINT id, int x, int y) {
    CBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadBitmap(id));
    CMemDC mem;
    CSelectObject select(mem, bitmap);
    return ::GetPixel(mem, x, y);
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
    Run([&](TestDlg& d) {
        ::SetForegroundWindow(d);
        ASSERT_TRUE(PumpUntil(
                        d, [] { return false; }, 300ms) == false);
        RECT frame = RectIn(d, d.GetDlgItem(IDC_CB_FRAME_AREA));
        // The frame bitmap's top left corner lies at the placeholder's.
        EXPECT_EQ(SaveScreenshot(d, "editor_pattern.bmp", frame.left + 2, frame.top + 2),
                  BitmapPixel(CCustomBeatDlg::kFrameBitmapId, 2, 2));

        Click(d.m_btnSteps);
        ASSERT_TRUE(PumpUntil(
            d, [&] { return ::GetCapture() != d.m_spinSteps.GetSafeHwnd(); }, 3s));
        Pump(d);
        RECT spin = RectIn(d, d.m_spinSteps);
        EXPECT_EQ(spin.bottom - spin.top, 60);
        // The spin's own background, not the frame behind it.
        EXPECT_EQ(SaveScreenshot(d, "editor_spin.bmp", spin.left + 2, (spin.top + spin.bottom) / 2),
                  BitmapPixel(CValueSpin::kBackgroundId, 2, 19));
        Key(d, VK_SHIFT);

        RECT clean;
        d.m_btnClean.GetWindowRect(&clean);
        ::SetCursorPos((clean.left + clean.right) / 2, (clean.top + clean.bottom) / 2);
        COLORREF middle = CLR_INVALID;
        ModalAnswerer answerer([&](HWND bubble) {
            pwtest::PumpMessages();
            ::UpdateWindow(bubble);
            RECT rc;
            ::GetWindowRect(bubble, &rc);
            middle = SaveScreenshot(::GetDesktopWindow(), "editor_clean.bmp", (rc.left + rc.right) / 2,
                                    rc.top + 40);
            Click(::GetDlgItem(bubble, IDCANCEL));
        });
        Click(d.m_btnClean);
        EXPECT_EQ(middle, RGB(255, 255, 242)) << "the bubble's pale fill is on the screen";
        Click(d.m_btnCancel);
    });
}

} // namespace
