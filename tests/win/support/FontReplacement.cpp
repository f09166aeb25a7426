#include "FontReplacement.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "RegistryBackup.h"
#include "WinTest.h"
#include "framework/Gdi.h"
#include "framework/Handle.h"

namespace pwtest {

namespace {

constexpr char kReplacementsKey[] = "Software\\Wine\\Fonts\\Replacements";
constexpr char kMarkerVariable[] = "PW_TEST_REPLACED_FONT";

} // namespace

FontSample MeasureFont(const char* face, int height, const std::vector<std::string>& texts) {
    FontSample sample;
    // A face by its own name, which the program's fonts never ask for.
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    CFont font(::CreateFontIndirectA(&lf));
    if (!font)
        return sample;
    HDC screen = ::GetDC(nullptr);
    {
        CSelectObject select(screen, font);
        char selected[LF_FACESIZE] = {};
        ::GetTextFaceA(screen, sizeof selected, selected);
        sample.face = selected;
        for (const std::string& text : texts) {
            SIZE extent{};
            ::GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
            sample.widths.push_back(extent.cx);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return sample;
}

bool FontInstalled(const char* face) {
    return MeasureFont(face, 12, {}).face == face;
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

int RunWithFontReplaced(const char* face, const char* replacement, const char* filter) {
    RegistryBackup backup(HKEY_CURRENT_USER, kReplacementsKey);
    if (!SetRegistryValue(HKEY_CURRENT_USER, kReplacementsKey, face, REG_SZ, replacement,
                          static_cast<DWORD>(std::strlen(replacement) + 1)))
        return -1;
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string command = std::string("\"") + exe + "\" --gtest_filter=" + filter;
    const std::string marker = std::string(face) + "=" + replacement;
    // The child writes where this program writes, after what it has written.
    std::fflush(stdout);
    std::fflush(stderr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    ::SetEnvironmentVariableA(kMarkerVariable, marker.c_str());
    const BOOL started =
        ::CreateProcessA(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    ::SetEnvironmentVariableA(kMarkerVariable, nullptr);
    if (!started)
        return -1;
    pw::UniqueKernelHandle process(info.hProcess);
    pw::UniqueKernelHandle thread(info.hThread);
    // Messages keep flowing meanwhile, should the child send any to our windows.
    const bool ended = PumpUntil([&] { return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; },
                                 std::chrono::minutes(2));
    if (!ended) {
        ::TerminateProcess(process.Get(), 1);
        ::WaitForSingleObject(process.Get(), 5000);
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

std::string ReplacedFont() {
    char marker[256] = {};
    DWORD length = ::GetEnvironmentVariableA(kMarkerVariable, marker, sizeof marker);
    return length > 0 && length < sizeof marker ? marker : "";
}

} // namespace pwtest
