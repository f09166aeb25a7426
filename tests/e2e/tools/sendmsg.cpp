// sendmsg <window title> <message> [wparam [lparam]]
// sendmsg --enabled <window title> <control id>
//
// Posts a message to the top-level window with the given title, so that the
// end-to-end tests can drive the program the way Windows itself would (xdotool
// can only act on the X window). <message> is WM_CLOSE, WM_COMMAND, a number,
// the name of one of the program's own messages, or else the name of a
// registered message.
// Exits 0 once posted, 1 when no such window exists, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mainwnd/MainMessages.h"

namespace {

bool ParseNumber(const char* text, unsigned long long& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 0);
    return *text != '\0' && *end == '\0';
}

bool ParseMessage(const char* text, UINT& message) {
    if (std::strcmp(text, "WM_CLOSE") == 0) {
        message = WM_CLOSE;
        return true;
    }
    if (std::strcmp(text, "WM_COMMAND") == 0) {
        message = WM_COMMAND;
        return true;
    }
    if (std::strcmp(text, "WM_NEED_TO_CHANGE_BEAT") == 0) {
        message = WM_NEED_TO_CHANGE_BEAT;
        return true;
    }
    unsigned long long value = 0;
    if (ParseNumber(text, value)) {
        message = static_cast<UINT>(value);
        return value <= 0xFFFFFFFFull;
    }
    message = ::RegisterWindowMessageA(text);
    return message != 0;
}

} // namespace

int main(int argc, char** argv) {
    // sendmsg --enabled <window title> <control id>: prints 1 when the
    // window's control takes input, 0 when it is greyed.
    if (argc == 4 && std::strcmp(argv[1], "--enabled") == 0) {
        unsigned long long id = 0;
        HWND hwnd = ::FindWindowA(nullptr, argv[2]);
        HWND control = hwnd && ParseNumber(argv[3], id) ? ::GetDlgItem(hwnd, static_cast<int>(id)) : nullptr;
        if (!control) {
            std::fprintf(stderr, "sendmsg: no control %s in \"%s\"\n", argv[3], argv[2]);
            return 1;
        }
        std::printf("%d\n", ::IsWindowEnabled(control) ? 1 : 0);
        return 0;
    }
    UINT message = 0;
    unsigned long long wparam = 0;
    unsigned long long lparam = 0;
    if (argc < 3 || argc > 5 || !ParseMessage(argv[2], message) ||
        (argc > 3 && !ParseNumber(argv[3], wparam)) || (argc > 4 && !ParseNumber(argv[4], lparam))) {
        std::fprintf(stderr, "usage: sendmsg <window title> "
                             "WM_CLOSE|WM_COMMAND|WM_NEED_TO_CHANGE_BEAT|<number>|<registered name> "
                             "[wparam [lparam]]\n");
        return 2;
    }
    HWND hwnd = ::FindWindowA(nullptr, argv[1]);
    if (!hwnd) {
        std::fprintf(stderr, "sendmsg: no window titled \"%s\"\n", argv[1]);
        return 1;
    }
    if (!::PostMessageA(hwnd, message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam))) {
        std::fprintf(stderr, "sendmsg: PostMessage failed (%lu)\n", ::GetLastError());
        return 1;
    }
    return 0;
}
