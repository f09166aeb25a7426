// The About picture with its mail and web links. In start-up mode it is the
// splash: it cannot be closed for five seconds and asks whether to show it at
// the next start. In link mode it closes at once.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/HyperlinkBtn.h"

// Where the mail link leads; the web link goes where the main window's
// "Website" label does.
inline constexpr char kAuthorMail[] = "mailto:pulsewick@example.org";

class CAboutDlg : public CDialog {
public:
    static constexpr int kStartupMode = 1;
    static constexpr int kLinkMode = 2;
    // The dialog's timers.
    enum TimerId : UINT_PTR { kUnlockTimerId = 12000 };
    static constexpr UINT kLockPeriod = 5000;

    // The links open their targets through the shell.
    explicit CAboutDlg(CHyperlinkBtn::IShell& shell = CHyperlinkBtn::SystemShell());

    // Set by the caller before DoModal.
    int m_nMode = kStartupMode;
    // The check box "Show this dialog in the future"; changed only by accepting.
    int m_bShowAgain = 1;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnPaint(HDC dc) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    void OnTimer(UINT_PTR id) override;

    bool m_bLocked = false;
    UINT_PTR m_nTimer = 0;
    // How long start-up mode refuses to close.
    UINT m_nLockPeriod = kLockPeriod;
    CBrush m_brushWhite;
    CBitmap m_bmpAbout;
    CHyperlinkBtn m_linkWeb;
    CHyperlinkBtn m_linkMail;

private:
    void CentreWindow();
    void Lock();
    void Unlock();
};

// Shows the About dialog as the start-up splash, centred on the screen, and
// returns the state of its check box: whether to show it at the next start.
bool RunStartupSplash();
// Shows the About dialog from the main window's link; it closes at once.
void ShowAboutDialog();
