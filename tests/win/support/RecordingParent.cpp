#include "RecordingParent.h"

#include <algorithm>

namespace pwtest {

bool RecordingParent::Create(const RECT& rect, DWORD style) {
    return CreateEx(0, nullptr, "test parent", style | WS_VISIBLE, rect, nullptr, 0);
}

std::vector<Received> RecordingParent::All(UINT msg) const {
    std::vector<Received> all;
    std::copy_if(received.begin(), received.end(), std::back_inserter(all),
                 [msg](const Received& r) { return r.msg == msg; });
    return all;
}

int RecordingParent::Count(UINT msg) const {
    return static_cast<int>(
        std::count_if(received.begin(), received.end(), [msg](const Received& r) { return r.msg == msg; }));
}

LRESULT RecordingParent::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (std::find(watched.begin(), watched.end(), msg) != watched.end()) {
        received.push_back(Received{msg, wp, lp, std::chrono::steady_clock::now()});
        // A copy: the handler may record more or stop watching.
        const Received r = received.back();
        return onReceived ? onReceived(r) : 0;
    }
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(&rc);
        ::FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    default:
        return CWnd::WindowProc(msg, wp, lp);
    }
}

} // namespace pwtest
