#include "framework/CommonDialogs.h"

#include <commdlg.h>

#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {
CFileDialog::Responder& TestResponder() {
    static CFileDialog::Responder responder;
    return responder;
}
} // namespace

int AfxMessageBox(const char* text, UINT type) {
    HWND owner = ::GetActiveWindow();
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->GetSafeHwnd() : nullptr;
    }
    return ::MessageBoxA(owner, text, "Pulsewick", type);
}

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog) {
    if (filter) {
        m_strFilter = filter;
        for (char& c : m_strFilter)
            if (c == '|')
                c = '\0';
    }
    if (fileName)
        lstrcpynA(m_szFileName, fileName, MAX_PATH);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrDefExt = defaultExt;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
    if (!m_ofn.hwndOwner) {
        CWnd* main = AfxGetMainWnd();
        HWND active = ::GetActiveWindow();
        m_ofn.hwndOwner = active ? active : (main ? main->GetSafeHwnd() : nullptr);
    }
    if (const Responder& responder = TestResponder()) {
        std::string path = responder(*this);
        if (path.empty())
            return IDCANCEL;
        lstrcpynA(m_szFileName, path.c_str(), MAX_PATH);
        return IDOK;
    }
    BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

void CFileDialog::SetTestResponder(Responder responder) {
    TestResponder() = std::move(responder);
}
