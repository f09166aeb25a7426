#include "skin/PopupAnimation.h"

#include <algorithm>

namespace skin {

void PopupAnimation::Open(int openHeight) {
    m_mode = kOpening;
    m_nOpenHeight = openHeight;
    m_nStep = m_shape.maxStep;
    m_bDone = false;
}

void PopupAnimation::Close() {
    m_mode = kClosing;
    m_nStep = m_shape.minStep;
    m_bDone = false;
}

int PopupAnimation::Next(int height) {
    const int step = m_nStep;
    if (m_mode == kOpening) {
        m_nStep = std::max(step - m_shape.stepChange, m_shape.minStep);
        m_bDone = height + step >= m_nOpenHeight;
        return m_bDone ? m_nOpenHeight : height + step;
    }
    m_nStep = std::min(step + m_shape.stepChange, m_shape.maxStep);
    m_bDone = height - step <= m_shape.collapsedHeight;
    return m_bDone && !m_shape.closesPastCollapsed ? m_shape.collapsedHeight : height - step;
}

} // namespace skin
