pw_sources(
    WIN32
    AboutDlg.cpp
    MetronomeApp.cpp
)
