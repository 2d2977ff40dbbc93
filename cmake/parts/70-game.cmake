# The playable game: display components, the controller, the main window, its dialogs and the
# program entry.
if(NOT KELANI_GUI)
  return()
endif()

kelani_library(kelani_display GUI
  SOURCES components/uHtmlHint.cpp components/uFileDialog.cpp components/uSplash.cpp
          components/uAboutBox.cpp components/uRadioGroup.cpp components/uFormat.cpp
          components/uDialogHeader.cpp components/uPaintBox.cpp
  LIBS kelani_platform)

kelani_library(kelani_dialogs GUI
  SOURCES app/ufNewGame.cpp app/ufStreichholz.cpp
  LIBS kelani_display kelani_app_lang kelani_settings kelani_game kelani_gfxfile)

kelani_test(test_display GUI SOURCES tests/gui/test_display.cpp LIBS kelani_display)
kelani_test(test_dialogs GUI SOURCES tests/gui/test_newgame.cpp tests/gui/test_streichholz.cpp
  LIBS kelani_dialogs)

kelani_library(kelani_play GUI
  SOURCES game/uTSpielfeld.cpp app/ufSpielfeld.cpp
  LIBS kelani_dialogs kelani_view kelani_records kelani_app_lang kelani_gfxfile)

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
