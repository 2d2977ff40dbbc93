# The graphics-container reader: bitmaps through Qt's BMP reader, JPEGs through libjpeg.
if(KELANI_GUI)
  kelani_library(kelani_gfxfile GUI SOURCES view/uTGFXFile.cpp LIBS kelani_streams kelani_platform JPEG::JPEG)

  kelani_test(test_gfxfile GUI SOURCES tests/view/test_gfxfile.cpp tests/view/test_gfxfile_art.cpp
              LIBS kelani_gfxfile)
  # The game's own containers are painted by a target defined further on; build them first.
  function(kelani_gfxfile_after_art)
    if(TARGET test_gfxfile AND TARGET kelani_gfx)
      add_dependencies(test_gfxfile kelani_gfx)
    endif()
  endfunction()
  cmake_language(DEFER CALL kelani_gfxfile_after_art)
endif()
