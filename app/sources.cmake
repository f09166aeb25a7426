pw_sources(
    WIN32
    MetronomeApp.cpp
)
