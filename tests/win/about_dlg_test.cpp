// The About dialog run modally: the start-up lock (timer, capture, "Start"
// and the check box disabled), closing by Start, Enter and Escape, what it
// returns in m_bShowAgain, link mode, its links (whole in any font) and its
// place on the screen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FontReplacement.h"
#include "ModalAnswerer.h"
#include "RecordingParent.h"
#include "WinTest.h"
#include "app/AboutDlg.h"
#include "resource.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Steps run in the dialog's own message loop once it shows, as the user
// would act: each step is called on every tick until it returns true; then
// the next begins.
class Script {
public:
    using Step = std::function<bool(HWND dialog, std::chrono::milliseconds elapsed)>;

    explicit Script(std::vector<Step> steps)
        : m_steps(std::move(steps)), m_start(Clock::now()),
          m_user([this](HWND dialog) { return Run(dialog); }, 20) {}
    bool Done() const { return m_next == m_steps.size(); }

private:
    bool Run(HWND dialog) {
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start);
        if (!Done() && m_steps[m_next](dialog, elapsed))
            ++m_next;
        return Done();
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    Clock::time_point m_start;
    // Last: it runs the steps.
    pwtest::ModalAnswerer m_user;
};

void Key(HWND dialog, WPARAM key) {
    ::PostMessageA(dialog, WM_KEYDOWN, key, 1);
    ::PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
}

struct State {
    bool captured;
    bool startEnabled;
    bool checkEnabled;
    bool checkVisible;
    std::string button;
};

State Observe(CAboutDlg& dlg) {
    HWND check = dlg.GetDlgItem(IDC_ABOUT_SHOW_AGAIN);
    HWND ok = dlg.GetDlgItem(IDOK);
    return State{::GetCapture() == dlg.m_hWnd, ::IsWindowEnabled(ok) != FALSE,
                 ::IsWindowEnabled(check) != FALSE, ::IsWindowVisible(check) != FALSE,
                 pwtest::WindowText(ok)};
}

// Whether the unlock timer runs; it does not any more afterwards.
bool EndUnlockTimer(CAboutDlg& dlg) {
    return ::KillTimer(dlg, CAboutDlg::kUnlockTimerId) != FALSE;
}

// The start-up lock holds Start disabled.
bool Locked(CAboutDlg& dlg) {
    return !::IsWindowEnabled(dlg.GetDlgItem(IDOK));
}

// What the unlock timer does when its time has come.
void Unlock(CAboutDlg& dlg) {
    dlg.PostMessage(WM_TIMER, CAboutDlg::kUnlockTimerId);
}

// A user who waits for the start-up lock to end, its timer's tick brought
// forward, then acts.
std::vector<Script::Step> WhenUnlocked(CAboutDlg& dlg, const std::function<void()>& act) {
    return {[&dlg](HWND, auto) {
                Unlock(dlg);
                return true;
            },
            [&dlg, act](HWND, auto) {
                if (Locked(dlg))
                    return false;
                act();
                return true;
            }};
}

TEST(AboutDlg, StartsInStartupModeTickedAndUnlocked) {
    CAboutDlg dlg;
    EXPECT_EQ(dlg.m_nMode, 1);
    EXPECT_EQ(dlg.m_bShowAgain, 1);
}

