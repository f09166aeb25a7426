pw_sources(
    WIN32
    MetronomeDlg.cpp
)
