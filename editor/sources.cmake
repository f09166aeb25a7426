pw_sources(
    PORTABLE
    BeatPattern.cpp
    WIN32
)
