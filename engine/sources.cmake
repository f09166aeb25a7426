pw_sources(
    PORTABLE
    WIN32
)
