// A flash button that keeps reporting while it is held down.
#pragma once

#include "skin/SkinButton.h"
#include "skin/SkinMessages.h"

class CRepeatButton : public CFlashButton {
public:
    // The button's timers, the flash's among them.
    enum TimerId : UINT_PTR {
        kFlashTimerId = CFlashButton::kFlashTimerId,
        kDelayTimerId = 10210,
        kRepeatTimerId = 10211,
    };
    static constexpr UINT kDelayMilliseconds = 1000;
    static constexpr UINT kRepeatMilliseconds = 100;

    ~CRepeatButton() override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;

    UINT_PTR m_nDelayTimer = 0;
    UINT_PTR m_nRepeatTimer = 0;

private:
    void StopRepeating();
};
