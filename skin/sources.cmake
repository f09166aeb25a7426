pw_sources(
    PORTABLE
    RegionRuns.cpp
    WIN32
)
