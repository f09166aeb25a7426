#include "framework/CommonDialogs.h"

#include <commdlg.h>

#include "framework/Text.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"

namespace {

// The file dialogs and the message boxes run with the common controls of
// version 6; the program's own windows keep the classic ones their skin is
// drawn against.
class CommonControls6 {
public:
    CommonControls6() {
        HANDLE context = Context();
        if (context != INVALID_HANDLE_VALUE && !::ActivateActCtx(context, &m_nCookie))
            m_nCookie = 0;
    }
    CommonControls6(const CommonControls6&) = delete;
    CommonControls6& operator=(const CommonControls6&) = delete;
    ~CommonControls6() {
        if (m_nCookie)
            ::DeactivateActCtx(0, m_nCookie);
    }

private:
    // Made once from the program's manifest resource; held until the
    // process ends.
    static HANDLE Context() {
        static const HANDLE context = [] {
            ACTCTXW request{};
            request.cbSize = sizeof request;
            request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
            request.hModule = ::GetModuleHandleW(nullptr);
            request.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS_MANIFEST);
            return ::CreateActCtxW(&request);
        }();
        return context;
    }

    ULONG_PTR m_nCookie = 0;
};

class SystemFileChooser : public CFileDialog::IChooser {
public:
    bool Choose(CFileDialog& dialog) override {
        CommonControls6 controls;
        return (dialog.IsOpenDialog() ? ::GetOpenFileNameW(&dialog.m_ofn)
                                      : ::GetSaveFileNameW(&dialog.m_ofn)) != FALSE;
    }
};

} // namespace

int AfxMessageBox(const char* text, UINT type) {
    HWND owner = ::GetActiveWindow();
    if (!owner) {
        CWnd* main = AfxGetMainWnd();
        owner = main ? main->GetSafeHwnd() : nullptr;
    }
    CommonControls6 controls;
    return ::MessageBoxW(owner, pw::Widen(text).c_str(), L"Pulsewick", type);
}

CFileDialog::IChooser& CFileDialog::SystemChooser() {
    static SystemFileChooser chooser;
    return chooser;
}

CFileDialog::CFileDialog(bool openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, CWnd* parent)
    : m_bOpenFileDialog(openFileDialog) {
    if (filter) {
        m_strFilter = pw::Widen(filter);
        for (wchar_t& c : m_strFilter)
            if (c == L'|')
                c = L'\0';
    }
    if (defaultExt)
        m_strDefaultExt = pw::Widen(defaultExt);
    if (fileName)
        SetPathName(fileName);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_fileName.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileName.size());
    m_ofn.lpstrDefExt = defaultExt ? m_strDefaultExt.c_str() : nullptr;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

void CFileDialog::SetTitle(const char* title) {
    m_strTitle = pw::Widen(title);
    m_ofn.lpstrTitle = m_strTitle.c_str();
}

INT_PTR CFileDialog::DoModal(IChooser& chooser) {
    if (!m_ofn.hwndOwner) {
        CWnd* main = AfxGetMainWnd();
        HWND active = ::GetActiveWindow();
        m_ofn.hwndOwner = active ? active : (main ? main->GetSafeHwnd() : nullptr);
    }
    return chooser.Choose(*this) ? IDOK : IDCANCEL;
}

std::string CFileDialog::GetPathName() const {
    return pw::Narrow(m_fileName.data());
}

void CFileDialog::SetPathName(const std::string& path) {
    std::wstring wide = pw::Widen(path).substr(0, m_fileName.size() - 1);
    std::fill(m_fileName.begin(), m_fileName.end(), L'\0');
    std::copy(wide.begin(), wide.end(), m_fileName.begin());
}
