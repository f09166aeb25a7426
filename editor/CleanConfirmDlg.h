// The bubble that asks before the editor empties the whole grid, with a check
// box for asking again in the future.
#pragma once

#include <windows.h>

#include "skin/SkinDialog.h"

class CCleanConfirmDlg : public CSkinDialog {
public:
    static constexpr COLORREF kKeyColour = RGB(255, 255, 255);
    // Where the anchor lies in the bubble: near its top right corner.
    static constexpr POINT kAnchorOffset{312, 9};

    explicit CCleanConfirmDlg(CWnd* parent = nullptr);

    // The screen point the bubble is placed against, set before DoModal.
    POINT m_ptAnchor{};
    // The check box "Show this dialog in the future"; after DoModal its final
    // state, whether the answer was Yes or No.
    int m_bShowAgain = 1;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnDestroy() override;
};
