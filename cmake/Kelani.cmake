# Shared build helpers.

if(KELANI_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings apply to our own code only, never to third-party headers.
# GCC 12 reports false -Wrestrict overlaps inside libstdc++'s std::string at -O3 (GCC bug
# 105651), so an optimised build would fail on correct code.
function(kelani_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Werror
                                           $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()

# Every kelani_* library a target names must already be defined: the layers are added bottom up,
# so naming a library of a higher layer, or one that does not exist, stops the configure.
function(kelani_require_libs)
  foreach(lib IN LISTS ARGN)
    if(lib MATCHES "^kelani" AND NOT TARGET ${lib})
      message(FATAL_ERROR "${lib} is not defined by this layer or a layer below it")
    endif()
  endforeach()
endfunction()

# kelani_library(name [GUI] SOURCES ... [LIBS ...])
# A static library of our own units, linked into kelani_core (or kelani_gui with GUI).
function(kelani_library name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  kelani_require_libs(${ARG_LIBS})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(ARG_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets Qt6::PrintSupport Qt6::Network Qt6::WebSockets Qt6::Multimedia)
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
  kelani_require_libs(${ARG_LIBS})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE KELANI_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
                                             KELANI_PROGRAM_DIR="${KELANI_PROGRAM_DIR}")
  kelani_warnings(${name})
  # One variable only: gtest_discover_tests cannot pass a list of them. The leak checker's
  # suppressions for Qt's exit-time caches come from tools/kelani.sh (tests/support/lsan.supp).
  set(env "")
  if(ARG_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    set(env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${env}")
endfunction()

# kelani_bench(name SOURCES ... [LIBS ...]): a benchmark program in <build>/bench.
function(kelani_bench name)
  if(NOT KELANI_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  kelani_require_libs(${ARG_LIBS})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  kelani_warnings(${name})
  if(KELANI_TESTS)
    # The test run plays every benchmark once, briefly: they keep building and running, and the
    # sanitizers see their code paths too. Figures come from `tools/kelani.sh bench`.
    add_test(NAME ${name}.runs COMMAND ${name} --benchmark_min_time=0.001)
    set_tests_properties(${name}.runs PROPERTIES LABELS bench ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

# kelani_fuzz(name LIB lib): a libFuzzer program fuzz/<name>.cpp of the calling folder in <build>/bin, with the
# library it drives instrumented for coverage. Only with -DKELANI_FUZZ=ON and clang.
function(kelani_fuzz name)
  cmake_parse_arguments(ARG "" "LIB" "" ${ARGN})
  if(NOT KELANI_FUZZ)
    return()
  endif()
  kelani_require_libs(${ARG_LIB})
  target_compile_options(${ARG_LIB} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  add_executable(${name} fuzz/${name}.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_LIB})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELANI_PROGRAM_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  kelani_warnings(${name})
endfunction()
