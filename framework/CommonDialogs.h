// The message box and the common file dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CWnd;

// A message box owned by the active window, captioned with the program's name.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// The open or save dialog. The filter uses '|' between its parts and ends with
// "||", e.g. "Text Files(*.txt)|*.txt|All Files|*.*||".
class CFileDialog {
public:
    CFileDialog(bool openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);

    // IDOK when the user chose a file, IDCANCEL otherwise.
    INT_PTR DoModal();
    std::string GetPathName() const { return m_szFileName; }

    OPENFILENAMEA m_ofn{};

    // Tests stand in for the user: the responder gets the dialog (to read its
    // title, filter and flags) and returns the chosen path, or "" for cancel.
    using Responder = std::function<std::string(const CFileDialog&)>;
    static void SetTestResponder(Responder responder);

private:
    bool m_bOpenFileDialog;
    std::string m_strFilter;
    char m_szFileName[MAX_PATH] = {};
};
