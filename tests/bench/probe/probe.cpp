// The benchmark's eyes and ears outside the program: it records what the
// sound server plays, watches the tick display on the X screen, presses the
// mouse and reads the processor time of the program's threads, all on the
// system's monotonic clock, and prints figures. It asserts nothing.
//
//   pw_probe listen <seconds> <tempo> <note> [--press X Y] [--needle X Y W H]
//       Records the monitor of $PW_MONITOR for the seconds (after the press,
//       which comes one second in) and prints how the clicks heard keep time
//       at the tick period of the tempo and note value: the intervals, the
//       drift beside the one the display shows, and with --press the time
//       from the press to the first click, with --needle the time from each
//       swing of the needle (the display's rectangle on the root window) to
//       its click.
//   pw_probe cpu <seconds> <pid> <wineserver pid>
//       Prints the processor time of each thread of the process and of the
//       wine server over the seconds, that of the whole process with the
//       threads that ended meanwhile, and how many threads it started.
//
// The main figures of each run are also added to $PW_BENCH_SUMMARY, when set,
// as a line "$PW_BENCH_COLUMN <tab> $PW_BENCH_ROW <tab> kind <tab> figures...".
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "ClickStats.h"
#include "Clock.h"
#include "MonitorRecording.h"
#include "NeedleWatch.h"
#include "ThreadCpu.h"
#include "engine/TickMath.h"

