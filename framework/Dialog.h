// Modal dialogs from templates, with data exchange.
#pragma once

#include "framework/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Binds a template control to its object (once; later exchanges keep it).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// A check box's state to and from an int (0 clear, 1 ticked, 2 indeterminate).
void DDX_Check(CDataExchange* dx, int id, int& value);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

    // Creates the dialog from its template and runs its own message loop until
    // EndDialog; returns the value given to EndDialog, or -1 if the dialog
    // could not be created. The owner (the parent, else the application's main
    // window) is disabled meanwhile.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    // Runs DoDataExchange: from the controls into the members when saving.
    bool UpdateData(bool saveAndValidate = true);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // OK and Cancel; a derived dialog's own commands first.
    bool OnCommand(UINT id, UINT code) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept { return FALSE; }
    HWND FindOwner() const;

    bool m_bModalDone = false;
    INT_PTR m_nModalResult = -1;
};
