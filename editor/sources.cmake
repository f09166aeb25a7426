pw_sources(
    PORTABLE
    BeatPattern.cpp
    PatternCodec.cpp
    WIN32
    AppData.cpp
    FileStore.cpp
)
