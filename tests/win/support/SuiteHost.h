// One top-level popup window shared by all cases of a test suite. Hiding a
// top-level window under Wine without a window manager takes seconds, so a
// suite creates its host once and releases it in TearDownTestSuite.
#pragma once

#include <windows.h>

#include <memory>

namespace pwtest {

// Host is a CWnd; the window is a visible popup at rect (screen coordinates)
// that does not paint over its children.
template <class Host> class SuiteHost {
public:
    static Host& Get(const RECT& rect) {
        if (!s_pHost) {
            s_pHost = std::make_unique<Host>();
            s_pHost->CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, rect, nullptr, 0);
        }
        return *s_pHost;
    }
    static void Release() { s_pHost.reset(); }

private:
    static inline std::unique_ptr<Host> s_pHost;
};

} // namespace pwtest
