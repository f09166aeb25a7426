#include "editor/BeatGrid.h"

#include <algorithm>

#include "bitmap_ids.h"
#include "editor/EditorMessages.h"
#include "editor/GridScroll.h"
#include "skin/ScrollGeometry.h"

namespace {

constexpr UINT kStepColumnId = 8;
constexpr UINT kFirstTrackColumnId = 10;

// Source rectangles of the bar's parts in the skin bitmap.
struct SkinSource {
    RECT pressed;
    RECT normal;
};
constexpr SkinSource kUpArrow{{17, 0, 34, 18}, {51, 0, 68, 18}};
constexpr SkinSource kDownArrow{{17, 17, 34, 34}, {51, 17, 68, 34}};
constexpr SkinSource kTrack{{0, 3, 17, 4}, {0, 0, 17, 1}};
constexpr SkinSource kThumbBody{{0, 4, 17, 5}, {0, 1, 17, 2}};
constexpr SkinSource kThumbEdge{{0, 5, 17, 6}, {0, 2, 17, 3}};

void Stretch(HDC target, const RECT& to, HDC skin, const RECT& from) {
    if (to.right <= to.left || to.bottom <= to.top)
        return;
    ::StretchBlt(target, to.left, to.top, to.right - to.left, to.bottom - to.top, skin, from.left, from.top,
                 from.right - from.left, from.bottom - from.top, SRCCOPY);
}

} // namespace

CBeatGrid::~CBeatGrid() {
    // While the columns still exist, so that the window's last messages find
    // the whole object.
    DestroyWindow();
}

bool CBeatGrid::Create(UINT id, CWnd* parent, const RECT& rect) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_CLIPCHILDREN, rect,
                        parent, id);
}

int CBeatGrid::OnCreate(CREATESTRUCTA* cs) {
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    m_pSkinDC = std::make_unique<CMemDC>();
    if (m_pSkinDC->GetSafeHdc() && m_bmpSkin.LoadBitmap(IDB_SCROLL_BAR_SKIN))
        m_pSkinSelection = std::make_unique<CSelectObject>(m_pSkinDC->GetSafeHdc(), m_bmpSkin);

    SkinSB_Initialize(m_hWnd);
    SkinSB_SetScrollRange(m_hWnd, SB_VERT, 0, 100, FALSE);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 100;
    si.nPage = 40;
    SkinSB_SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    m_nScrollOffset = 0;

    RECT client{};
    GetClientRect(&client);
    if (!m_stepColumn.Create(RECT{client.right - kStepColumnWidth, 0, client.right, client.bottom}, this,
                             kStepColumnId))
        return -1;
    m_stepColumn.UpdateSize();
    int width = TrackColumnWidth(client.right);
    for (int i = 0; i < kPatternTrackCount; ++i) {
        RECT rect{i * width, 0, (i + 1) * width, 0};
        CTrackColumn& column = m_columns[static_cast<size_t>(i)];
        if (!column.Create(rect, this, kFirstTrackColumnId + static_cast<UINT>(i)))
            return -1;
        column.UpdateSize();
    }
    return 0;
}

void CBeatGrid::OnDestroy() {
    SkinSB_Uninitialize(m_hWnd);
    m_pSkinSelection.reset();
    m_pSkinDC.reset();
    m_bmpSkin.DeleteObject();
    CWnd::OnDestroy();
}

