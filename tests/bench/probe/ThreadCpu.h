// Processor time of a process's threads, from /proc.
#pragma once

#include <set>
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

// Processor time of the whole process since it started, threads that ended
// included (/proc/<pid>/stat), in seconds; negative when it cannot be read.
double ProcessSeconds(int pid);

// The ids of the process's threads now.
std::set<int> ThreadIds(int pid);
