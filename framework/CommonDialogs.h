// The message box and the common file dialogs.
//
// How tests replace a piece of the platform (here the user at a file dialog;
// elsewhere the disk, the registry, the shell): the piece is an interface,
// I<Piece>, of a few pure virtual operations in the program's own words, with
// a protected non-virtual destructor (nobody deletes through it). The system's
// implementation is a stateless object that System<Piece>() returns. A class
// that uses the piece takes an I<Piece>& in its constructor (or an operation a
// parameter), defaulting to System<Piece>(), and keeps it for its life. A test
// owns its own implementation, passes it in, and keeps it alive as long as the
// object it gave it to. Nothing global is ever set or swapped: one test's stand-in
// cannot reach any other code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CWnd;

// A message box owned by the active window, captioned with the program's
// name. The text is UTF-8.
int AfxMessageBox(const char* text, UINT type = MB_OK);
inline int AfxMessageBox(const std::string& text, UINT type = MB_OK) {
    return AfxMessageBox(text.c_str(), type);
}

// The open or save dialog. The filter uses '|' between its parts and ends with
// "||", e.g. "Text Files(*.txt)|*.txt|All Files|*.*||". Names and paths are
// UTF-8, of any length.
class CFileDialog {
public:
    // Shows the dialog to the user; tests stand in for the user.
    class IChooser {
    public:
        // True when the user chose a file; the choice is in the dialog's path
        // name.
        virtual bool Choose(CFileDialog& dialog) = 0;

    protected:
        ~IChooser() = default;
    };
    static IChooser& SystemChooser();

    CFileDialog(bool openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* parent = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    void SetTitle(const char* title);
    // IDOK when the user chose a file, IDCANCEL otherwise.
    INT_PTR DoModal(IChooser& chooser = SystemChooser());
    bool IsOpenDialog() const { return m_bOpenFileDialog; }
    std::string GetPathName() const;
    void SetPathName(const std::string& path);

    // Points into the dialog's own strings.
    OPENFILENAMEW m_ofn{};

private:
    bool m_bOpenFileDialog;
    std::wstring m_strTitle;
    std::wstring m_strFilter;
    std::wstring m_strDefaultExt;
    // Room for the longest path the system takes.
    std::vector<wchar_t> m_fileName = std::vector<wchar_t>(32768);
};
