// A static text that behaves as a link: pale until the mouse is over it, a
// hand over the text, and a click that opens its target through the shell or,
// in notify mode, tells the parent.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Gdi.h"
#include "skin/SkinMessages.h"

class CHyperlinkBtn : public CStatic {
public:
    // Opens a link's target; tests stand in for the shell (the style of
    // framework/CommonDialogs.h).
    class IShell {
    public:
        // As ShellExecute: null parameters and directory for none.
        virtual void Execute(HWND owner, const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) = 0;

    protected:
        ~IShell() = default;
    };
    static IShell& SystemShell();

    explicit CHyperlinkBtn(IShell& shell = SystemShell());

    void SetURL(const char* url) { m_strURL = url ? url : ""; }
    // Widens the label so that its whole text shows in the link font, at most
    // up to a small gap before the control `next` to its right or, without
    // one, before its parent's right edge. Where even that room is too narrow
    // the link font is made smaller when the first paint makes it.
    void FitToText(HWND next);

    // Set by the owner: a click tells the parent instead of opening m_strURL.
    BOOL m_bNotifyParent = FALSE;
    COLORREF m_crNormal = RGB(200, 200, 255);
    COLORREF m_crHover = RGB(0, 0, 255);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PreSubclassWindow() override;
    void OnPaint(HDC dc) override;
    void OnDestroy() override;

    // The extent is known only once the first paint has made the font.
    void MeasureText();
    bool HitText(POINT point) const;

    std::string m_strText;
    std::string m_strURL;
    CFont m_font;
    SIZE m_sizeText{};
    bool m_bFontCreated = false;
    bool m_bHover = false;
    bool m_bMeasured = false;
    HCURSOR m_hHand;
    HCURSOR m_hArrow;
    IShell& m_shell;

private:
    void OnMouseMove(POINT point);
    void OnMouseLeave();
    void OnLButtonDown(POINT point);
};