namespace {

// A line of the table scripts/bench.sh prints at the end; NaN for a figure
// not measured.
void Summarise(const char* kind, std::initializer_list<double> figures) {
    const char* file = std::getenv("PW_BENCH_SUMMARY");
    if (!file || !*file)
        return;
    if (FILE* summary = std::fopen(file, "a")) {
        const char* column = std::getenv("PW_BENCH_COLUMN");
        const char* row = std::getenv("PW_BENCH_ROW");
        std::fprintf(summary, "%s\t%s\t%s", column ? column : "", row ? row : "", kind);
        for (double figure : figures)
            std::fprintf(summary, std::isnan(figure) ? "\t-" : "\t%.3f", figure);
        std::fprintf(summary, "\n");
        std::fclose(summary);
    }
}

void SleepUntil(double at) {
    for (double now = MonotonicSeconds(); now < at; now = MonotonicSeconds())
        usleep(static_cast<useconds_t>(std::min(0.1, at - now) * 1e6));
}

int Listen(double seconds, unsigned tempo, unsigned note, const int* press, const int* needle) {
    const unsigned period = ComputeTickPeriod(tempo, note);
    const double exact = 60000.0 / tempo / (note / 4);
    const char* monitor = std::getenv("PW_MONITOR");
    MonitorRecording recording;
    if (!monitor || !recording.Start(monitor)) {
        std::fprintf(stderr, "pw_probe: %s\n", monitor ? recording.Error().c_str() : "PW_MONITOR is not set");
        return 1;
    }
    NeedleWatch watch;
    if (needle)
        watch.Start(needle[0], needle[1], needle[2], needle[3]);
    double pressed = 0;
    if (press) {
        SleepUntil(MonotonicSeconds() + 1);
        pressed = PressAt(press[0], press[1]);
        if (pressed < 0) {
            std::fprintf(stderr, "pw_probe: no X display to press on\n");
            return 1;
        }
    }
    SleepUntil(MonotonicSeconds() + seconds);
    watch.Stop();
    recording.Stop();

    std::printf("heard:     %u bpm, note %u: period %u ms (exact %.3f ms), %.0f s\n", tempo, note, period,
                exact, seconds);
    const pwtest::HeardClicks heard = pwtest::AnalyseClicks(recording.Samples(), period);
    pwtest::PrintHeard(heard, 0);
    const pwtest::IntervalStats& s = heard.intervals;
    // The clicks' drift counted in the device's samples (what the program
    // sets) and on the system's clock (the device's own gain taken out).
    const double heardDrift = heard.DriftPerHour(exact);
    const double gain = recording.ClockGain();
    const double systemDrift = ((1 + heardDrift / 3600000.0) / (1 + gain) - 1) * 3600000.0;
    const int shownDrift = ComputeDriftPerHour(tempo, note);
    std::printf("period:    mean IOI %+.4f ms from the period (target within 0.01 ms), p99 |dev| %.3f ms "
                "(target 0.1 ms)\n",
                s.mean - period, s.p99);
    std::printf(
        "off:       %zu intervals more than 1 ms off the period (target 0), largest deviation %.3f ms, "
        "mean IOI %.3f ms\n",
        s.overOneMs, s.max, s.mean);
    std::printf("drift:     %+.0f ms/hour heard in the device's samples, %+.0f ms/hour on the system clock; "
                "%+d ms/hour shown by the display: %+.0f ms/hour apart (target within 20)\n",
                heardDrift, systemDrift, shownDrift, heardDrift - shownDrift);
    std::printf(
        "clock:     the device's clock gains %+.0f ms/hour on the system's; %.2f s of sound read over %.2f "
        "s; heard times known to %.2f ms (spread of the server's reports); samples reach the probe %.1f ms "
        "before they are heard\n",
        gain * 3600000.0, recording.SecondsRead(), recording.SecondsReading(),
        recording.TimingSpread() * 1000, recording.ReadAhead() * 1000);
    std::vector<double> heardAt;
    for (double ms : heard.onsetMs)
        heardAt.push_back(
            recording.HeardAt(static_cast<std::size_t>(std::lround(ms * pwtest::kRecordRate / 1000))));
    double startMs = NAN;
    if (press) {
        const auto first = std::lower_bound(heardAt.begin(), heardAt.end(), pressed);
        if (first != heardAt.end()) {
            startMs = (*first - pressed) * 1000;
            std::printf("start:     press to first heard click %.1f ms: one period %u ms + %.1f ms\n",
                        startMs, period, startMs - period);
        } else {
            std::printf("start:     no click after the press\n");
        }
    }
    Summarise("heard",
              {s.mean - period, s.stdDev, s.p99, heardDrift - shownDrift, systemDrift - shownDrift,
               static_cast<double>(heard.missed), static_cast<double>(heard.doubled), startMs - period});
    Summarise("off", {static_cast<double>(s.overOneMs), s.max, s.mean});
    if (needle) {
        std::vector<double> offsets;
        for (double start : watch.SwingStarts()) {
            const auto after = std::lower_bound(heardAt.begin(), heardAt.end(), start);
            double nearest = 1e300;
            if (after != heardAt.end())
                nearest = *after - start;
            if (after != heardAt.begin() && start - *(after - 1) < std::abs(nearest))
                nearest = *(after - 1) - start;
            if (std::abs(nearest) < period / 2000.0)
                offsets.push_back(-nearest * 1000);
        }
        // Deviations from 0: the worst is the largest either way.
        const pwtest::IntervalStats o = pwtest::Intervals(offsets, 0);
        std::printf(
            "needle:    %zu swings; swing start minus heard click: mean %+.1f ms, sd %.1f ms, p99 |offset| "
            "%.1f ms, max %.1f ms (target within 10); %.0f frames/s seen, %.0f looks/s\n",
            offsets.size(), o.mean, o.stdDev, o.p99, o.max, watch.FramesPerSecond(), watch.GrabsPerSecond());
        if (!watch.Error().empty())
            std::printf("needle:    %s\n", watch.Error().c_str());
        Summarise("needle", {o.mean, o.stdDev, o.p99, o.max});
    }
    return 0;
}

int Cpu(double seconds, int pid, int wineserver) {
    const auto before = ReadThreads(pid);
    const auto serverBefore = ReadThreads(wineserver);
    const double processBefore = ProcessSeconds(pid);
    const double serverProcessBefore = ProcessSeconds(wineserver);
    const double from = MonotonicSeconds();
    // Every thread that lives a millisecond or more is seen.
    const std::set<int> first = ThreadIds(pid);
    std::set<int> seen = first;
    for (double now = from; now < from + seconds; now = MonotonicSeconds()) {
        usleep(1000);
        const std::set<int> ids = ThreadIds(pid);
        seen.insert(ids.begin(), ids.end());
    }
    const auto after = ReadThreads(pid);
    const auto serverAfter = ReadThreads(wineserver);
    const double process = ProcessSeconds(pid) - processBefore;
    const double serverProcess = ProcessSeconds(wineserver) - serverProcessBefore;
    const double span = MonotonicSeconds() - from;
    const double started = static_cast<double>(seen.size() - first.size()) / span;
    if (before.empty() || after.empty()) {
        std::fprintf(stderr, "pw_probe: no process %d\n", pid);
        return 1;
    }
    const CpuUse use = Difference(before, after);
    const CpuUse server = Difference(serverBefore, serverAfter);
    auto percent = [&](double cpuSeconds) {
        return cpuSeconds * 100 / span;
    };
    // Wine names the threads it runs for itself, such as those of its sound
    // system while a stream is open (on Windows that work is done outside
    // the process); the program's own threads are the window thread and
    // those that run its code, named by it or not at all.
    auto isWine = [](const std::string& name) {
        return name.rfind("wine", 0) == 0;
    };
    double window = 0, own = 0, wine = 0, total = 0, serverTotal = 0;
    std::string list;
    for (const ThreadCpu& t : use.threads) {
        total += t.seconds;
        if (t.tid == pid)
            window += t.seconds;
        else if (isWine(t.name))
            wine += t.seconds;
        else
            own += t.seconds;
        char item[64];
        std::snprintf(item, sizeof item, "%s%s%s %.3f %%", list.empty() ? "" : ", ", t.name.c_str(),
                      t.tid == pid ? " (window)" : "", percent(t.seconds));
        list += item;
    }
    for (const ThreadCpu& t : server.threads)
        serverTotal += t.seconds;
    std::printf(
        "cpu:       %.0f s: process %.3f %% of a core; its own threads %.3f %% (window thread %.3f %%, "
        "others %.3f %%); threads Wine runs %.3f %%; wine server %.3f %%\n",
        span, percent(total), percent(window + own), percent(window), percent(own), percent(wine),
        percent(serverTotal));
    std::printf("threads:   %s%s\n", list.c_str(),
                use.ended ? (", and " + std::to_string(use.ended) + " that ended").c_str() : "");
    std::printf(
        "whole:     process %.3f %% of a core, threads that ended included (/proc/%d/stat); wine server "
        "%.3f %%; %.2f threads started a second (target 0)\n",
        percent(process), pid, percent(serverProcess), started);
    Summarise("cpu", {percent(total), percent(window + own), percent(window), percent(own), percent(wine),
                      percent(serverTotal)});
    Summarise("whole", {percent(process), percent(serverProcess), started});
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: pw_probe listen <seconds> <tempo> <note> [--press X Y] [--needle X Y W H]\n"
                         "       pw_probe cpu <seconds> <pid> <wineserver pid>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "cpu") == 0)
        return Cpu(std::atof(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc < 5 || std::strcmp(argv[1], "listen") != 0)
        return Usage();
    int press[2], needle[4];
    bool pressing = false, watching = false;
    for (int i = 5; i < argc; ++i) {
        if (std::strcmp(argv[i], "--press") == 0 && i + 2 < argc) {
            for (int& v : press)
                v = std::atoi(argv[++i]);
            pressing = true;
        } else if (std::strcmp(argv[i], "--needle") == 0 && i + 4 < argc) {
            for (int& v : needle)
                v = std::atoi(argv[++i]);
            watching = true;
        } else {
            return Usage();
        }
    }
    const double seconds = std::atof(argv[2]);
    const auto tempo = static_cast<unsigned>(std::atoi(argv[3]));
    const auto note = static_cast<unsigned>(std::atoi(argv[4]));
    if (seconds <= 0 || ComputeTickPeriod(tempo, note) == 0)
        return Usage();
    return Listen(seconds, tempo, note, pressing ? press : nullptr, watching ? needle : nullptr);
}
