# Helpers that keep each folder's CMakeLists.txt to a line or two.

set(PICTAVO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)

# A static library made of every .cpp in the calling folder.
function(pictavo_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${PICTAVO_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# A GoogleTest program made of every .cpp in the calling folder, registered with CTest.
function(pictavo_test name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${sources})
    target_compile_options(${name} PRIVATE ${PICTAVO_WARNINGS})
    target_compile_definitions(${name} PRIVATE
        PICTAVO_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures"
        PICTAVO_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# A libFuzzer target from one source file in fuzz/.
function(pictavo_fuzzer name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# A Google Benchmark program from one source file in bench/.
function(pictavo_benchmark name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
    target_compile_options(${name} PRIVATE ${PICTAVO_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
endfunction()
