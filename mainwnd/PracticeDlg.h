// The Practice window: the practice tools' settings, each a value spin beside
// its label on a shaped panel, stored with the other settings as they change.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "model/Settings.h"
#include "skin/SkinButton.h"
#include "skin/SkinDialog.h"
#include "skin/ValueSpin.h"

class CPracticeDlg : public CSkinDialog {
public:
    static constexpr COLORREF kKeyColour = RGB(255, 255, 255);
    static constexpr char kTitle[] = "Practice";
    // Spins are children with ids from here, in the order of kRows.
    static constexpr UINT kFirstSpinId = 1201;

    // One setting: its label in the template and its field with its range.
    // A further setting is a label in the template and a row here.
    struct Row {
        UINT labelId;
        int CSettings::*field;
        SettingRange range;
    };
    static const std::array<Row, 7> kRows;

    // changed is called after every change of a value, which is in the
    // settings already.
    CPracticeDlg(CSettings& settings, std::function<void()> changed, CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    CSettings& m_settings;
    const std::function<void()> m_changed;
    CFlashButton m_btnOK;
    std::array<CValueSpin, kRows.size()> m_spins;

private:
    void CreateSpins();
    void CentreOverOwner();
    void OnValueChanged(HWND spin, int value);
};
