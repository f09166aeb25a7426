// Every resource the program loads is present at the size its users draw it,
// the sounds are well-formed PCM, and the dialog layouts hold their controls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ModalAnswerer.h"
#include "WinTest.h"
#include "framework/CommonDialogs.h"
#include "framework/Gdi.h"
#include "resource.h"

namespace {

struct BitmapSize {
    int first;
    int last;
    int width;
    int height;
};

constexpr BitmapSize kBitmaps[] = {
    {131, 139, 92, 38},   // start, stop and tempo buttons
    {142, 153, 92, 38},   // stop, mode switch, custom beat, beat change
    {154, 154, 46, 27},   // popup corner and spin arrows
    {155, 155, 92, 38},   // popup centre
    {156, 160, 46, 27},   //
    {164, 176, 214, 63},  // mode switch animation
    {177, 178, 92, 38},   // disabled custom beat and beat change
    {181, 204, 46, 40},   // toolbar, selected
    {211, 234, 46, 40},   // toolbar, normal
    {241, 264, 46, 40},   // toolbar, hot
    {270, 272, 120, 48},  // OK
    {276, 278, 92, 36},   // steps
    {279, 283, 92, 38},   // open, save
    {284, 289, 50, 38},   // preview play and stop
    {290, 293, 92, 38},   // clean, spin background
    {295, 295, 374, 161}, // clean confirmation bubble
    {296, 298, 120, 48},  // cancel
    {299, 299, 500, 370}, // About picture
    {303, 305, 30, 25},   // step number tiles
    {307, 307, 630, 339}, // editor frame
    {311, 311, 68, 34},   // scroll bar skin
    {362, 362, 18, 80},   // toolbar separator
    {363, 366, 46, 40},   // toolbar sound on and off
    {368, 368, 46, 40},   //
    {369, 369, 92, 38},   // save, normal
};

TEST(Bitmaps, EveryIdLoadsAtItsSize) {
    int checked = 0;
    for (const BitmapSize& range : kBitmaps) {
        for (int id = range.first; id <= range.last; ++id) {
            CBitmap bitmap;
            ASSERT_TRUE(bitmap.LoadBitmap(static_cast<UINT>(id))) << "bitmap " << id;
            SIZE size = bitmap.GetSize();
            EXPECT_EQ(size.cx, range.width) << "bitmap " << id;
            EXPECT_EQ(size.cy, range.height) << "bitmap " << id;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 153);
}

// Skin buttons are drawn with pure green as the transparent colour, so their
// corners must be exactly green and their faces must not be.
TEST(Bitmaps, ButtonImagesHaveGreenCornersAndOpaqueFaces) {
    for (int id : {131, 133, 142, 151, 178, 181, 211, 241, 264, 270, 296, 287}) {
        const pwtest::Canvas image = pwtest::LoadPicture(static_cast<UINT>(id));
        ASSERT_GT(image.Width(), 0) << id;
        EXPECT_EQ(image.Pixel(0, 0), RGB(0, 255, 0)) << id;
        EXPECT_EQ(image.Pixel(image.Width() - 1, image.Height() - 1), RGB(0, 255, 0)) << id;
        EXPECT_NE(image.Pixel(image.Width() / 2, image.Height() - 4), RGB(0, 255, 0)) << id;
    }
}

TEST(Bitmaps, BubbleKeepsItsPaleFillInsideAWhiteSurround) {
    const pwtest::Canvas bubble = pwtest::LoadPicture(295);
    ASSERT_GT(bubble.Width(), 0);
    EXPECT_EQ(bubble.Pixel(0, 160), RGB(255, 255, 255));
    EXPECT_EQ(bubble.Pixel(40, 60), RGB(255, 255, 242));
}

TEST(Icon, LoadsAtTheStandardSizes) {
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(::LoadImageA(
            ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PULSEWICK), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP colour{};
        ::GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

struct WaveInfo {
    uint16_t format = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    const int16_t* samples = nullptr;
    uint32_t dataBytes = 0;
};

// A straightforward chunk walk; the engine's own parser is tested on its own.
bool ReadWave(const uint8_t* p, uint32_t size, WaveInfo* info) {
    auto u32 = [&](uint32_t at) {
        uint32_t v;
        std::memcpy(&v, p + at, 4);
        return v;
    };
    if (size < 12 || std::memcmp(p, "RIFF", 4) || std::memcmp(p + 8, "WAVE", 4) || u32(4) + 8 != size)
        return false;
    bool fmt = false;
    for (uint32_t at = 12; at + 8 <= size;) {
        uint32_t chunk = u32(at + 4);
        if (at + 8 + chunk > size)
            return false;
        if (!std::memcmp(p + at, "fmt ", 4) && chunk >= 16) {
            std::memcpy(&info->format, p + at + 8, 2);
            std::memcpy(&info->channels, p + at + 10, 2);
            std::memcpy(&info->rate, p + at + 12, 4);
            std::memcpy(&info->bits, p + at + 22, 2);
            fmt = true;
        } else if (!std::memcmp(p + at, "data", 4)) {
            info->samples = reinterpret_cast<const int16_t*>(p + at + 8);
            info->dataBytes = chunk;
        }
        at += 8 + chunk + (chunk & 1);
    }
    return fmt && info->samples;
}

TEST(Sounds, AllTwentyFourArePcm16At44100AudibleAndUnclipped) {
    std::vector<int> ids{180, 181};
    for (int id = 129; id <= 150; ++id)
        ids.push_back(id);
    for (int id : ids) {
        HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), "WAVE");
        ASSERT_NE(found, nullptr) << id;
        auto* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
        WaveInfo wave;
        ASSERT_TRUE(ReadWave(bytes, ::SizeofResource(nullptr, found), &wave)) << id;
        EXPECT_EQ(wave.format, 1) << id;
        EXPECT_EQ(wave.bits, 16) << id;
        EXPECT_EQ(wave.rate, 44100u) << id;
        EXPECT_EQ(wave.channels, (id == 131 || id == 180) ? 2 : 1) << id;
        size_t count = wave.dataBytes / 2;
        double ms = 1000.0 * static_cast<double>(count / wave.channels) / 44100.0;
        EXPECT_LT(ms, 1250.0) << id;
        int peak = 0;
        double sum = 0;
        for (size_t i = 0; i < count; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(wave.samples[i])));
            sum += wave.samples[i];
        }
        EXPECT_GT(peak, 3000) << "sound " << id << " is nearly silent";
        EXPECT_LT(peak, 32767) << "sound " << id << " clips";
        EXPECT_LT(std::fabs(sum / static_cast<double>(count)), 33.0) << "sound " << id << " has a DC offset";
    }
}

