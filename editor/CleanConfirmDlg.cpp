#include "editor/CleanConfirmDlg.h"

#include "bitmap_ids.h"
#include "resource.h"

CCleanConfirmDlg::CCleanConfirmDlg(CWnd* parent) : CSkinDialog(IDD_CLEAN_CONFIRM, parent) {}

BOOL CCleanConfirmDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    m_bClearStatics = true;
    m_bDragBody = false;
    // Shaped last, so that the outline is cut once, with the bubble's own key.
    SetKeyColour(kKeyColour);
    SetBitmap(IDB_CLEAN_BUBBLE);
    SetShaped(true);
    SetWindowPos(nullptr, m_ptAnchor.x - kAnchorOffset.x, m_ptAnchor.y - kAnchorOffset.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void CCleanConfirmDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_CLEAN_SHOW_AGAIN, m_bShowAgain);
}

void CCleanConfirmDlg::OnDestroy() {
    // The box's state counts after No (and Escape) too, not only after Yes.
    UpdateData(true);
    CSkinDialog::OnDestroy();
}
