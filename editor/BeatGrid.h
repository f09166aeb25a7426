// The scrolling editing area of the Custom Beat Setting dialog: five track
// columns side by side and the step numbers at the right edge, as tall as all
// steps need, seen through the grid's window and scrolled with a skinned
// vertical bar. It is the dialog's only way to the cells.
//
// Window thread only. The preview's highlight and step cells are asked for
// from the window thread (the preview hands its step over by a message), so
// they never race a resize or an edit of the columns.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <utility>

#include "editor/GridState.h"
#include "editor/StepNumberColumn.h"
#include "editor/TrackColumn.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "model/BeatPattern.h"
#include "skin/SkinScrollBar.h"

class CBeatGrid : public CWnd {
public:
    ~CBeatGrid() override;

    // A visible child with a border and the vertical bar.
    bool Create(UINT id, CWnd* parent, const RECT& rect);

    void SetStepsPerBeat(int stepsPerBeat);
    // Cuts or pads every column to the count; keeps the view where it was as
    // far as the new height allows.
    void SetStepCount(int steps);
    // Loads the pattern: step count and steps per beat from it, the columns
    // from its first five tracks, every track cut or padded to track 0's count.
    void SetPattern(const CCustomBeat& pattern);
    // A new pattern: steps per beat and five tracks, copies of the columns.
    CCustomBeat GetPattern() const;
    // Empties every cell; the step count and steps per beat stay.
    void Clear();
    // Copies of cell step of each track column, left to right.
    CBeatTrack GetStepCells(int step) const;
    // Marks the preview's step in every track column.
    void SetHighlight(int step);
    void ClearHighlight();
    // The step numbers react to clicks while the preview plays.
    void SetPlaying(bool on);
    // Redraws the hover preview of the track column under the pointer.
    void RefreshHover();
    // The tool that clicks on the cells apply.
    void SetTool(int tool) { m_state.m_nCurTool = tool; }
    // The step count, steps per beat and tool being edited.
    const CGridState& GetState() const { return m_state; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
    int OnCreate(CREATESTRUCTA* cs) override;
    void OnDestroy() override;
    BOOL OnEraseBkgnd(HDC dc) override;

private:
    void UpdateScrollRange();
    void OnVScroll(int code, int trackPos);
    void OnMouseWheel(int delta);
    // Moves the columns to the bar's position.
    void ApplyScrollPos();
    void SetScrollPos(int pos);
    void RedrawAll() const;
    LRESULT DrawBarPart(const NMSKINSBCUSTOMDRAW& draw) const;

    // One track column per index, each reading the grid's state.
    template <std::size_t... I>
    static std::array<CTrackColumn, sizeof...(I)> MakeColumns(const CGridState& state, CCellDrag& drag,
                                                              std::index_sequence<I...>) {
        return {(static_cast<void>(I), CTrackColumn(state, drag))...};
    }

    // Before the columns, which use them to the end.
    CGridState m_state;
    CCellDrag m_drag;
    CStepNumberColumn m_stepColumn{m_state};
    std::array<CTrackColumn, kPatternTrackCount> m_columns =
        MakeColumns(m_state, m_drag, std::make_index_sequence<kPatternTrackCount>());
    int m_nScrollOffset = 0;
    int m_nHighlightRow = -1;
    std::unique_ptr<CMemDC> m_pSkinDC;
    CBitmap m_bmpSkin;
    // Keeps the skin selected into its device context; released first.
    std::unique_ptr<CSelectObject> m_pSkinSelection;
};
