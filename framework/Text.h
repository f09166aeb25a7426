// Text crossing to and from the system. The program keeps its strings (paths,
// messages) in UTF-8 and calls the system's wide-character functions with
// their UTF-16 form, so that any name in any script gets through whole.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pw {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's own words for an error code, without a line end, e.g.
// "Access denied."; the code in figures when the system has none.
std::string ErrorText(DWORD error);

} // namespace pw
