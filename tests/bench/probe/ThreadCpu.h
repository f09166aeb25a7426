// Processor time of a process's threads, from /proc.
#pragma once

#include <string>
#include <vector>

struct ThreadCpu {
    int tid = 0;
    // As the thread named itself (Wine passes names on), at most 15 bytes.
    std::string name;
    // On a processor since the thread started.
    double seconds = 0;
};

std::vector<ThreadCpu> ReadThreads(int pid);

// Processor time used by each thread of a process over a time, in seconds;
// threads that ended before the time ended are not counted (`ended` says how
// many).
struct CpuUse {
    std::vector<ThreadCpu> threads;
    int ended = 0;
};
CpuUse Difference(const std::vector<ThreadCpu>& before, const std::vector<ThreadCpu>& after);
