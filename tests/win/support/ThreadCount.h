// Threads the process has started: every new thread is counted as it enters,
// by a callback of the executable's thread-local storage, however briefly it
// runs.
#pragma once

namespace pwtest {

unsigned ThreadsStarted();

} // namespace pwtest
