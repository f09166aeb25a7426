// Checks that the focus rectangle of every skinned button under a window
// stays off the label painted in the button's images, in each state the
// button can be focused in. A contact sheet of what was checked is saved.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "WinTest.h"
#include "skin/SkinButton.h"

namespace skintest {

// Draws the button into canvas as its parent has it drawn, in an item state.
inline void DrawButton(HWND button, UINT itemState, const pwtest::Canvas& canvas) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(::GetDlgCtrlID(button));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = button;
    dis.hDC = canvas.Dc();
    ::GetClientRect(button, &dis.rcItem);
    ::SendMessageA(::GetParent(button), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

// Label pixels of a drawn button (0x00RRGGBB, w wide): each row's commonest
// colour is the button's face there (the faces are vertical gradients); pixels
// far from it, other than the face colour round the image, are label.
inline std::vector<bool> LabelPixels(const std::vector<unsigned>& pixels, int w, unsigned face) {
    auto distance = [](unsigned a, unsigned b) {
        int d = 0;
        for (int shift : {0, 8, 16})
            d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        return d;
    };
    std::vector<bool> label(pixels.size());
    for (size_t row = 0; row < pixels.size() / w; ++row) {
        auto first = pixels.begin() + static_cast<std::ptrdiff_t>(row * w);
        std::map<unsigned, int> counts;
        unsigned common = face;
        for (auto p = first; p != first + w; ++p) {
            if (*p != face && ++counts[*p] > counts[common])
                common = *p;
        }
        for (size_t col = 0; col < static_cast<size_t>(w); ++col) {
            unsigned p = first[static_cast<std::ptrdiff_t>(col)];
            label[row * w + col] = p != face && distance(p, common) > 90;
        }
    }
    return label;
}

// Checks every CSkinButton under root and saves screenshots/<sheet>.bmp, a row
// per button, focused in its normal, hot (pressed shows the hot image in
// place), disabled and flash state. The flash is drawn on the screen, so root
// must be shown. Returns the number of buttons checked.
inline int CheckFocusFrames(HWND root, const char* sheet) {
    std::vector<HWND> buttons;
    ::EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM list) {
            if (dynamic_cast<CSkinButton*>(CWnd::FromHandlePermanent(hwnd)))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    constexpr int kCell = 124;
    constexpr int kRow = 52;
    pwtest::Canvas out(4 * kCell, kRow * static_cast<int>(buttons.size()));
    const COLORREF faceRef = ::GetSysColor(COLOR_BTNFACE);
    const unsigned face = (GetRValue(faceRef) << 16) | (GetGValue(faceRef) << 8) | GetBValue(faceRef);
    for (size_t i = 0; i < buttons.size(); ++i) {
        HWND button = buttons[i];
        const int id = ::GetDlgCtrlID(button);
        RECT rc;
        ::GetClientRect(button, &rc);
        const int w = rc.right;
        const int h = rc.bottom;

        // The focus rectangle: where drawing focused changes the picture.
        pwtest::Canvas plain(w, h);
        pwtest::Canvas focused(w, h);
        DrawButton(button, 0, plain);
        DrawButton(button, ODS_FOCUS, focused);
        const std::vector<unsigned> before = plain.Pixels();
        const std::vector<unsigned> after = focused.Pixels();
        RECT frame{w, h, -1, -1};
        for (int k = 0; k < w * h; ++k) {
            if (before[static_cast<size_t>(k)] != after[static_cast<size_t>(k)])
                frame = RECT{std::min<LONG>(frame.left, k % w), std::min<LONG>(frame.top, k / w),
                             std::max<LONG>(frame.right, k % w), std::max<LONG>(frame.bottom, k / w)};
        }
        EXPECT_GE(frame.right, frame.left) << "button " << id << " draws no focus rectangle";

        static constexpr const char* kStates[] = {"normal", "hot", "disabled", "flash"};
        static constexpr UINT kItemStates[] = {0, ODS_SELECTED, ODS_DISABLED};
        for (int s = 0; s < 4; ++s) {
            // The label is read from the picture without the focus rectangle;
            // the sheet shows the button focused.
            pwtest::Canvas cell(w, h);
            if (s < 3) {
                DrawButton(button, kItemStates[s], cell);
                pwtest::Canvas shown(w, h);
                DrawButton(button, kItemStates[s] | ODS_FOCUS, shown);
                ::BitBlt(out.Dc(), kCell * s, kRow * static_cast<int>(i), w, h, shown.Dc(), 0, 0, SRCCOPY);
            } else if (auto* flash = dynamic_cast<CFlashButton*>(CWnd::FromHandlePermanent(button))) {
                const bool hidden = !::IsWindowVisible(button);
                if (hidden)
                    ::ShowWindow(button, SW_SHOWNA);
                ::UpdateWindow(button);
                flash->Flash();
                HDC dc = ::GetDC(button);
                ::BitBlt(cell.Dc(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
                ::ReleaseDC(button, dc);
                if (hidden)
                    ::ShowWindow(button, SW_HIDE);
                ::BitBlt(out.Dc(), kCell * s, kRow * static_cast<int>(i), w, h, cell.Dc(), 0, 0, SRCCOPY);
            } else {
                continue;
            }
            const std::vector<bool> label = LabelPixels(cell.Pixels(), w, face);
            int crossed = 0;
            for (int y = frame.top; y <= frame.bottom; ++y) {
                for (int x = frame.left; x <= frame.right; ++x) {
                    const bool onFrame =
                        y == frame.top || y == frame.bottom || x == frame.left || x == frame.right;
                    crossed += onFrame && label[static_cast<size_t>(y * w + x)];
                }
            }
            EXPECT_EQ(crossed, 0) << "button " << id << " " << kStates[s]
                                  << ": label under the focus rectangle (" << frame.left << "," << frame.top
                                  << ")-(" << frame.right << "," << frame.bottom << ")";
        }
    }
    EXPECT_TRUE(out.Save(pwtest::ScreenshotPath(sheet).c_str()));
    return static_cast<int>(buttons.size());
}

} // namespace skintest
