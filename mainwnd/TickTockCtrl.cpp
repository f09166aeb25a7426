#include "mainwnd/TickTockCtrl.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/TickMath.h"
#include "framework/CommonDialogs.h"
#include "framework/Gdi.h"
#include "framework/TextFit.h"

namespace {

constexpr COLORREF kDialColour = RGB(192, 192, 192);
constexpr COLORREF kDriftColour = RGB(50, 50, 50);
// The needle's pivot sits this far above the bottom; the strip below it is
// repainted with every frame.
constexpr int kPivotLift = 8;

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
    if (m_hWnd)
        Invalidate(TRUE);
}

void CTickTockCtrl::StartSwing(std::chrono::steady_clock::time_point) {
    // Called by the metronome's tick on the timer thread, where drawing would
    // race the paint and waiting on the window thread could deadlock against
    // a StopTicking that waits for this tick: posting does neither.
    if (HWND target = m_hTarget.load())
        ::PostMessageA(target, WM_TICKTOCK_START_SWING, m_nStopCount.load(), 0);
}

void CTickTockCtrl::StopSwing() {
    ++m_nStopCount;
    if (m_bSwinging)
        EndSwing();
    if (m_hWnd)
        Invalidate(TRUE);
}

void CTickTockCtrl::EndSwing() {
    m_bSwinging = false;
    Stop();
    m_nFramesDue.store(0);
}

void CTickTockCtrl::OnTick() {
    // The first frame counted since the window thread last looked wakes it;
    // frames it could not draw in time are drawn together, so the needle
    // keeps the timer's pace.
    if (m_nFramesDue.fetch_add(1) == 0) {
        if (HWND target = m_hTarget.load())
            ::PostMessageA(target, WM_TICKTOCK_FRAMES, 0, 0);
    }
}

void CTickTockCtrl::BeginSwing() {
    if (m_nTempo == 0) {
        // Once, not once per tick, while the box is up.
        if (!m_bWarning) {
            m_bWarning = true;
            AfxMessageBox(kTempoNotSetMessage, MB_OK);
            m_bWarning = false;
        }
        return;
    }
    ticktock::SwingTiming timing = ticktock::PlanSwing(m_nTempo, m_nSigBeats, m_nSigNote);
    m_nFrames = timing.nFrames;
    m_nFramePeriod = timing.nPeriod;
    m_dFrac = timing.dFrac;
    m_needle.BeginSwing();
    if (m_bSwinging)
        EndSwing();
    // A refused timer means no animation for this swing.
    m_bSwinging = Start(m_nFramePeriod, false);
    // The needle shows at its end with the click. Where the frames fill the
    // beat exactly (tempo 100: 30 of 20 ms), the last frame of the swing
    // before comes just after the next tick and is cut, so it would never be
    // seen there otherwise.
    CClientDC dc(m_hWnd);
    if (dc)
        DrawNeedle(dc);
}

void CTickTockCtrl::DrawFrames() {
    unsigned due = m_nFramesDue.exchange(0);
    if (!m_bSwinging || due == 0)
        return;
    CClientDC dc(m_hWnd);
    RECT rc;
    GetClientRect(&rc);
    RECT strip{rc.left, rc.bottom - kPivotLift, rc.right, rc.bottom};
    InvalidateRect(&strip, TRUE);
    const double step = 180.0 / m_nFrames + m_dFrac;
    for (unsigned i = 0; i < due && m_bSwinging; ++i) {
        ++m_nFrameCount;
        if (m_needle.Advance(step))
            EndSwing();
    }
    if (dc)
        DrawNeedle(dc);
}

LRESULT CTickTockCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TICKTOCK_START_SWING:
        if (static_cast<unsigned>(wp) == m_nStopCount.load())
            BeginSwing();
        return 0;
    case WM_TICKTOCK_FRAMES:
        DrawFrames();
        return 0;
    default:
        return CStatic::WindowProc(msg, wp, lp);
    }
}

BOOL CTickTockCtrl::OnEraseBkgnd(HDC) {
    return TRUE;
}

void CTickTockCtrl::OnDestroy() {
    if (m_bSwinging)
        EndSwing();
    m_hTarget.store(nullptr);
    CStatic::OnDestroy();
}

void CTickTockCtrl::OnPaint(HDC dc) {
    RECT rc;
    GetClientRect(&rc);
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

    DrawDrift(dc);
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

void CTickTockCtrl::DrawDrift(HDC dc) const {
    RECT rc;
    GetClientRect(&rc);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    CFittedText text(dc, h / 17);
    ::SetTextColor(dc, kDriftColour);
    ::SetBkMode(dc, TRANSPARENT);
    ::InflateRect(&rc, -(w / 20), -(w / 20));
    text.Draw(ticktock::FormatDrift(m_nDrift), rc, DT_CENTER | DT_TOP);
}

void CTickTockCtrl::DrawNeedle(HDC dc) {
    RECT rc;
    GetClientRect(&rc);
    const int cx = (rc.right - rc.left) / 2;
    const int cy = (rc.bottom - rc.top) - kPivotLift;
    const int r = std::min(cx, cy) - 11;
    if (!m_bTipSet) {
        m_ptLastTip = POINT{cx, cy};
        m_bTipSet = true;
    }
    const float angle = static_cast<float>(m_needle.dAngle);

    CPen eraser(PS_SOLID, 5, m_crBack);
    CPen halo(PS_SOLID, 3, m_crHalo);
    CPen needle(PS_SOLID, 1, m_crNeedle);
    // Declared after the pens: the caller's pen is back before they go.
    CSelectObject keepPen(dc, ::GetStockObject(NULL_PEN));

    ::SelectObject(dc, eraser);
    ::MoveToEx(dc, m_ptLastTip.x, m_ptLastTip.y, nullptr);
    ::LineTo(dc, cx, cy);

    // The tip is where the arc leaves the current position.
    ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::MoveToEx(dc, cx, cy, nullptr);
    DrawAngleArc(dc, cx, cy, r, 0.0f, angle);
    ::GetCurrentPositionEx(dc, &m_ptLastTip);

    ::SelectObject(dc, halo);
    ::LineTo(dc, cx, cy);

    ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::MoveToEx(dc, cx, cy, nullptr);
    DrawAngleArc(dc, cx, cy, r, 0.0f, angle);
    ::SelectObject(dc, needle);
    ::LineTo(dc, cx, cy);
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
