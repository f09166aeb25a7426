// A pop-up's height frame by frame: it grows from its collapsed height to its
// open height in steps that slow down, and shrinks back in steps that speed up.
#pragma once

namespace skin {

class PopupAnimation {
public:
    struct Shape {
        int collapsedHeight;
        // Opening grows by maxStep, then each frame by stepChange less, down
        // to minStep; closing shrinks by minStep, then by stepChange more, up
        // to maxStep.
        int maxStep;
        int minStep;
        int stepChange;
        // The last closing frame may be shorter than the collapsed height
        // (its control jumps home after it) instead of stopping on it.
        bool closesPastCollapsed;
    };
    enum Mode { kOpening = 1, kClosing = 2 };

    explicit PopupAnimation(const Shape& shape) : m_shape(shape), m_nOpenHeight(shape.collapsedHeight) {}

    // Closing keeps the open height of the last opening.
    void Open(int openHeight);
    void Close();
    // The height after one frame from height; Done() tells whether the
    // animation ended with it.
    int Next(int height);
    bool Done() const { return m_bDone; }
    Mode GetMode() const { return m_mode; }
    int GetOpenHeight() const { return m_nOpenHeight; }

private:
    Shape m_shape;
    Mode m_mode = kOpening;
    int m_nOpenHeight;
    int m_nStep = 0;
    bool m_bDone = true;
};

} // namespace skin
