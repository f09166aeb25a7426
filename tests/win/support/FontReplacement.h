// Runs cases of this test program again with a font that Wine replaces by
// another family: what a machine lacking that font shows. Wine reads its
// replacements (HKCU\Software\Wine\Fonts\Replacements) only when a process
// starts, so the cases run in a child process while the replacement is set;
// the registry is put back afterwards.
#pragma once

#include <string>
#include <vector>

namespace pwtest {

// A font of this face and character height as the system gives it.
struct FontSample {
    std::string face; // the face actually selected
    std::vector<long> widths;
};
FontSample MeasureFont(const char* face, int height, const std::vector<std::string>& texts);

// True when face is installed under its own name (not a substitute).
bool FontInstalled(const char* face);

// True under Wine, which the replacement needs.
bool RunningUnderWine();

// Runs the cases matching filter (a --gtest_filter pattern) in a new process
// of this program, while Wine draws face in replacement; returns its exit
// code, or -1 if it could not be run within two minutes.
int RunWithFontReplaced(const char* face, const char* replacement, const char* filter);

// In such a child process: the replacement ("Arial=DejaVu Sans"); else empty.
std::string ReplacedFont();

} // namespace pwtest
