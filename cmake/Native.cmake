# Win32-free logic on Linux, every object under AddressSanitizer and UBSan.
find_package(GTest REQUIRED)
include(GoogleTest)

set(PW_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# The Win32-free part of each layer as its own library.
pw_add_layers(SOURCES PORTABLE OPTIONS ${PW_WARNINGS} ${PW_SANITIZE} LINK_OPTIONS ${PW_SANITIZE})

pw_glob(PW_NATIVE_TESTS tests/native/*_test.cpp)
add_executable(pw_native_tests ${PW_NATIVE_TESTS})
target_include_directories(pw_native_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(pw_native_tests PRIVATE pw_app GTest::gtest_main)
gtest_discover_tests(pw_native_tests DISCOVERY_TIMEOUT 60)

# Every C++ file of the tree is as clang-format makes it (checked once, here).
add_test(NAME format.clang_format COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-format.sh ${CMAKE_SOURCE_DIR})

# Fuzz targets for the parsers of untrusted bytes. Each runs for a bounded time
# in the test suite (PW_FUZZ_SECONDS, default 20) from its committed seeds.
set(PW_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in ctest")
pw_glob(PW_FUZZERS tests/fuzz/*_fuzz.cpp)
foreach(source ${PW_FUZZERS})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} ${PW_PORTABLE_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${PW_WARNINGS} -fsanitize=fuzzer,address,undefined
                           -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    set(corpus ${CMAKE_BINARY_DIR}/corpus/${name})
    file(MAKE_DIRECTORY ${corpus})
    add_test(NAME fuzz.${name}
             COMMAND ${name} -max_total_time=${PW_FUZZ_SECONDS} -rss_limit_mb=2048 -timeout=10
                     ${corpus} ${CMAKE_SOURCE_DIR}/tests/fuzz/seeds/${name})
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 600)
endforeach()

# The benchmark's probe (scripts/bench.sh): it records the sound server, looks
# at the X screen and reads /proc, all on one clock. Optimised and without the
# sanitizers: it runs beside the program it measures.
find_package(X11 REQUIRED)
find_library(PW_PULSE_LIBRARY pulse REQUIRED)
pw_glob(PW_PROBE_SOURCES tests/bench/probe/*.cpp)
add_executable(pw_probe ${PW_PROBE_SOURCES} tests/win/support/ClickStats.cpp engine/TickMath.cpp)
target_include_directories(pw_probe PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/win/support)
target_compile_options(pw_probe PRIVATE ${PW_WARNINGS} -O2)
target_link_libraries(pw_probe PRIVATE ${PW_PULSE_LIBRARY} X11::X11 X11::Xext X11::Xtst pthread)
