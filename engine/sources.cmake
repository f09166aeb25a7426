pw_sources(
    PORTABLE
    TickMath.cpp
    WIN32
)
