// The editor's tool buttons: one per instrument, the move tool and the eraser.
// Exactly one item is selected, shown disabled; the parent hears of every
// selection and makes it the grid's edit tool.
#pragma once

#include <windows.h>

#include <vector>

#include "editor/EditorMessages.h"
#include "editor/ToolTable.h"
#include "engine/SoundVoice.h"
#include "framework/Wnd.h"
#include "skin/SkinButton.h"

class CBeatToolBar : public CWnd {
public:
    // Each instrument item has a voice of its own in the stream, so that a
    // click sounds without touching the sound bank the metronome plays from.
    explicit CBeatToolBar(COutputStream& stream) : m_voices(kToolItemCount, CSoundVoice(stream)) {}

    // Creates the toolbar as a visible child and its 24 items.
    bool Create(const RECT& rect, CWnd* parent, UINT id);

    // Selects the item of a command id (10..33) and tells the parent; returns
    // what the parent returns. Any other id changes nothing.
    LRESULT Select(int id);
    // Selects item index (0..23) without playing its sound.
    void SetCurSel(int index) { Select(index + kFirstToolId); }
    // The selected item's index, or -11 before the first selection.
    int GetCurSel() const { return m_nSelId - kFirstToolId; }
    // The voice of item index (0..23); ready only for an instrument item.
    const CSoundVoice& GetVoice(int index) const { return m_voices[static_cast<std::size_t>(index)]; }

    // A click on an instrument item plays its sound first; never the move
    // tool or the eraser, which have none.
    int m_bSoundOn = 1;

protected:
    int OnCreate(CREATESTRUCTA* cs) override;
    bool OnCommand(UINT id, UINT code) override;

    void OnItemClicked(int id);

    CSkinButton m_buttons[kToolItemCount];
    std::vector<CSoundVoice> m_voices;
    int m_nSelId = -1;
};
