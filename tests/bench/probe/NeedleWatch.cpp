#include "NeedleWatch.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Clock.h"

namespace {

constexpr double kPi = 3.14159265358979;
// The display's pivot sits this far above its bottom; the needle ends this
// far inside the smaller of the half width and the pivot's height.
constexpr int kPivotLift = 8;
constexpr int kTipInset = 11;
// The needle counts as moved when it turns by more than this.
constexpr double kMoved = 0.5;
// Frames in this part of the half circle fix a swing's line, clear of its
// ends where the needle turns.
constexpr double kBandLow = 20;
constexpr double kBandHigh = 160;

// Where the needle points, in degrees (0 right, 90 up, 180 left), from the
// pixels that differ from the picture without it on a ring about the pivot
// that holds nothing else; negative when no needle shows.
double NeedleAngle(const XImage& now, const std::vector<char>& before, int width, int height) {
    const int cx = width / 2;
    const int cy = height - kPivotLift;
    const int r = std::min(cx, cy) - kTipInset;
    const double inner = 0.35 * r, outer = 0.75 * r;
    double sum = 0;
    int count = 0;
    for (int y = std::max(0, cy - static_cast<int>(outer)); y <= std::min(height - 1, cy + 3); ++y) {
        const char* row = now.data + static_cast<std::ptrdiff_t>(y) * now.bytes_per_line;
        const char* old = before.data() + static_cast<std::ptrdiff_t>(y) * now.bytes_per_line;
        for (int x = std::max(0, cx - static_cast<int>(outer));
             x <= std::min(width - 1, cx + static_cast<int>(outer)); ++x) {
            const double dx = x - cx, dy = cy - y;
            const double distance = std::hypot(dx, dy);
            if (distance < inner || distance > outer)
                continue;
            int difference = 0;
            for (int c = 0; c < 3; ++c)
                difference += std::abs(static_cast<unsigned char>(row[x * 4 + c]) -
                                       static_cast<unsigned char>(old[x * 4 + c]));
            if (difference < 90)
                continue;
            double angle = std::atan2(dy, dx) * 180 / kPi;
            // Just below the horizontal on the left is still the left end.
            if (angle < -90)
                angle += 360;
            sum += angle;
            ++count;
        }
    }
    return count >= 10 ? sum / count : -1;
}

} // namespace

NeedleWatch::~NeedleWatch() {
    Stop();
}

void NeedleWatch::Start(int x, int y, int width, int height) {
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    m_thread = std::thread(&NeedleWatch::Run, this);
}

void NeedleWatch::Stop() {
    m_bStop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void NeedleWatch::Run() {
    Display* display = XOpenDisplay(nullptr);
    if (!display || !XShmQueryExtension(display)) {
        m_strError = "no X display with shared memory images";
        if (display)
            XCloseDisplay(display);
        return;
    }
    const int screen = DefaultScreen(display);
    XShmSegmentInfo shm{};
    XImage* image = XShmCreateImage(display, DefaultVisual(display, screen), DefaultDepth(display, screen),
                                    ZPixmap, nullptr, &shm, m_width, m_height);
    // Each pixel is read as four bytes, blue, green, red and one unused.
    shm.shmid = image && image->bits_per_pixel == 32
                    ? shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * image->height,
                             IPC_CREAT | 0600)
                    : -1;
    if (shm.shmid < 0) {
        m_strError = "no shared 32-bit image of the screen";
        if (image)
            XDestroyImage(image);
        XCloseDisplay(display);
        return;
    }
    shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
    shm.readOnly = False;
    XShmAttach(display, &shm);
    XSync(display, False);
    // Gone once both sides have detached.
    shmctl(shm.shmid, IPC_RMID, nullptr);

    std::vector<char> before;
    double lastAngle = -1000;
    m_first = MonotonicSeconds();
    while (!m_bStop) {
        const double asked = MonotonicSeconds();
        XShmGetImage(display, RootWindow(display, screen), image, m_x, m_y, AllPlanes);
        const double at = (asked + MonotonicSeconds()) / 2;
        ++m_grabs;
        if (before.empty()) {
            before.assign(image->data,
                          image->data + static_cast<std::ptrdiff_t>(image->bytes_per_line) * m_height);
            continue;
        }
        const double angle = NeedleAngle(*image, before, m_width, m_height);
        if (angle >= 0 && std::abs(angle - lastAngle) > kMoved) {
            m_sightings.push_back({at, angle});
            lastAngle = angle;
        }
        // About a thousand looks a second: far finer than the frames, and
        // leaves the processors to the program.
        usleep(1000);
    }
    m_last = MonotonicSeconds();
    XShmDetach(display, &shm);
    XDestroyImage(image);
    shmdt(shm.shmaddr);
    XCloseDisplay(display);
}

std::vector<double> NeedleWatch::SwingStarts() const {
    std::vector<double> starts;
    std::vector<Sighting> part;
    auto close = [&] {
        if (part.size() >= 3) {
            double st = 0, sa = 0, stt = 0, sta = 0;
            const double n = static_cast<double>(part.size());
            for (const Sighting& s : part) {
                const double t = s.at - part.front().at;
                st += t;
                sa += s.angle;
                stt += t * t;
                sta += t * s.angle;
            }
            const double slope = (n * sta - st * sa) / (n * stt - st * st);
            const double offset = (sa - slope * st) / n;
            if (std::abs(slope) > 1e-3)
                starts.push_back(part.front().at + ((slope > 0 ? 0.0 : 180.0) - offset) / slope);
        }
        part.clear();
    };
    for (const Sighting& s : m_sightings) {
        const bool inBand = s.angle > kBandLow && s.angle < kBandHigh;
        const bool turned =
            part.size() >= 2 &&
            (s.angle - part.back().angle) * (part.back().angle - part[part.size() - 2].angle) < 0;
        if (!inBand || turned)
            close();
        if (inBand)
            part.push_back(s);
    }
    close();
    return starts;
}

double NeedleWatch::GrabsPerSecond() const {
    return m_last > m_first ? static_cast<double>(m_grabs) / (m_last - m_first) : 0;
}

double NeedleWatch::FramesPerSecond() const {
    return m_last > m_first ? static_cast<double>(m_sightings.size()) / (m_last - m_first) : 0;
}

double PressAt(int x, int y) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return -1;
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    // A finger's click holds the button down a moment.
    usleep(60000);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    const double released = MonotonicSeconds();
    XCloseDisplay(display);
    return released;
}
