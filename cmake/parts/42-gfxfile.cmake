# The graphics-container reader: bitmaps through Qt's BMP reader, JPEGs through libjpeg.
if(KELANI_GUI)
  kelani_library(kelani_gfxfile GUI SOURCES view/uTGFXFile.cpp LIBS kelani_streams kelani_platform JPEG::JPEG)

  kelani_test(test_gfxfile GUI SOURCES tests/view/test_gfxfile.cpp tests/view/test_gfxfile_art.cpp
              LIBS kelani_gfxfile)
  kelani_bench(bench_gfxfile SOURCES bench/bench_gfxfile.cpp LIBS kelani_gfxfile)
  if(TARGET bench_gfxfile)
    target_compile_definitions(bench_gfxfile PRIVATE KELANI_PROGRAM_DIR="${KELANI_PROGRAM_DIR}")
  endif()

  # The game's own containers are painted by a target defined further on; build them first.
  function(kelani_gfxfile_after_art)
    foreach(target test_gfxfile bench_gfxfile)
      if(TARGET ${target} AND TARGET kelani_gfx)
        add_dependencies(${target} kelani_gfx)
      endif()
    endforeach()
  endfunction()
  cmake_language(DEFER CALL kelani_gfxfile_after_art)
endif()

# libFuzzer target for the picture decoders: configure with clang and -DKELANI_FUZZ=ON.
kelani_fuzz(fuzz_gfxfile LIB kelani_gfxfile)
