# Named-stream container, -lh5- codec, Blowfish cipher and the typed stream helpers (Qt-free core).
kelani_library(kelani_streams
  SOURCES view/uJwStreamBase.cpp view/JwStream.cpp view/uLh5.cpp view/uBlowfish.cpp)

if(KELANI_TESTS)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LHASA REQUIRED IMPORTED_TARGET liblhasa)
  find_package(OpenSSL REQUIRED)
  kelani_test(test_jwstream
    SOURCES tests/view/test_jwstream.cpp tests/view/test_jwstream_corrupt.cpp
    LIBS kelani_streams)
  kelani_test(test_jwstream_tool SOURCES tests/view/test_jwstream_tool.cpp LIBS kelani_streams)
  if(TARGET test_jwstream_tool)
    add_dependencies(test_jwstream_tool kelanitool)
  endif()
  kelani_test(test_lh5 SOURCES tests/view/test_lh5.cpp LIBS kelani_streams PkgConfig::LHASA)
  kelani_test(test_blowfish SOURCES tests/view/test_blowfish.cpp LIBS kelani_streams OpenSSL::Crypto)
  target_compile_definitions(test_blowfish PRIVATE OPENSSL_SUPPRESS_DEPRECATED)
endif()

kelani_bench(bench_lh5 SOURCES bench/bench_lh5.cpp LIBS kelani_streams)
if(TARGET bench_lh5)
  find_package(ZLIB REQUIRED)
  target_link_libraries(bench_lh5 PRIVATE ZLIB::ZLIB)
  target_compile_definitions(bench_lh5 PRIVATE KELANI_PROGRAM_DIR="${KELANI_PROGRAM_DIR}")
endif()

# libFuzzer targets, not part of the CTest run (tests/records/test_damaged_files.cpp feeds the
# crafted seeds to the readers in every run). Build and run, for example:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKELANI_FUZZ=ON -DKELANI_GUI=OFF -DKELANI_TESTS=OFF
#   cmake --build build-fuzz --target fuzz_jwstream fuzz_lh5 fuzz_records
#   build-fuzz/bin/fuzz_lh5 -max_total_time=300 -max_len=300000 -rss_limit_mb=400 -timeout=10 CORPUS tests/fuzz/seeds
#   build-fuzz/bin/fuzz_jwstream -max_total_time=300 -max_len=300000 -rss_limit_mb=400 -timeout=10 CORPUS tests/data/damaged
# -rss_limit_mb and -timeout turn a reader that swells or stalls on a small input into a finding.
kelani_fuzz(fuzz_jwstream LIB kelani_streams)
kelani_fuzz(fuzz_lh5 LIB kelani_streams)
