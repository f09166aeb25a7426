pw_sources(
    PORTABLE
    BeatChangeMath.cpp
    TickTockMath.cpp
    WIN32
    BeatChangeCtrl.cpp
    MetronomeDlg.cpp
)
