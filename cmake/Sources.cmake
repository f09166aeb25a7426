# pw_sources(PORTABLE <files>... WIN32 <files>...): files relative to the calling
# module's folder. PORTABLE files never include <windows.h>.
function(pw_sources)
    cmake_parse_arguments(ARG "" "" "PORTABLE;WIN32" ${ARGN})
    foreach(file ${ARG_PORTABLE})
        set_property(GLOBAL APPEND PROPERTY PW_PORTABLE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${file})
    endforeach()
    foreach(file ${ARG_WIN32})
        set_property(GLOBAL APPEND PROPERTY PW_WIN32_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${file})
    endforeach()
endfunction()

# Tests are discovered by file name so that adding one needs no edit here.
function(pw_glob out pattern)
    file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${pattern})
    list(SORT files)
    set(${out} ${files} PARENT_SCOPE)
endfunction()
