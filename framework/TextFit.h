// Text in a font the program names, which the system may replace by a wider
// one (a machine without Arial draws it in whatever it has). The text is
// measured in the font actually selected and the font is made smaller until
// the text fits, so that no text is cut.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Gdi.h"

// Fonts are not made smaller than this many pixels: below it text is no longer
// read, whole or not.
inline constexpr int kMinFitHeight = 6;

// The extent of a single line of text in the font selected into dc.
SIZE TextExtent(HDC dc, const std::string& text);

// Makes font the largest program font of weight and at most height pixels
// (the character cell, as CFont::CreateFont takes it) in which text is at most
// width pixels wide, and returns the text's extent in it.
SIZE CreateFittingFont(CFont& font, HDC dc, int height, int weight, const std::string& text, int width);

// Draws single lines of text with DrawText in the program's font, selected
// while the object lives; a text too wide for its rectangle gets a smaller font.
class CFittedText {
public:
    CFittedText(HDC dc, int height, int weight = FW_NORMAL);
    CFittedText(const CFittedText&) = delete;
    CFittedText& operator=(const CFittedText&) = delete;

    void Draw(const std::string& text, RECT rect, UINT format) const;

private:
    HDC m_dc;
    int m_height;
    int m_weight;
    CFont m_font;
    CSelectObject m_select;
};
