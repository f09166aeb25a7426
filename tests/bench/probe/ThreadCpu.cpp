#include "ThreadCpu.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::vector<ThreadCpu> ReadThreads(int pid) {
    std::vector<ThreadCpu> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return threads;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        ThreadCpu thread;
        thread.tid = std::stoi(entry->d_name);
        const std::string path = tasks + "/" + entry->d_name;
        std::ifstream comm(path + "/comm");
        std::getline(comm, thread.name);
        // Nanoseconds on a processor: finer than the clock ticks of stat.
        double nanoseconds = 0;
        if (std::ifstream(path + "/schedstat") >> nanoseconds) {
            thread.seconds = nanoseconds * 1e-9;
            threads.push_back(thread);
        }
    }
    closedir(dir);
    std::sort(threads.begin(), threads.end(),
              [](const ThreadCpu& a, const ThreadCpu& b) { return a.tid < b.tid; });
    return threads;
}

CpuUse Difference(const std::vector<ThreadCpu>& before, const std::vector<ThreadCpu>& after) {
    CpuUse use;
    for (ThreadCpu thread : after) {
        const auto earlier = std::find_if(before.begin(), before.end(),
                                          [&](const ThreadCpu& b) { return b.tid == thread.tid; });
        if (earlier != before.end())
            thread.seconds -= earlier->seconds;
        use.threads.push_back(thread);
    }
    use.ended = static_cast<int>(std::count_if(before.begin(), before.end(), [&](const ThreadCpu& b) {
        return std::none_of(after.begin(), after.end(), [&](const ThreadCpu& a) { return a.tid == b.tid; });
    }));
    return use;
}

double ProcessSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return -1;
    // The name in parentheses may hold spaces: the fields are counted from
    // after it, the state being the third.
    const auto end = line.rfind(')');
    if (end == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(end + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stod(field);
        else if (i == 15)
            stime = std::stod(field);
    }
    return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::set<int> ThreadIds(int pid) {
    std::set<int> ids;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] >= '0' && entry->d_name[0] <= '9')
                ids.insert(std::atoi(entry->d_name));
        }
        closedir(dir);
    }
    return ids;
}
