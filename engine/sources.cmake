pw_sources(
    PORTABLE
    TickMath.cpp
    WaveImage.cpp
    WIN32
)
