#include "mainwnd/TickTockCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "engine/TickMath.h"
#include "framework/CommonDialogs.h"
#include "framework/Gdi.h"
#include "framework/TextFit.h"

namespace {

constexpr COLORREF kDialColour = RGB(192, 192, 192);
constexpr COLORREF kDriftColour = RGB(50, 50, 50);
constexpr COLORREF kPracticeColour = RGB(90, 96, 110);
// A silent bar of the mute tool.
constexpr COLORREF kSilentColour = RGB(200, 60, 60);
// The needle's pivot sits this far above the bottom.
constexpr int kPivotLift = 8;
// Pixels the needle's halo, 3 wide with round ends, may colour beyond the
// rectangle of the line's ends; one more for safety.
constexpr int kHaloReach = 3;

std::string Number(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}

} // namespace

CTickTockCtrl::CTickTockCtrl() = default;

CTickTockCtrl::~CTickTockCtrl() {
    // Before the members the frame callback reads go.
    Stop();
}

void CTickTockCtrl::PreSubclassWindow() {
    m_hTarget.store(m_hWnd);
}

void CTickTockCtrl::SetTempo(unsigned tempo) {
    m_nTempo = tempo;
    UpdateDrift();
}

void CTickTockCtrl::SetTickBeat(unsigned beats, unsigned note) {
    m_nSigBeats = beats;
    m_nSigNote = note;
    UpdateDrift();
}

void CTickTockCtrl::UpdateDrift() {
    m_nDrift = ComputeDriftPerHour(m_nTempo, m_nSigNote);
    int grey = ticktock::DriftGrey(m_nDrift);
    m_crTempo = RGB(grey, grey, grey);
    m_bBackStale = true;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CTickTockCtrl::StartSwing(Clock::time_point heardAt) {
    // Called by the metronome's tick on its own thread, where drawing would
    // race the paint and waiting on the window thread could deadlock against
    // a stop that waits for this tick: posting does neither.
    static_assert(sizeof(LPARAM) >= sizeof(Clock::rep), "the time travels in lParam");
    if (HWND target = m_hTarget.load())
        ::PostMessageA(target, WM_TICKTOCK_START_SWING, m_nStopCount.load(),
                       static_cast<LPARAM>(heardAt.time_since_epoch().count()));
}

void CTickTockCtrl::StopSwing() {
    ++m_nStopCount;
    m_swing.Stop();
    Stop();
    m_dcNeedle.reset();
    m_bNeedleShown = false;
    if (m_hWnd)
        Invalidate(TRUE);
}

void CTickTockCtrl::SetCoachText(const CoachText& text) {
    if (text == m_coach)
        return;
    m_coach = text;
    m_bBackStale = true;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CTickTockCtrl::OnTick() {
    if (HWND target = m_hTarget.load())
        ::PostMessageA(target, WM_TICKTOCK_FRAMES, 0, 0);
}

void CTickTockCtrl::AskSwing(Clock::time_point heardAt) {
    if (m_nTempo == 0) {
        // Once, not once per tick, while the box is up.
        if (!m_bWarning) {
            m_bWarning = true;
            AfxMessageBox(kTempoNotSetMessage, MB_OK);
            m_bWarning = false;
        }
        return;
    }
    const auto now = Clock::now();
    Show(m_swing.Ask(heardAt, ticktock::PlanSwing(m_nTempo, m_nSigBeats, m_nSigNote), now), now);
}

void CTickTockCtrl::Show(bool moved, Clock::time_point now) {
    if (moved) {
        // Held while the needle moves: fetching a context for every frame
        // would cost more than drawing the frame.
        if (!m_dcNeedle)
            m_dcNeedle.emplace(m_hWnd);
        if (*m_dcNeedle)
            DrawNeedle(*m_dcNeedle);
    }
    const auto next = m_swing.NextChange();
    if (!next) {
        Stop();
        m_dcNeedle.reset();
        return;
    }
    // One millisecond more than the wait: the timer counts whole ones and
    // may fire up to one early.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now).count() + 1;
    // A refused timer leaves the needle where it stands.
    Start(static_cast<unsigned>(std::max<decltype(wait)>(wait, 1)), true);
}

LRESULT CTickTockCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TICKTOCK_START_SWING:
        if (static_cast<unsigned>(wp) == m_nStopCount.load())
            AskSwing(Clock::time_point(Clock::duration(static_cast<Clock::rep>(lp))));
        return 0;
    case WM_TICKTOCK_FRAMES: {
        const auto now = Clock::now();
        Show(m_swing.Update(now), now);
        return 0;
    }
    default:
        return CStatic::WindowProc(msg, wp, lp);
    }
}

BOOL CTickTockCtrl::OnEraseBkgnd(HDC) {
    return TRUE;
}

void CTickTockCtrl::OnDestroy() {
    m_swing.Stop();
    Stop();
    m_dcNeedle.reset();
    m_hTarget.store(nullptr);
    CStatic::OnDestroy();
}

