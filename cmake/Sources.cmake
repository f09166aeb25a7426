include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

# pw_sources(PORTABLE <files>... WIN32 <files>...): files relative to the calling
# layer's folder. PORTABLE files never include <windows.h>.
function(pw_sources)
    cmake_parse_arguments(ARG "" "" "PORTABLE;WIN32" ${ARGN})
    get_filename_component(layer ${CMAKE_CURRENT_LIST_DIR} NAME)
    list(TRANSFORM ARG_PORTABLE PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
    list(TRANSFORM ARG_WIN32 PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
    set_property(GLOBAL PROPERTY PW_PORTABLE_SOURCES_${layer} ${ARG_PORTABLE})
    set_property(GLOBAL PROPERTY PW_WIN32_SOURCES_${layer} ${ARG_WIN32})
    set_property(GLOBAL APPEND PROPERTY PW_PORTABLE_SOURCES ${ARG_PORTABLE})
endfunction()

# The include root of a layer: a folder in the build tree with links to the
# layer's own folder and the folders below it, and nothing else, so that an
# include of a higher layer does not compile. Where links cannot be made (a
# Windows account without the right to) it is the source tree, and only the
# include check of the test suite guards the layers.
function(pw_layer_root layer out)
    set(root ${CMAKE_BINARY_DIR}/layers/${layer})
    file(MAKE_DIRECTORY ${root})
    foreach(visible ${PW_LAYERS})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${visible} ${root}/${visible} RESULT failed SYMBOLIC)
        if(failed)
            set(${out} ${CMAKE_SOURCE_DIR} PARENT_SCOPE)
            return()
        endif()
        if(visible STREQUAL layer)
            break()
        endif()
    endforeach()
    set(${out} ${root} PARENT_SCOPE)
endfunction()

# pw_add_layers(SOURCES <kinds>... [INCLUDES <dirs>...] [OPTIONS <flags>...]
#               [LINK_OPTIONS <flags>...] [LIBRARIES <libs>...]): a library
# pw_<layer> per layer from its sources of the given kinds (PORTABLE, WIN32),
# linking only the layer below it; a layer without such sources is an
# interface to the one below. The lowest layer links LIBRARIES; the options
# reach every layer and whatever links one.
function(pw_add_layers)
    cmake_parse_arguments(ARG "" "" "SOURCES;INCLUDES;OPTIONS;LINK_OPTIONS;LIBRARIES" ${ARGN})
    set(below ${ARG_LIBRARIES})
    foreach(layer ${PW_LAYERS})
        set(sources "")
        foreach(kind ${ARG_SOURCES})
            get_property(kind_sources GLOBAL PROPERTY PW_${kind}_SOURCES_${layer})
            list(APPEND sources ${kind_sources})
        endforeach()
        if(sources)
            pw_layer_root(${layer} root)
            add_library(pw_${layer} STATIC ${sources})
            target_include_directories(pw_${layer} PRIVATE ${root} ${ARG_INCLUDES})
            target_compile_options(pw_${layer} PUBLIC ${ARG_OPTIONS})
            target_link_options(pw_${layer} PUBLIC ${ARG_LINK_OPTIONS})
            target_link_libraries(pw_${layer} PUBLIC ${below})
        else()
            add_library(pw_${layer} INTERFACE)
            target_compile_options(pw_${layer} INTERFACE ${ARG_OPTIONS})
            target_link_options(pw_${layer} INTERFACE ${ARG_LINK_OPTIONS})
            target_link_libraries(pw_${layer} INTERFACE ${below})
        endif()
        set(below pw_${layer})
    endforeach()
endfunction()

# Tests are discovered by file name so that adding one needs no edit here.
function(pw_glob out pattern)
    file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${pattern})
    list(SORT files)
    set(${out} ${files} PARENT_SCOPE)
endfunction()
