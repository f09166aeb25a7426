#include "framework/TextFit.h"

namespace {

CFont ProgramFont(int height, int weight) {
    CFont font;
    font.CreateFont(height, weight);
    return font;
}

} // namespace

SIZE TextExtent(HDC dc, const std::string& text) {
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent;
}

SIZE CreateFittingFont(CFont& font, HDC dc, int height, int weight, const std::string& text, int width) {
    for (int h = height;; --h) {
        if (!font.CreateFont(h, weight))
            return SIZE{};
        CSelectObject select(dc, font);
        SIZE extent = TextExtent(dc, text);
        if (extent.cx <= width || h <= kMinFitHeight)
            return extent;
    }
}

CFittedText::CFittedText(HDC dc, int height, int weight)
    : m_dc(dc), m_height(height), m_weight(weight), m_font(ProgramFont(height, weight)),
      m_select(dc, m_font) {}

void CFittedText::Draw(const std::string& text, RECT rect, UINT format) const {
    const int width = rect.right - rect.left;
    if (TextExtent(m_dc, text).cx <= width) {
        ::DrawTextA(m_dc, text.c_str(), -1, &rect, format | DT_SINGLELINE);
        return;
    }
    CFont smaller;
    CreateFittingFont(smaller, m_dc, m_height - 1, m_weight, text, width);
    CSelectObject select(m_dc, smaller);
    ::DrawTextA(m_dc, text.c_str(), -1, &rect, format | DT_SINGLELINE);
}