void CTickTockCtrl::OnPaint(HDC dc) {
    RECT rc;
    GetClientRect(&rc);
    if (RenderBackground())
        ::BitBlt(dc, 0, 0, rc.right, rc.bottom, m_dcBack, 0, 0, SRCCOPY);
    else
        DrawDial(dc, rc);
    // The needle stays where the frames left it, as on the screen.
    if (m_bNeedleShown)
        DrawNeedleOver(dc, rc);
}

bool CTickTockCtrl::RenderBackground() {
    RECT rc;
    GetClientRect(&rc);
    if (!m_dcBack)
        return false;
    if (!m_bmpBack || m_sizeBack.cx != rc.right || m_sizeBack.cy != rc.bottom) {
        CBitmap bitmap;
        CClientDC screen(m_hWnd);
        if (!screen || !bitmap.CreateCompatibleBitmap(screen, rc.right, rc.bottom))
            return false;
        ::SelectObject(m_dcBack, bitmap);
        // The bitmap before is no longer selected when it goes.
        m_bmpBack = std::move(bitmap);
        m_sizeBack = SIZE{rc.right, rc.bottom};
    }
    DrawDial(m_dcBack, rc);
    m_bBackStale = false;
    return true;
}

void CTickTockCtrl::DrawDial(HDC dc, const RECT& rc) {
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    const int fontHeight = w / 10;

    CBrush back(m_crBack);
    CSaveDC save(dc);
    CFittedText text(dc, fontHeight);
    {
        CSelectObject selectBrush(dc, back);
        CSelectObject selectPen(dc, ::GetStockObject(BLACK_PEN));
        ::Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    }

    ::SetBkMode(dc, TRANSPARENT);
    RECT tempo = rc;
    ::InflateRect(&tempo, -(w / 20), -(w / 20));
    ::SetTextColor(dc, m_crTempo);
    text.Draw(Number(m_nTempo), tempo, DT_RIGHT | DT_TOP);
    const SIZE figure = TextExtent(dc, Number(m_nTempo));
    m_rcTempo = RECT{tempo.right - figure.cx, tempo.top, tempo.right, tempo.top + figure.cy};

    const int inset = (tempo.right - tempo.left) / 24;
    RECT box = rc;
    ::InflateRect(&box, -inset, -inset);
    box.bottom = box.top + static_cast<int>(1.5 * fontHeight);
    box.right =
        box.left + static_cast<int>(ticktock::SignatureBoxFactor(m_nSigBeats, m_nSigNote) * fontHeight);
    m_rcSignature = box;
    ::SetTextColor(dc, RGB(0, 0, 0));
    DrawTimeSignature(dc, text, box);

    const int cx = w / 2;
    const int cy = h - kPivotLift;
    {
        CPen dial(PS_SOLID, 1, kDialColour);
        CSelectObject selectPen(dc, dial);
        ::MoveToEx(dc, cx, cy, nullptr);
        DrawAngleArc(dc, cx, cy, std::min(cx, cy) - 5, 0.0f, 180.0f);
        ::LineTo(dc, cx, cy);
    }

    DrawDrift(dc, rc);
    DrawPractice(dc, rc);
    DrawCoach(dc, rc);
}

