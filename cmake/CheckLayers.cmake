# Fails when a file in a layer's folder includes a header from a layer above it.
#
#   cmake -DPW_ROOT=<source tree> -P CheckLayers.cmake
#   cmake -DPW_ROOT=<source tree> -DPW_PLANT=<scratch folder> -P CheckLayers.cmake
#
# The second form checks the check: it copies the tree's layers to the
# scratch folder, plants an include of the editor in the engine, and fails
# unless exactly that include is reported.
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

# Sets out to the includes of root's layers that reach above their own layer,
# one "file: include" entry each.
function(pw_upward_includes root out)
    set(found "")
    set(rank 0)
    foreach(layer ${PW_LAYERS})
        file(GLOB_RECURSE files RELATIVE ${root} ${root}/${layer}/*.h ${root}/${layer}/*.cpp)
        list(SORT files)
        foreach(file ${files})
            file(STRINGS ${root}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][A-Za-z0-9_]+/")
            foreach(include ${includes})
                string(REGEX MATCH "[\"<]([A-Za-z0-9_]+)/" folder "${include}")
                list(FIND PW_LAYERS "${CMAKE_MATCH_1}" target)
                if(target GREATER rank)
                    string(STRIP "${include}" include)
                    list(APPEND found "${file}: ${include}")
                endif()
            endforeach()
        endforeach()
        math(EXPR rank "${rank} + 1")
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

if(NOT PW_ROOT)
    message(FATAL_ERROR "PW_ROOT must name the source tree")
endif()

if(PW_PLANT)
    file(REMOVE_RECURSE ${PW_PLANT})
    foreach(layer ${PW_LAYERS})
        file(COPY ${PW_ROOT}/${layer} DESTINATION ${PW_PLANT})
    endforeach()
    file(WRITE ${PW_PLANT}/engine/Planted.h "#pragma once\n\n#include \"editor/BeatGrid.h\"\n")
    pw_upward_includes(${PW_PLANT} found)
    file(REMOVE_RECURSE ${PW_PLANT})
    if(NOT found STREQUAL "engine/Planted.h: #include \"editor/BeatGrid.h\"")
        message(FATAL_ERROR "The planted include was not reported alone; reported: ${found}")
    endif()
    message(STATUS "The planted include is reported")
    return()
endif()

list(JOIN PW_LAYERS " -> " order)
pw_upward_includes(${PW_ROOT} found)
if(found)
    list(JOIN found "\n  " lines)
    message(FATAL_ERROR "Includes from a higher layer (${order}):\n  ${lines}")
endif()
message(STATUS "No include reaches a higher layer (${order})")
