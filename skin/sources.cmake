pw_sources(
    PORTABLE
    RegionRuns.cpp
    WIN32
    SkinButton.cpp
    SkinImage.cpp
)
