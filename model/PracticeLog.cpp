#include "model/PracticeLog.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

std::string Fixed(double value, int decimals) {
    // A value that rounds to nothing is not "-0.0".
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Paths are UTF-8, whatever the system's code page.
std::filesystem::path PathOf(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

} // namespace

std::string FormatIsoLocal(const std::tm& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.tm_year + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

std::string FormatPracticeLine(const PracticeRun& run) {
    std::string line = FormatIsoLocal(run.started) + ',' + Fixed(run.dMinutes, 2) + ',' +
                       (run.bUserBeatMode ? "user beat" : "click") + ',' + std::to_string(run.nTempoStart) +
                       ',' + std::to_string(run.nTempoEnd) + ',' + std::to_string(run.nBeats) + ',';
    if (!run.coach)
        return line + ",,,";
    line += std::to_string(run.coach->nHits) + ',';
    if (run.coach->nHits == 0)
        return line + ",,";
    return line + Fixed(run.coach->dMeanMs, 1) + ',' + Fixed(run.coach->dSdMs, 1) + ',' +
           Fixed(run.coach->dWithin10Pct, 0);
}

bool AppendPracticeLog(const std::string& path, const PracticeRun& run) {
    std::string text;
    {
        std::ifstream existing(PathOf(path), std::ios::binary | std::ios::ate);
        const std::streamoff size = existing ? static_cast<std::streamoff>(existing.tellg()) : 0;
        if (size <= 0) {
            text = std::string(kPracticeLogHeader) + "\r\n";
        } else {
            char last = '\n';
            existing.seekg(size - 1);
            existing.get(last);
            if (last != '\n')
                text = "\r\n";
        }
    }
    text += FormatPracticeLine(run) + "\r\n";
    std::ofstream log(PathOf(path), std::ios::binary | std::ios::app);
    log.write(text.data(), static_cast<std::streamsize>(text.size()));
    log.flush();
    return static_cast<bool>(log);
}

bool EnsurePracticeLog(const std::string& path) {
    if (std::ifstream(PathOf(path), std::ios::binary))
        return true;
    std::ofstream log(PathOf(path), std::ios::binary | std::ios::app);
    log << kPracticeLogHeader << "\r\n";
    log.flush();
    return static_cast<bool>(log);
}