void CTickTockCtrl::SetPracticeTexts(const practiceview::Texts& texts) {
    if (texts.row == m_practice.row && texts.mute == m_practice.mute && texts.time == m_practice.time &&
        texts.bSilentNow == m_practice.bSilentNow)
        return;
    m_practice = texts;
    m_bBackStale = true;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CTickTockCtrl::DrawPractice(HDC dc, const RECT& client) {
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    const int line = h / 17;
    auto box = [](const RECT& rc) {
        return practiceview::Box{rc.left, rc.top, rc.right, rc.bottom};
    };
    m_practiceLayout = practiceview::Place(w, h, line, box(m_rcSignature), box(m_rcTempo));
    CFittedText text(dc, line);
    ::SetBkMode(dc, TRANSPARENT);
    auto draw = [&](const std::string& s, const practiceview::Box& b, UINT format) {
        if (!s.empty() && !b.IsEmpty())
            text.Draw(s, RECT{b.left, b.top, b.right, b.bottom}, format | DT_TOP | DT_END_ELLIPSIS);
    };
    ::SetTextColor(dc, kPracticeColour);
    draw(m_practice.row, m_practiceLayout.row, DT_CENTER);
    draw(m_practice.time, m_practiceLayout.time, DT_RIGHT);
    ::SetTextColor(dc, m_practice.bSilentNow ? kSilentColour : kPracticeColour);
    draw(m_practice.mute, m_practiceLayout.mute, DT_LEFT);
}

void CTickTockCtrl::DrawTimeSignature(HDC dc, const CFittedText& text, const RECT& box) const {
    const std::string beats = Number(m_nSigBeats);
    const std::string note = Number(m_nSigNote);
    text.Draw(beats, box, DT_LEFT | DT_TOP);
    text.Draw(note, box, DT_RIGHT | DT_BOTTOM);

    // The slash keeps clear of two-digit figures.
    const int unit = (box.right - box.left) / 5;
    const int e = beats.size() > 1 ? static_cast<int>(unit * 1.3) : 0;
    const int f = note.size() > 1 ? static_cast<int>(unit * 1.3) : 0;
    RECT slash{box.left + unit + e, box.top + unit, box.right - unit - f, box.bottom - unit};
    ::MoveToEx(dc, slash.right, slash.top, nullptr);
    ::LineTo(dc, slash.left, slash.bottom);
}

void CTickTockCtrl::DrawDrift(HDC dc, const RECT& client) const {
    RECT rc = client;
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    CFittedText text(dc, h / 17);
    ::SetTextColor(dc, kDriftColour);
    ::SetBkMode(dc, TRANSPARENT);
    ::InflateRect(&rc, -(w / 20), -(w / 20));
    text.Draw(GetDriftText(), rc, DT_CENTER | DT_TOP);
}

void CTickTockCtrl::DrawCoach(HDC dc, const RECT& client) const {
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    // Beside the dial the practice tools' second lines, clear of the needle.
    CFittedText side(dc, h / 17);
    ::SetTextColor(dc, kDriftColour);
    ::SetBkMode(dc, TRANSPARENT);
    const auto draw = [&](const CFittedText& text, const std::string& shown, const practiceview::Box& b,
                          UINT format) {
        if (!shown.empty() && !b.IsEmpty())
            text.Draw(shown, RECT{b.left, b.top, b.right, b.bottom}, format | DT_TOP);
    };
    draw(side, m_coach.left, m_practiceLayout.spareLeft, DT_LEFT);
    draw(side, m_coach.right, m_practiceLayout.spareRight, DT_RIGHT);
    // Across the dial below them: the needle rests along its foot.
    const int line = h / 14;
    const int inset = w / 20;
    int y = std::max(m_practiceLayout.spareLeft.bottom, m_practiceLayout.spareRight.bottom) + line / 2;
    CFittedText across(dc, line);
    for (const std::string& shown : m_coach.lines) {
        draw(across, shown, practiceview::Box{inset, y, w - inset, y + line}, DT_CENTER);
        y += line;
    }
}

void CTickTockCtrl::DrawNeedle(HDC dc) {
    RECT rc;
    GetClientRect(&rc);
    m_bNeedleShown = true;
    if (m_bBackStale && !RenderBackground()) {
        // Nothing to erase with: the paint draws the dial and the needle.
        Invalidate(FALSE);
        return;
    }
    ::BitBlt(dc, m_rcNeedle.left, m_rcNeedle.top, m_rcNeedle.right - m_rcNeedle.left,
             m_rcNeedle.bottom - m_rcNeedle.top, m_dcBack, m_rcNeedle.left, m_rcNeedle.top, SRCCOPY);
    DrawNeedleOver(dc, rc);
}

void CTickTockCtrl::DrawNeedleOver(HDC dc, const RECT& rc) {
    const int cx = (rc.right - rc.left) / 2;
    const int cy = (rc.bottom - rc.top) - kPivotLift;
    const int r = std::min(cx, cy) - 11;
    const ticktock::Point tip = ticktock::ArcPoint(cx, cy, r, static_cast<float>(m_swing.GetNeedle().dAngle));

    CPen halo(PS_SOLID, 3, m_crHalo);
    CPen needle(PS_SOLID, 1, m_crNeedle);
    // Declared after the pens: the caller's pen is back before they go.
    CSelectObject keepPen(dc, halo);
    ::MoveToEx(dc, tip.x, tip.y, nullptr);
    ::LineTo(dc, cx, cy);
    ::SelectObject(dc, needle);
    ::MoveToEx(dc, tip.x, tip.y, nullptr);
    ::LineTo(dc, cx, cy);

    RECT drawn{std::min(tip.x, cx) - kHaloReach, std::min(tip.y, cy) - kHaloReach,
               std::max(tip.x, cx) + kHaloReach + 1, std::max(tip.y, cy) + kHaloReach + 1};
    ::IntersectRect(&m_rcNeedle, &drawn, &rc);
    ++m_nFrameCount;
}

void CTickTockCtrl::DrawAngleArc(HDC dc, int x, int y, int r, float start, float sweep) {
    const float lo = sweep > 0 ? start : start + sweep;
    const float hi = sweep > 0 ? start + sweep : start;
    const ticktock::Point from = ticktock::ArcPoint(x, y, r, lo);
    const ticktock::Point to = ticktock::ArcPoint(x, y, r, hi);
    const ticktock::Point first = ticktock::ArcPoint(x, y, r, start);
    const ticktock::Point last = ticktock::ArcPoint(x, y, r, start + sweep);
    ::LineTo(dc, first.x, first.y);
    ::SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    ::Arc(dc, x - r, y - r, x + r, y + r, from.x, from.y, to.x, to.y);
    ::MoveToEx(dc, last.x, last.y, nullptr);
}