TEST(AboutDlg, StartupModeRefusesToCloseUntilUnlocked) {
    CAboutDlg dlg;
    State locked{}, unlocked{};
    bool closedWhileLocked = false;
    bool timerAfterUnlock = true;
    Script script({
        [&](HWND, auto) {
            locked = Observe(dlg);
            Key(dlg, VK_RETURN);
            Key(dlg, VK_ESCAPE);
            // The commands themselves, as a click on an enabled button would send them.
            dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        },
        [&](HWND, auto) {
            closedWhileLocked = !dlg.IsWindow();
            Unlock(dlg);
            return true;
        },
        [&](HWND, auto) {
            if (Locked(dlg))
                return false;
            unlocked = Observe(dlg);
            timerAfterUnlock = EndUnlockTimer(dlg);
            Key(dlg, VK_RETURN);
            return true;
        },
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(closedWhileLocked);

    EXPECT_TRUE(locked.captured);
    EXPECT_FALSE(locked.startEnabled);
    EXPECT_FALSE(locked.checkEnabled);
    EXPECT_TRUE(locked.checkVisible);
    EXPECT_EQ(locked.button, "Start");

    EXPECT_FALSE(unlocked.captured);
    EXPECT_TRUE(unlocked.startEnabled);
    EXPECT_TRUE(unlocked.checkEnabled);
    EXPECT_EQ(unlocked.button, "Start");
    EXPECT_FALSE(timerAfterUnlock) << "the unlock ends its timer";
    EXPECT_EQ(dlg.m_bShowAgain, 1);
}

TEST(AboutDlg, UntickingAndStartReturnsNotShowAgain) {
    CAboutDlg dlg;
    Script script(WhenUnlocked(dlg, [&] {
        ::SendMessageA(dlg.GetDlgItem(IDC_ABOUT_SHOW_AGAIN), BM_CLICK, 0, 0);
        ::SendMessageA(dlg.GetDlgItem(IDOK), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_bShowAgain, 0);
}

TEST(AboutDlg, EscapeReturnsTheOpeningState) {
    for (int opening : {1, 0}) {
        CAboutDlg dlg;
        dlg.m_bShowAgain = opening;
        Script script(WhenUnlocked(dlg, [&] {
            ::SendMessageA(dlg.GetDlgItem(IDC_ABOUT_SHOW_AGAIN), BM_CLICK, 0, 0);
            Key(dlg, VK_ESCAPE);
        }));
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.m_bShowAgain, opening);
    }
}

TEST(AboutDlg, LinkModeHidesTheCheckBoxAndClosesAtOnce) {
    CAboutDlg dlg;
    dlg.m_nMode = CAboutDlg::kLinkMode;
    State open{};
    bool timer = true;
    std::vector<std::pair<COLORREF, COLORREF>> pixels; // shown, picture
    Script script({[&](HWND, auto) {
        open = Observe(dlg);
        timer = EndUnlockTimer(dlg);
        pwtest::Snapshot shot(dlg, false);
        const char* name = pwtest::ReplacedFont().empty() ? "about_link_mode" : "about_link_mode_wider_arial";
        EXPECT_TRUE(shot.Save(pwtest::ScreenshotPath(name).c_str()));
        const pwtest::Canvas picture = pwtest::LoadPicture(299);
        for (POINT p : {POINT{100, 100}, POINT{250, 40}, POINT{499, 369}})
            pixels.emplace_back(shot.Pixel(p.x, p.y), picture.Pixel(p.x, p.y));
        Key(dlg, VK_RETURN);
        return true;
    }});
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(open.captured);
    EXPECT_FALSE(open.checkVisible);
    EXPECT_TRUE(open.startEnabled);
    EXPECT_EQ(open.button, "CLOSE");
    EXPECT_FALSE(timer);
    for (auto [shown, picture] : pixels)
        EXPECT_EQ(shown, picture);
}

TEST(AboutDlg, ControlsAreDrawnTransparentlyOnWhite) {
    CAboutDlg dlg;
    dlg.m_nMode = CAboutDlg::kLinkMode;
    LOGBRUSH brush{};
    int mode = 0;
    Script script({[&](HWND, auto) {
        HDC dc = ::GetDC(dlg);
        ::SetBkMode(dc, OPAQUE);
        auto result = ::SendMessageA(dlg, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(dlg.GetDlgItem(IDC_ABOUT_SHOW_AGAIN)));
        ::GetObjectA(reinterpret_cast<HBRUSH>(result), sizeof brush, &brush);
        mode = ::GetBkMode(dc);
        ::ReleaseDC(dlg, dc);
        Key(dlg, VK_ESCAPE);
        return true;
    }});
    dlg.DoModal();
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brush.lbColor, RGB(255, 255, 255));
    EXPECT_EQ(mode, TRANSPARENT);
}

// What the links asked the shell to do.
class RecordingShell final : public CHyperlinkBtn::IShell {
public:
    void Execute(HWND, const char* verb, const char* file, const char*, const char*, int) override {
        opened.push_back(std::string(verb) + " " + file);
    }
    std::vector<std::string> opened;
};

TEST(AboutDlg, LinksOpenTheWebPageAndAMailMessage) {
    RecordingShell shell;
    CAboutDlg dlg(shell);
    dlg.m_nMode = CAboutDlg::kLinkMode;
    COLORREF webNormal = CLR_INVALID;
    COLORREF mailHover = CLR_INVALID;
    Script script({[&](HWND, auto) {
        // Painted once, so the links know their fonts.
        ::UpdateWindow(dlg);
        for (int id : {IDC_ABOUT_WEB, IDC_ABOUT_MAIL})
            ::SendMessageA(dlg.GetDlgItem(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        webNormal = pwtest::Child<CHyperlinkBtn>(dlg, IDC_ABOUT_WEB).m_crNormal;
        mailHover = pwtest::Child<CHyperlinkBtn>(dlg, IDC_ABOUT_MAIL).m_crHover;
        Key(dlg, VK_ESCAPE);
        return true;
    }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"open http://www.example.org/pulsewick",
                                                      "open mailto:pulsewick@example.org"}));
    EXPECT_EQ(webNormal, RGB(0, 0, 50));
    EXPECT_EQ(mailHover, RGB(0, 0, 255));
}

// Where the system has no Arial it draws the links in another face; DejaVu
// Sans is wider than Arial and often all a Linux machine has.
constexpr char kWiderArial[] = "DejaVu Sans";

struct LinkLayout {
    std::string text;
    RECT label;  // in the dialog's client area
    LONG limit;  // left edge of the control to its right
    LONG layout; // the label's width as the dialog template lays it out
};

// The mail and the web link of a dialog in link mode.
std::vector<LinkLayout> LayOutLinks() {
    CAboutDlg dlg;
    dlg.m_nMode = CAboutDlg::kLinkMode;
    std::vector<LinkLayout> links;
    Script script({[&](HWND, auto) {
        auto rectOf = [&](int id) {
            RECT rc;
            ::GetWindowRect(dlg.GetDlgItem(id), &rc);
            ::MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
            return rc;
        };
        auto templateWidth = [&](int units) {
            RECT rc{0, 0, units, 8};
            ::MapDialogRect(dlg, &rc);
            return rc.right;
        };
        links.push_back(LinkLayout{pwtest::WindowText(dlg.GetDlgItem(IDC_ABOUT_MAIL)), rectOf(IDC_ABOUT_MAIL),
                                   rectOf(IDC_ABOUT_WEB).left, templateWidth(79)});
        links.push_back(LinkLayout{pwtest::WindowText(dlg.GetDlgItem(IDC_ABOUT_WEB)), rectOf(IDC_ABOUT_WEB),
                                   rectOf(IDOK).left, templateWidth(88)});
        Key(dlg, VK_ESCAPE);
        return true;
    }});
    dlg.DoModal();
    return links;
}

std::vector<std::string> Texts(const std::vector<LinkLayout>& links) {
    std::vector<std::string> texts;
    for (const LinkLayout& link : links)
        texts.push_back(link.text);
    return texts;
}

// Each label takes its whole text at the links' full size (Arial, 12 pixels)
// in whatever face the system draws Arial, and ends before the control to its
// right.
TEST(AboutDlg, LinkTextsFitTheirControls) {
    const std::vector<LinkLayout> links = LayOutLinks();
    ASSERT_EQ(links.size(), 2u);
    const pwtest::FontSample arial = pwtest::MeasureFont("Arial", 12, Texts(links));
    ASSERT_EQ(arial.widths.size(), 2u);
    const std::string replaced = pwtest::ReplacedFont();
    std::printf("Arial drawn as %s%s\n", arial.face.c_str(),
                replaced.empty() ? "" : (" (" + replaced + ")").c_str());
    for (size_t i = 0; i < links.size(); ++i) {
        const LinkLayout& link = links[i];
        std::printf("  \"%s\": %ld px in a label %ld px wide (laid out %ld px), room to %ld\n",
                    link.text.c_str(), arial.widths[i], link.label.right - link.label.left, link.layout,
                    link.limit);
        EXPECT_LE(arial.widths[i], link.label.right - link.label.left) << link.text;
        EXPECT_LT(link.label.right, link.limit) << link.text;
    }
    if (!replaced.empty()) {
        // The replacement is in force, and the mail line is too wide for the
        // label the template lays out: the label had to grow.
        EXPECT_EQ(arial.widths, pwtest::MeasureFont(kWiderArial, 12, Texts(links)).widths);
        EXPECT_GT(arial.widths[0], links[0].layout);
    }
}

// The same, and the link mode's screenshot, in a process where Wine draws
// Arial in the wider face.
TEST(AboutDlg, LinkTextsFitUnderAWiderArial) {
    if (!pwtest::RunningUnderWine() || !pwtest::FontInstalled(kWiderArial))
        GTEST_SKIP() << "needs Wine's font replacements and the " << kWiderArial << " family";
    const std::vector<std::string> texts = Texts(LayOutLinks());
    const pwtest::FontSample arial = pwtest::MeasureFont("Arial", 12, texts);
    const pwtest::FontSample wider = pwtest::MeasureFont(kWiderArial, 12, texts);
    std::printf("here Arial is drawn as %s: %ld and %ld px; %s: %ld and %ld px\n", arial.face.c_str(),
                arial.widths.at(0), arial.widths.at(1), kWiderArial, wider.widths.at(0), wider.widths.at(1));
    EXPECT_EQ(pwtest::RunWithFontReplaced(
                  "Arial", kWiderArial,
                  "AboutDlg.LinkTextsFitTheirControls:AboutDlg.LinkModeHidesTheCheckBoxAndClosesAtOnce"),
              0);
}

TEST(AboutDlg, SplashIsCentredOnTheScreen) {
    CAboutDlg dlg;
    RECT window{};
    Script script(WhenUnlocked(dlg, [&] {
        dlg.GetWindowRect(&window);
        Key(dlg, VK_ESCAPE);
    }));
    dlg.DoModal();
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(window.right - window.left, 500);
    EXPECT_EQ(window.bottom - window.top, 370);
    EXPECT_EQ(window.left, work.left + (work.right - work.left - 500) / 2);
    EXPECT_EQ(window.top, work.top + (work.bottom - work.top - 370) / 2);
}

TEST(AboutDlg, LinkModeIsCentredOverItsVisibleOwner) {
    pwtest::RecordingParent owner;
    ASSERT_TRUE(owner.Create(RECT{100, 60, 100 + 344, 60 + 320}));
    CAboutDlg dlg;
    dlg.m_nMode = CAboutDlg::kLinkMode;
    dlg.m_pParentWnd = &owner;
    RECT window{};
    Script script({[&](HWND, auto) {
        dlg.GetWindowRect(&window);
        Key(dlg, VK_ESCAPE);
        return true;
    }});
    dlg.DoModal();
    EXPECT_EQ(window.left, 100 + (344 - 500) / 2);
    EXPECT_EQ(window.top, 60 + (320 - 370) / 2);
}

TEST(AboutDlg, SplashStaysLockedForFiveSeconds) {
    std::chrono::milliseconds unlockedAt{0};
    bool shotTaken = false;
    Script script({[&](HWND splash, std::chrono::milliseconds elapsed) {
        HWND start = ::GetDlgItem(splash, IDOK);
        if (!::IsWindowEnabled(start)) {
            if (!shotTaken) {
                pwtest::Snapshot shot(splash, false);
                EXPECT_TRUE(shot.Save(pwtest::ScreenshotPath("about_startup_mode").c_str()));
                shotTaken = true;
            }
            // Would close an unlocked splash, ticked.
            ::PostMessageA(splash, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            Key(splash, VK_ESCAPE);
            return false;
        }
        unlockedAt = elapsed;
        ::SendMessageA(::GetDlgItem(splash, IDC_ABOUT_SHOW_AGAIN), BM_CLICK, 0, 0);
        ::SendMessageA(start, BM_CLICK, 0, 0);
        return true;
    }});
    EXPECT_FALSE(RunStartupSplash()) << "closed by the untick and Start after the lock, not before";
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(shotTaken);
    std::printf("unlocked after %lld ms\n", static_cast<long long>(unlockedAt.count()));
    EXPECT_GE(unlockedAt, 4950ms);
    EXPECT_LT(unlockedAt, 8000ms);
}

} // namespace
