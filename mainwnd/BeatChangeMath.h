// The beat change popup's arithmetic: stepping the beat within its limits and
// the heights of the grow and shrink animation.
#pragma once

namespace beatchange {

inline constexpr unsigned kMinBeats = 2;
inline constexpr unsigned kMaxBeats = 24;
inline constexpr unsigned kMinNote = 4;
inline constexpr unsigned kMaxNote = 16;

// A step at a limit leaves the value as it is.
unsigned BeatsUp(unsigned beats);
unsigned BeatsDown(unsigned beats);
unsigned NoteUp(unsigned note);
unsigned NoteDown(unsigned note);

// The popup's height while it grows from the collapsed strip to its full
// height (opening: 15, 13, 11, ... down to 1 pixel a frame) or shrinks back
// (closing: 1, 3, 5, ... up to 15 pixels a frame).
class Animation {
public:
    static constexpr int kCollapsedHeight = 38;
    static constexpr int kFirstOpenStep = 15;
    static constexpr int kFirstCloseStep = 1;
    static constexpr int kMaxStep = 15;
    enum Mode { kOpening = 1, kClosing = 2 };

    // Opening measures the full height afresh; closing keeps the one
    // measured when the popup opened.
    void Open(int fullHeight);
    void Close();
    // The height after one frame from height; Done() tells whether the
    // animation ended with it.
    int Next(int height);
    bool Done() const { return m_bDone; }
    Mode GetMode() const { return m_mode; }
    int GetFullHeight() const { return m_nFullHeight; }
    int GetStep() const { return m_nStep; }

private:
    Mode m_mode = kOpening;
    int m_nFullHeight = kCollapsedHeight;
    int m_nStep = kFirstOpenStep;
    bool m_bDone = true;
};

} // namespace beatchange
