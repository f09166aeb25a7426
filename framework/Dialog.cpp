#include "framework/Dialog.h"

#include "framework/WinApp.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.GetSafeHwnd())
        control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND item = dx->m_pDlgWnd->GetDlgItem(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(item, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

HWND CDialog::FindOwner() const {
    HWND owner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main && main != this ? main->GetSafeHwnd() : nullptr;
    }
    if (owner && !::IsWindow(owner))
        return nullptr;
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

INT_PTR CDialog::DoModal() {
    m_bModalDone = false;
    m_nModalResult = -1;
    HWND owner = FindOwner();
    HWND hwnd;
    {
        CWndCreationScope scope(this);
        hwnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                    DialogProc, 0);
    }
    if (!hwnd)
        return -1;

    bool ownerDisabled = owner && ::IsWindowEnabled(owner);
    if (ownerDisabled)
        ::EnableWindow(owner, FALSE);
    if (!m_bModalDone && !::IsWindowVisible(hwnd))
        ::ShowWindow(hwnd, SW_SHOWNORMAL);

    MSG msg;
    while (!m_bModalDone) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // Let the outer loop see WM_QUIT too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!AfxWalkPreTranslateTree(hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    // Re-enable the owner before the dialog goes so that activation returns to it.
    if (ownerDisabled)
        ::EnableWindow(owner, TRUE);
    if (owner && ::GetActiveWindow() == hwnd)
        ::SetActiveWindow(owner);
    ::DestroyWindow(hwnd);
    return m_nModalResult;
}

void CDialog::EndDialog(INT_PTR result) {
    m_nModalResult = result;
    m_bModalDone = true;
    if (m_hWnd)
        PostMessage(WM_NULL);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                 (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    return input && ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG)
        return OnInitDialog();
    return CWnd::WindowProc(msg, wp, lp);
}

bool CDialog::OnCommand(UINT id, UINT code) {
    // A button's click, or a command that comes from no control.
    if (code != BN_CLICKED && GetCurrentMessage().lp != 0)
        return CWnd::OnCommand(id, code);
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return CWnd::OnCommand(id, code);
    }
}
