// The Practice window: the practice tools' settings, each a value spin beside
// its label on a shaped panel, stored with the other settings as they change;
// the timing coach's switch, its calibration and the practice log.
#pragma once

#include <windows.h>

#include <array>
#include <functional>

#include "mainwnd/TimingCoach.h"
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
    static const std::array<Row, 8> kRows;

    // changed is called after every change of a value, which is in the
    // settings already. Without a coach its switch and buttons are greyed.
    CPracticeDlg(CSettings& settings, std::function<void()> changed, CWnd* parent = nullptr,
                 CTimingCoach* coach = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id, UINT code) override;
    void OnDestroy() override;

    CSettings& m_settings;
    const std::function<void()> m_changed;
    CTimingCoach* const m_pCoach;
    CFlashButton m_btnOK;
    CFlashButton m_btnCalibrate;
    CFlashButton m_btnLog;
    std::array<CValueSpin, kRows.size()> m_spins;

private:
    void CreateSpins();
    void CentreOverOwner();
    void OnValueChanged(HWND spin, int value);
    // Greys what the coach cannot do and says what it knows.
    void ShowCoach();
};