struct DialogControls {
    int dialog;
    std::vector<int> controls;
};

TEST(Dialogs, TemplatesHoldTheirControls) {
    const DialogControls layouts[] = {
        {IDD_METRONOME, {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1010, 1011, 1012, 1013, 1014}},
        {IDD_CUSTOM_BEAT, {1, 2, 1001, 1002, 1003, 1004, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013}},
        {IDD_CLEAN_CONFIRM, {1, 2, 1006}},
        {IDD_ABOUT, {1, 1007, 1008, 1009}},
    };
    for (const DialogControls& layout : layouts) {
        HWND dlg = ::CreateDialogParamA(
            nullptr, MAKEINTRESOURCEA(layout.dialog), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(dlg, nullptr) << layout.dialog;
        for (int id : layout.controls)
            EXPECT_NE(::GetDlgItem(dlg, id), nullptr) << "dialog " << layout.dialog << " control " << id;
        ::DestroyWindow(dlg);
    }
}

TEST(Dialogs, MainWindowLayoutInPixels) {
    HWND dlg = ::CreateDialogParamA(
        nullptr, MAKEINTRESOURCEA(IDD_METRONOME), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dlg, nullptr);
    char title[64] = {};
    ::GetWindowTextA(dlg, title, sizeof title);
    EXPECT_STREQ(title, "Pulsewick 1.01");
    // The skin buttons are drawn from 92 x 38 bitmaps: 46 x 19 dialog units.
    RECT button{0, 0, 46, 19};
    ::MapDialogRect(dlg, &button);
    EXPECT_EQ(button.right, 92);
    EXPECT_EQ(button.bottom, 38);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dlg, IDC_MAIN_START)) || !::IsWindowVisible(dlg));
    EXPECT_FALSE(::GetWindowLongA(::GetDlgItem(dlg, IDC_MAIN_STOP), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(dlg, IDC_MAIN_CUSTOM_BEAT), GWL_STYLE) & WS_DISABLED);
    EXPECT_TRUE(::GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    ::DestroyWindow(dlg);
}

// True when this thread's activation context sends comctl32.dll to the
// side-by-side version 6 (else the system folder's version 5 serves).
bool CommonControls6Active() {
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                      &data) != FALSE;
}

// The program's manifest is embedded where the system looks for it. The
// message boxes (and the file dialogs, in the same way) run with the common
// controls of version 6; the program's own windows keep version 5, whose
// classic controls the skin is drawn against.
TEST(Manifest, SupportedSystemsAsInvokerNoDpiAwarenessAndCommonControls6ForTheSystemsDialogs) {
    HRSRC found = ::FindResourceA(nullptr, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    std::string manifest(data, ::SizeofResource(nullptr, found));
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + os + "}\"/>"), std::string::npos) << os;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);

    EXPECT_FALSE(CommonControls6Active());
    bool inBox = false;
    pwtest::ModalAnswerer user([&](HWND box) {
        inBox = CommonControls6Active();
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    EXPECT_EQ(AfxMessageBox("Which controls?"), IDOK);
    EXPECT_TRUE(inBox);
    EXPECT_FALSE(CommonControls6Active()) << "after the box";
}

} // namespace
