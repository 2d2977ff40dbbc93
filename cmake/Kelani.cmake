# Shared build helpers.

if(KELANI_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings apply to our own code only, never to third-party headers.
function(kelani_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Werror)
endfunction()

# kelani_library(name [GUI] SOURCES ... [LIBS ...])
# A static library of our own units, linked into kelani_core (or kelani_gui with GUI).
function(kelani_library name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(ARG_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets Qt6::PrintSupport Qt6::Network Qt6::Multimedia)
    target_link_libraries(kelani_gui INTERFACE ${name})
  else()
    target_link_libraries(kelani_core INTERFACE ${name})
  endif()
  kelani_warnings(${name})
endfunction()

# kelani_test(name [GUI] SOURCES ... [LIBS ...])
# A GoogleTest executable registered with CTest; GUI tests run on the offscreen platform.
function(kelani_test name)
  if(NOT KELANI_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE KELANI_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
                                             KELANI_PROGRAM_DIR="${KELANI_PROGRAM_DIR}")
  kelani_warnings(${name})
  set(env "")
  if(ARG_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    # Qt's font and platform plugins keep caches alive until exit; leak reports there are noise.
    set(env "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${env}")
endfunction()

# kelani_bench(name SOURCES ... [LIBS ...]): a benchmark program in <build>/bench.
function(kelani_bench name)
  if(NOT KELANI_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  kelani_warnings(${name})
endfunction()
