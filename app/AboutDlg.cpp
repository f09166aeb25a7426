#include "app/AboutDlg.h"

#include "bitmap_ids.h"
#include "mainwnd/MetronomeDlg.h"
#include "resource.h"
#include "skin/SkinMath.h"

namespace {

constexpr COLORREF kLinkNormal = RGB(0, 0, 50);
constexpr COLORREF kLinkHover = RGB(0, 0, 255);

skin::Box ToBox(const RECT& rc) {
    return skin::Box{rc.left, rc.top, rc.right, rc.bottom};
}

} // namespace

CAboutDlg::CAboutDlg(CHyperlinkBtn::IShell& shell)
    : CDialog(IDD_ABOUT, nullptr), m_linkWeb(shell), m_linkMail(shell) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_ABOUT_WEB, m_linkWeb);
    DDX_Control(dx, IDC_ABOUT_MAIL, m_linkMail);
    DDX_Check(dx, IDC_ABOUT_SHOW_AGAIN, m_bShowAgain);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CentreWindow();
    m_brushWhite.CreateSolidBrush(RGB(255, 255, 255));
    m_bmpAbout.LoadBitmap(IDB_ABOUT);

    m_linkWeb.m_crNormal = kLinkNormal;
    m_linkWeb.m_crHover = kLinkHover;
    m_linkWeb.SetURL(kProductWebsite);
    m_linkMail.m_crNormal = kLinkNormal;
    m_linkMail.m_crHover = kLinkHover;
    m_linkMail.SetURL(kAuthorMail);
    // Whole in whatever face the system draws the links' Arial in.
    m_linkMail.FitToText(GetDlgItem(IDC_ABOUT_WEB));
    m_linkWeb.FitToText(GetDlgItem(IDOK));

    if (m_nMode == kLinkMode)
        ::ShowWindow(GetDlgItem(IDC_ABOUT_SHOW_AGAIN), SW_HIDE);
    else
        Lock();
    return TRUE;
}

// Over the owner while it shows (link mode), else on the screen (the splash
// comes before the main window shows).
void CAboutDlg::CentreWindow() {
    RECT window;
    GetWindowRect(&window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    RECT over = monitor.rcWork;
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner))
        ::GetWindowRect(owner, &over);
    skin::Point origin = skin::CentredOrigin(window.right - window.left, window.bottom - window.top,
                                             ToBox(over), ToBox(monitor.rcWork));
    SetWindowPos(nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAboutDlg::Lock() {
    m_bLocked = true;
    ::EnableWindow(GetDlgItem(IDC_ABOUT_SHOW_AGAIN), FALSE);
    ::SetWindowTextA(GetDlgItem(IDOK), "Start");
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    m_nTimer = SetTimer(kUnlockTimerId, m_nLockPeriod);
    // Without its timer the splash would never open again, and keep the mouse.
    if (!m_nTimer) {
        Unlock();
        return;
    }
    SetCapture();
}

void CAboutDlg::Unlock() {
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    ::EnableWindow(GetDlgItem(IDC_ABOUT_SHOW_AGAIN), TRUE);
    ::EnableWindow(GetDlgItem(IDOK), TRUE);
    if (m_nTimer)
        KillTimer(m_nTimer);
    m_nTimer = 0;
    m_bLocked = false;
}

void CAboutDlg::OnOK() {
    if (!m_bLocked)
        CDialog::OnOK();
}

void CAboutDlg::OnCancel() {
    if (!m_bLocked)
        CDialog::OnCancel();
}

void CAboutDlg::OnPaint(HDC dc) {
    if (!m_bmpAbout)
        return;
    RECT rc;
    GetClientRect(&rc);
    CMemDC mem(dc);
    CSelectObject picture(mem, m_bmpAbout);
    ::BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
}

void CAboutDlg::OnTimer(UINT_PTR id) {
    if (id == kUnlockTimerId)
        Unlock();
    else
        CDialog::OnTimer(id);
}

HBRUSH CAboutDlg::OnCtlColor(HDC dc, HWND, UINT) {
    ::SetBkMode(dc, TRANSPARENT);
    return m_brushWhite;
}

bool RunStartupSplash() {
    CAboutDlg splash;
    splash.m_nMode = CAboutDlg::kStartupMode;
    splash.DoModal();
    return splash.m_bShowAgain != 0;
}

void ShowAboutDialog() {
    CAboutDlg about;
    about.m_nMode = CAboutDlg::kLinkMode;
    about.DoModal();
}
