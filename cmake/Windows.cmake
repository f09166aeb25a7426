# The program and its Windows tests. Tests run under Wine inside a headless
# environment (Xvfb, PulseAudio null sink, private prefix) that a ctest fixture
# starts and stops.
enable_language(RC)

add_compile_definitions(STRICT NOMINMAX WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600)
set(PW_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(PW_SYSTEM_LIBS user32 gdi32 comctl32 comdlg32 shell32 advapi32 winmm dsound ole32 dxguid uuid)

# Each layer as its own library; every layer may use the resource ids.
pw_add_layers(SOURCES PORTABLE WIN32 INCLUDES ${CMAKE_SOURCE_DIR}/res OPTIONS ${PW_WARNINGS}
              LINK_OPTIONS ${PW_STATIC_LINK} LIBRARIES ${PW_SYSTEM_LIBS})

add_library(pw_resources OBJECT res/Pulsewick.rc)
target_include_directories(pw_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
# windres reports no dependencies: regenerated artwork or sounds must still
# rebuild the resources.
file(GLOB PW_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h
     ${CMAKE_SOURCE_DIR}/res/*.manifest
     ${CMAKE_SOURCE_DIR}/res/bmp/* ${CMAKE_SOURCE_DIR}/res/wav/* ${CMAKE_SOURCE_DIR}/res/icon/*)
set_source_files_properties(res/Pulsewick.rc PROPERTIES OBJECT_DEPENDS "${PW_RESOURCE_FILES}")

pw_layer_root(app PW_APP_ROOT)
add_executable(Pulsewick WIN32 app/main.cpp $<TARGET_OBJECTS:pw_resources>)
target_include_directories(Pulsewick PRIVATE ${PW_APP_ROOT})
target_link_libraries(Pulsewick PRIVATE pw_app)
set_target_properties(Pulsewick PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# GoogleTest built from the sources Debian ships, with the cross compiler; a
# build on Windows itself (MSYS2) uses the GoogleTest it packages.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
    find_package(GTest REQUIRED)
    add_library(gtest ALIAS GTest::gtest)
    add_library(gtest_main ALIAS GTest::gtest_main)
endif()

# On Windows itself the tests run directly; the end-to-end tests need X.
if(CMAKE_CROSSCOMPILING)
    set(PW_HEADLESS ${CMAKE_SOURCE_DIR}/scripts/headless.sh)
    set(PW_HEADLESS_ENV ${CMAKE_BINARY_DIR}/headless.env)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${PW_HEADLESS_ENV})

    add_test(NAME headless.start COMMAND ${PW_HEADLESS} start ${CMAKE_BINARY_DIR})
    add_test(NAME headless.stop COMMAND ${PW_HEADLESS} stop ${CMAKE_BINARY_DIR})
    set_tests_properties(headless.start PROPERTIES FIXTURES_SETUP headless TIMEOUT 300)
    set_tests_properties(headless.stop PROPERTIES FIXTURES_CLEANUP headless)
endif()

pw_glob(PW_TEST_SUPPORT tests/win/support/*.cpp)
add_library(pw_test_support STATIC ${PW_TEST_SUPPORT})
target_include_directories(pw_test_support PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res
                                                  ${CMAKE_SOURCE_DIR}/tests/win/support)
target_link_libraries(pw_test_support PUBLIC pw_app gtest)

# Each case of a test executable is a ctest entry of its own, run alone in a
# process of its own. The cases are read from the source, because listing them
# from the executable would need Wine and the headless environment before any
# test runs; a case written in any other form stops the configuration.
function(pw_add_test_cases name source)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(STRINGS ${source} lines REGEX "^[ \t]*(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)[ \t]*\\(")
    foreach(line ${lines})
        if(NOT line MATCHES "^TEST(_F)?\\(([A-Za-z0-9_]+), ([A-Za-z0-9_]+)\\) {$")
            message(FATAL_ERROR "${source}: a case ctest cannot list: ${line}")
        endif()
        set(case ${CMAKE_MATCH_2}.${CMAKE_MATCH_3})
        add_test(NAME win.${name}.${case} COMMAND ${name} --gtest_filter=${case})
        set_tests_properties(win.${name}.${case} PROPERTIES FIXTURES_REQUIRED headless TIMEOUT 300
                             RESOURCE_LOCK wine SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
                             FAIL_REGULAR_EXPRESSION "Running 0 tests")
    endforeach()
endfunction()

# One executable per test file, so a crash takes down only its own cases.
pw_glob(PW_WIN_TESTS tests/win/*_test.cpp)
foreach(source ${PW_WIN_TESTS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} $<TARGET_OBJECTS:pw_resources>)
    target_link_libraries(${name} PRIVATE pw_test_support gtest_main)
    # For the scripts of the headless environment.
    target_compile_definitions(${name} PRIVATE PW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    pw_add_test_cases(${name} ${source})
endforeach()

# Benchmarks print figures; scripts/bench.sh runs them.
pw_glob(PW_BENCHES tests/bench/*_bench.cpp)
foreach(source ${PW_BENCHES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} $<TARGET_OBJECTS:pw_resources>)
    target_link_libraries(${name} PRIVATE pw_test_support)
endforeach()

# End-to-end tests drive the real program with xdotool and sendmsg.exe (which
# posts window messages from inside Wine) and record its audio.
if(CMAKE_CROSSCOMPILING)
    function(pw_e2e_tool name)
        add_executable(${name} tests/e2e/tools/${name}.cpp)
        target_compile_options(${name} PRIVATE ${PW_WARNINGS})
        target_link_libraries(${name} PRIVATE ${ARGN})
        target_link_options(${name} PRIVATE ${PW_STATIC_LINK})
    endfunction()
    pw_e2e_tool(sendmsg user32)
    target_include_directories(sendmsg PRIVATE ${CMAKE_SOURCE_DIR})
    # Lists the clicks of a recording, telling the accent from the normal click.
    pw_e2e_tool(clicks)
    # Keeps a window thread busy redrawing, for the benchmarks.
    pw_e2e_tool(repaint user32)

    pw_glob(PW_E2E_TESTS tests/e2e/*_e2e.sh)
    foreach(script ${PW_E2E_TESTS})
        get_filename_component(name ${script} NAME_WE)
        add_test(NAME e2e.${name} COMMAND bash ${script} ${CMAKE_BINARY_DIR} ${PW_HEADLESS_ENV})
        set_tests_properties(e2e.${name} PROPERTIES FIXTURES_REQUIRED headless TIMEOUT 600
                             RESOURCE_LOCK wine)
    endforeach()
endif()
