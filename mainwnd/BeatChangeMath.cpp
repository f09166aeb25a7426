#include "mainwnd/BeatChangeMath.h"

#include <algorithm>

namespace beatchange {

unsigned BeatsUp(unsigned beats) {
    return beats < kMaxBeats ? beats + 1 : beats;
}

unsigned BeatsDown(unsigned beats) {
    return beats > kMinBeats ? beats - 1 : beats;
}

unsigned NoteUp(unsigned note) {
    return note < kMaxNote ? note * 2 : note;
}

unsigned NoteDown(unsigned note) {
    return note > kMinNote ? note - note / 2 : note;
}

void Animation::Open(int fullHeight) {
    m_mode = kOpening;
    m_nFullHeight = fullHeight;
    m_nStep = kFirstOpenStep;
    m_bDone = false;
}

void Animation::Close() {
    m_mode = kClosing;
    m_nStep = kFirstCloseStep;
    m_bDone = false;
}

int Animation::Next(int height) {
    const int s = m_nStep;
    if (m_mode == kOpening) {
        if (s > 1)
            m_nStep = std::max(s - 2, 1);
        int n = height + s;
        if (n >= m_nFullHeight) {
            m_bDone = true;
            return m_nFullHeight;
        }
        return n;
    }
    if (s < kMaxStep)
        m_nStep = std::min(s + 2, kMaxStep);
    int n = height - s;
    if (n <= kCollapsedHeight) {
        m_bDone = true;
        return kCollapsedHeight;
    }
    return n;
}

} // namespace beatchange