BOOL CBeatGrid::OnEraseBkgnd(HDC dc) {
    RECT client{};
    GetClientRect(&client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    return TRUE;
}

void CBeatGrid::UpdateScrollRange() {
    const CTrackColumn& first = m_columns.front();
    if (!first.IsWindow())
        return;
    RECT grid{};
    RECT column{};
    GetClientRect(&grid);
    first.GetClientRect(&column);
    GridScrollRange range = ComputeGridScrollRange(grid.bottom, column.bottom);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = range.nMax;
    si.nPage = static_cast<UINT>(range.nPage);
    SkinSB_SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void CBeatGrid::SetScrollPos(int pos) {
    SkinSB_SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
    ApplyScrollPos();
}

void CBeatGrid::ApplyScrollPos() {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    SkinSB_GetScrollInfo(m_hWnd, SB_VERT, &si);
    int offset = -si.nPos;
    int delta = offset - m_nScrollOffset;
    if (delta != 0)
        ::ScrollWindowEx(m_hWnd, 0, delta, nullptr, nullptr, nullptr, nullptr,
                         SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    m_nScrollOffset = offset;
}

void CBeatGrid::OnVScroll(int code, int trackPos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS | SIF_PAGE;
    SkinSB_GetScrollInfo(m_hWnd, SB_VERT, &si);
    SetScrollPos(NextGridScrollPos(code, si.nPos, static_cast<int>(si.nPage), trackPos));
}

void CBeatGrid::OnMouseWheel(int delta) {
    SetScrollPos(WheelGridScrollPos(SkinSB_GetScrollPos(m_hWnd, SB_VERT), delta));
}

void CBeatGrid::RedrawAll() const {
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CBeatGrid::SetStepsPerBeat(int stepsPerBeat) {
    m_state.m_nStepsPerBeat = stepsPerBeat;
    RedrawAll();
}

void CBeatGrid::SetStepCount(int steps) {
    m_state.m_nStepCount = steps;
    int remembered = SkinSB_GetScrollPos(m_hWnd, SB_VERT);
    m_stepColumn.UpdateSize();
    for (CTrackColumn& column : m_columns)
        column.UpdateSize();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    SkinSB_GetScrollInfo(m_hWnd, SB_VERT, &si);
    SetScrollPos(std::min(remembered, si.nMax));
}

void CBeatGrid::SetPattern(const CCustomBeat& pattern) {
    m_state.m_nStepCount = pattern.GetStepCount();
    m_state.m_nStepsPerBeat = pattern.m_nStepsPerBeat;
    m_stepColumn.UpdateSize();
    // A pattern from a file may hold fewer than five tracks: the other
    // columns start empty.
    for (int i = 0; i < kPatternTrackCount; ++i)
        m_columns[static_cast<size_t>(i)].SetTrack(i < pattern.GetTrackCount() ? pattern.GetTrack(i)
                                                                               : CBeatTrack{});
    for (CTrackColumn& column : m_columns)
        column.UpdateSize();
    SetScrollPos(0);
}

CCustomBeat CBeatGrid::GetPattern() const {
    CCustomBeat pattern;
    pattern.m_nStepsPerBeat = m_state.m_nStepsPerBeat;
    for (const CTrackColumn& column : m_columns)
        pattern.AddTrack(column.GetTrack());
    return pattern;
}

void CBeatGrid::Clear() {
    for (CTrackColumn& column : m_columns)
        column.ClearCells();
    RedrawAll();
}

CBeatTrack CBeatGrid::GetStepCells(int step) const {
    CBeatTrack cells;
    for (const CTrackColumn& column : m_columns)
        cells.AddCell(column.GetCell(step));
    return cells;
}

void CBeatGrid::SetHighlight(int step) {
    for (CTrackColumn& column : m_columns) {
        if (m_nHighlightRow != -1)
            column.UnmarkStep(m_nHighlightRow);
        column.MarkStep(step);
    }
    m_nHighlightRow = step;
}

void CBeatGrid::ClearHighlight() {
    if (m_nHighlightRow != -1) {
        for (CTrackColumn& column : m_columns)
            column.UnmarkStep(m_nHighlightRow);
    }
    m_nHighlightRow = -1;
}

void CBeatGrid::SetPlaying(bool on) {
    m_stepColumn.SetActive(on);
}

void CBeatGrid::RefreshHover() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    for (CTrackColumn& column : m_columns) {
        RECT rect{};
        column.GetWindowRect(&rect);
        if (::PtInRect(&rect, cursor))
            column.RefreshHover();
    }
}

LRESULT CBeatGrid::DrawBarPart(const NMSKINSBCUSTOMDRAW& draw) const {
    // Without the skin the bar keeps the module's own look.
    if (!m_pSkinSelection)
        return CDRF_DODEFAULT;
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT || draw.nBar != SB_VERT)
        return CDRF_SKIPDEFAULT;
    HDC skin = m_pSkinDC->GetSafeHdc();
    bool pressed = draw.uState == CDIS_SELECTED;
    auto source = [pressed](const SkinSource& part) {
        return pressed ? part.pressed : part.normal;
    };
    const RECT& rc = draw.rect;
    ::SetStretchBltMode(draw.hdc, COLORONCOLOR);
    switch (static_cast<int>(draw.uItem)) {
    case skinsb::kPartLineUp:
        Stretch(draw.hdc, rc, skin, source(kUpArrow));
        break;
    case skinsb::kPartLineDown:
        Stretch(draw.hdc, rc, skin, source(kDownArrow));
        break;
    case skinsb::kPartPageUp:
    case skinsb::kPartPageDown:
        Stretch(draw.hdc, rc, skin, source(kTrack));
        break;
    case skinsb::kPartThumb:
        Stretch(draw.hdc, rc, skin, source(kThumbBody));
        Stretch(draw.hdc, RECT{rc.left, rc.top, rc.right, rc.top + 1}, skin, source(kThumbEdge));
        Stretch(draw.hdc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, skin, source(kThumbEdge));
        break;
    default:
        break;
    }
    return CDRF_SKIPDEFAULT;
}

bool CBeatGrid::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_NOTIFY) {
        const auto* draw = reinterpret_cast<const NMSKINSBCUSTOMDRAW*>(lp);
        if (draw->hdr.code == NM_SKINSB_CUSTOMDRAW && draw->hdr.hwndFrom == m_hWnd) {
            *result = DrawBarPart(*draw);
            return true;
        }
    }
    return CWnd::OnChildNotify(msg, wp, lp, result);
}

LRESULT CBeatGrid::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CBLISTBOX_CHANGE_SIZE:
        UpdateScrollRange();
        return 0;
    case WM_CBLNEEDTOGETFOCUS:
        SetFocus();
        return 0;
    case WM_CCBLBALC_CLICKED_BUTTON:
        ::SendMessageA(GetParent(), WM_CCBLBALC_CLICKED_BUTTON, reinterpret_cast<WPARAM>(m_hWnd), lp);
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
        break;
    case WM_NCMOUSEMOVE:
        SetFocus();
        break;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
