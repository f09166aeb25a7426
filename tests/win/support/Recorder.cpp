#include "Recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/WaveImage.h"

namespace pwtest {

namespace {

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

} // namespace

std::string UniqueName(int serial) {
    // Process ids are Wine's own and repeat between the Wine servers of
    // different prefixes, which share /tmp; the clock tells them apart.
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    char name[64];
    std::snprintf(name, sizeof name, "%lu-%llx-%d", ::GetCurrentProcessId(),
                  static_cast<unsigned long long>(now.QuadPart), serial);
    return name;
}

std::string ProgramUnixPath() {
    using ToUnixPath = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnixPath>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    WCHAR exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    char* unixExe = toUnix(exe);
    if (!unixExe)
        return {};
    std::string path = unixExe;
    ::HeapFree(::GetProcessHeap(), 0, unixExe);
    return path;
}

bool StartUnixCommand(const std::string& command) {
    std::string line = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

Recorder::~Recorder() {
    // PW_KEEP_RECORDINGS keeps them to listen to or look at.
    if (std::getenv("PW_KEEP_RECORDINGS"))
        return;
    // A recording still running ends by itself; it may leave its file.
    ::DeleteFileA(m_strWinPath.c_str());
    ::DeleteFileA((m_strWinPath + ".part").c_str());
}

bool Recorder::Start(double seconds) {
    const char* monitor = std::getenv("PW_MONITOR");
    if (!monitor || !*monitor) {
        m_strError = "PW_MONITOR is not set: run under scripts/wine-run.sh";
        return false;
    }
    static int s_nCount = 0;
    char name[96];
    std::snprintf(name, sizeof name, "/tmp/pw-record-%s.raw", UniqueName(++s_nCount).c_str());
    m_strUnixPath = name;
    // Wine shows the Unix root as drive Z:.
    m_strWinPath = "Z:" + m_strUnixPath;
    std::replace(m_strWinPath.begin(), m_strWinPath.end(), '/', '\\');
    m_seconds = seconds;

    // Wine starts Unix programs directly but cannot wait for them, so the
    // recording has a fixed length in bytes and appears under its final name
    // when complete. parec with a short latency delivers the monitor's samples
    // as they come; head ends it after the last byte.
    const long bytes = static_cast<long>(seconds * kRecordRate) * 2;
    char command[640];
    std::snprintf(command, sizeof command,
                  "parec --device='%s' --format=s16le --rate=%d --channels=1 --latency-msec=10 "
                  "--raw 2>/dev/null | head -c %ld > '%s.part' && mv '%s.part' '%s'",
                  monitor, kRecordRate, bytes, name, name, name);
    if (!StartUnixCommand(command)) {
        m_strError = "cannot start parec";
        return false;
    }
    // Samples flow once a twentieth of a second has arrived.
    for (int i = 0; i < 500; ++i) {
        if (FileSize(m_strWinPath + ".part") >= kRecordRate / 20 * 2 || FileSize(m_strWinPath) >= 0)
            return true;
        ::Sleep(10);
    }
    m_strError = "parec recorded nothing from " + std::string(monitor);
    return false;
}

std::vector<std::int16_t> Recorder::Finish() {
    std::vector<std::int16_t> samples;
    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(m_seconds * 1000) + 10000;
    while (FileSize(m_strWinPath) < 0) {
        if (static_cast<LONG>(::GetTickCount() - deadline) > 0) {
            m_strError = "the recording did not end";
            return samples;
        }
        ::Sleep(20);
    }
    FILE* file = std::fopen(m_strWinPath.c_str(), "rb");
    if (!file)
        return samples;
    std::int16_t block[4096];
    size_t got;
    while ((got = std::fread(block, sizeof block[0], std::size(block), file)) > 0)
        samples.insert(samples.end(), block, block + got);
    std::fclose(file);
    return samples;
}

std::vector<std::int16_t> ResourceSamples(unsigned resourceId) {
    std::vector<std::int16_t> mono;
    const HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), "WAVE");
    HGLOBAL resource = info ? ::LoadResource(module, info) : nullptr;
    const void* image = resource ? ::LockResource(resource) : nullptr;
    WaveImage wave;
    if (!image || !ParseWave(image, ::SizeofResource(module, info), wave))
        return mono;
    const unsigned channels = wave.pFormat[2];
    const std::size_t frames = wave.nDataSize / (2 * channels);
    mono.resize(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        int sum = 0;
        for (unsigned c = 0; c < channels; ++c) {
            std::int16_t sample;
            std::memcpy(&sample, wave.pData + (f * channels + c) * 2, 2);
            sum += sample;
        }
        mono[f] = static_cast<std::int16_t>(sum / static_cast<int>(channels));
    }
    return mono;
}

double Residual(const std::vector<std::int16_t>& samples, std::ptrdiff_t at,
                const std::vector<std::int16_t>& templ) {
    double difference = 0;
    double energy = 0;
    const auto size = static_cast<std::ptrdiff_t>(samples.size());
    for (std::size_t i = 0; i < templ.size(); ++i) {
        const std::ptrdiff_t index = at + static_cast<std::ptrdiff_t>(i);
        const double recorded = index >= 0 && index < size ? samples[static_cast<std::size_t>(index)] : 0.0;
        difference += (recorded - templ[i]) * (recorded - templ[i]);
        energy += static_cast<double>(templ[i]) * templ[i];
    }
    return energy > 0 ? difference / energy : 1.0;
}

Match FindTemplate(const std::vector<std::int16_t>& samples, const std::vector<std::int16_t>& templ,
                   std::size_t from, std::size_t to) {
    Match best;
    best.residual = 1e300;
    to = std::min(to, samples.size());
    for (std::size_t at = from; at < to; ++at) {
        const double residual = Residual(samples, static_cast<std::ptrdiff_t>(at), templ);
        if (residual < best.residual) {
            best.residual = residual;
            best.at = at;
        }
    }
    return best;
}

double MatchedFraction(const std::vector<std::int16_t>& samples, std::size_t at,
                       const std::vector<std::int16_t>& templ) {
    constexpr std::size_t kBlock = kRecordRate / 100;
    constexpr std::ptrdiff_t kSlip = kRecordRate * 3 / 100;
    constexpr double kMatch = 0.05;
    constexpr int kAudible = 500;
    std::ptrdiff_t slip = 0;
    int audible = 0;
    int matched = 0;
    for (std::size_t b = 0; b + kBlock <= templ.size(); b += kBlock) {
        const std::vector<std::int16_t> block(templ.begin() + static_cast<std::ptrdiff_t>(b),
                                              templ.begin() + static_cast<std::ptrdiff_t>(b + kBlock));
        if (std::none_of(block.begin(), block.end(),
                         [](std::int16_t v) { return std::abs(int{v}) >= kAudible; }))
            continue;
        ++audible;
        const auto start = static_cast<std::ptrdiff_t>(at + b);
        double residual = Residual(samples, start + slip, block);
        if (residual >= kMatch) {
            std::ptrdiff_t best = slip;
            for (std::ptrdiff_t s = slip - kSlip; s <= slip + kSlip; ++s) {
                const double r = Residual(samples, start + s, block);
                if (r < residual) {
                    residual = r;
                    best = s;
                }
            }
            slip = best;
        }
        if (residual < kMatch)
            ++matched;
    }
    return audible ? static_cast<double>(matched) / audible : 0.0;
}

} // namespace pwtest
