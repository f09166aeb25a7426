pw_sources(
    PORTABLE
    BeatSequencer.cpp
    MetronomeEngine.cpp
    TickMath.cpp
    WaveImage.cpp
    WIN32
)
