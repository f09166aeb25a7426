// Watches the tick display on the X screen and finds when the needle starts
// each swing, on the system's monotonic clock; and presses the mouse as a
// user does.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class NeedleWatch {
public:
    NeedleWatch() = default;
    NeedleWatch(const NeedleWatch&) = delete;
    NeedleWatch& operator=(const NeedleWatch&) = delete;
    ~NeedleWatch();

    // Grabs the display's rectangle of the root window over and over until
    // Stop. The first grab, with the metronome stopped, shows no needle.
    void Start(int x, int y, int width, int height);
    void Stop();

    // When each swing the screen showed began: where the line through the
    // frames of its middle part reaches the end it left.
    std::vector<double> SwingStarts() const;
    double GrabsPerSecond() const;
    // Frames drawn in a new place, per second of watching.
    double FramesPerSecond() const;
    const std::string& Error() const { return m_strError; }

private:
    // A frame that showed the needle in a new place, first seen at `at`.
    struct Sighting {
        double at;
        double angle;
    };
    void Run();

    int m_x = 0, m_y = 0, m_width = 0, m_height = 0;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::vector<Sighting> m_sightings;
    double m_first = 0, m_last = 0;
    long m_grabs = 0;
    std::string m_strError;
};

// A left click at (x, y) of the root window, as the mouse makes it; the time
// the X server had the button's release (the moment a button acts). Negative
// when the display cannot be reached.
double PressAt(int x, int y);
