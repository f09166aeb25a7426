pw_sources(
    PORTABLE
    BeatPattern.cpp
    PatternCodec.cpp
    WIN32
)
