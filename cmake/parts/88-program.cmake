# The playable game: the controller, the main window with its record windows, and the program
# entry with its installation.
if(NOT KELANI_GUI)
  return()
endif()

kelani_library(kelani_play GUI
  SOURCES game/uTSpielfeld.cpp app/ufSpielfeld.cpp
  LIBS kelani_dialogs kelani_recordwindows kelani_view kelani_records kelani_app_lang kelani_gfxfile)

if(TARGET kelani_play)
  add_executable(kelani app/main.cpp)
  target_link_libraries(kelani PRIVATE kelani_play)
  foreach(lib kelani_gui kelani_sounds kelani_pictures)
    if(TARGET ${lib})
      target_link_libraries(kelani PRIVATE ${lib})
    endif()
  endforeach()
  kelani_warnings(kelani)
  if(TARGET kelani_gfx)
    add_dependencies(kelani kelani_gfx)
  endif()
endif()

kelani_test(test_play GUI SOURCES tests/gui/test_spielfeld.cpp LIBS kelani_play kelani_sounds)

# The start to the first painted board, on this build's painted containers.
kelani_bench(bench_start SOURCES bench/bench_start.cpp LIBS kelani_play kelani_sounds kelani_pictures)
if(TARGET bench_start)
  target_compile_definitions(bench_start PRIVATE KELANI_PROGRAM_DIR="${KELANI_PROGRAM_DIR}")
  add_dependencies(bench_start kelani_gfx)
endif()

# Installation: the program folder (executable beside its containers and help pages), a launcher
# on the PATH, the desktop entry and the icon. An installed copy whose program folder is not
# writable keeps settings.ini and the highscore files in the user's data folder.
if(TARGET kelani)
  install(TARGETS kelani RUNTIME DESTINATION ${KELANI_INSTALL_PROGRAM_DIR})
  # Every container the art tool writes, the @2x ones for high-density screens included.
  install(FILES ${KELANI_GFX_FILES}
          DESTINATION ${KELANI_INSTALL_PROGRAM_DIR})
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${KELANI_INSTALL_PROGRAM_DIR}/kelani \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/kelani\" SYMBOLIC)")
  install(FILES app/kelani.desktop DESTINATION share/applications)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_BINARY_DIR}/pictures/icon_${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
            RENAME kelani.png OPTIONAL)
  endforeach()
endif()

# Review pictures of the game for docs/screens (run by hand, not a test).
if(TARGET kelani_play AND KELANI_TESTS)
  add_executable(kelani_play_screens tests/gui/screens_play.cpp)
  target_link_libraries(kelani_play_screens PRIVATE kelani_play)
  foreach(lib kelani_sounds kelani_pictures)
    if(TARGET ${lib})
      target_link_libraries(kelani_play_screens PRIVATE ${lib})
    endif()
  endforeach()
  set_target_properties(kelani_play_screens PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  kelani_warnings(kelani_play_screens)
endif()
