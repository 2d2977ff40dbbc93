# The display components and the dialogs before a game: new game and the lot.
if(NOT KELANI_GUI)
  return()
endif()

kelani_library(kelani_display GUI
  SOURCES components/uHtmlHint.cpp components/uFileDialog.cpp components/uSplash.cpp
          components/uAboutBox.cpp components/uRadioGroup.cpp components/uFormat.cpp
          components/uDialogHeader.cpp components/uPaintBox.cpp components/uShellOpen.cpp
  LIBS kelani_platform)
# The translated message boxes open addresses through the shell and format their messages.
if(TARGET kelani_app_lang AND TARGET kelani_display)
  target_link_libraries(kelani_app_lang PUBLIC kelani_display)
endif()

kelani_library(kelani_dialogs GUI
  SOURCES app/ufNewGame.cpp app/ufStreichholz.cpp
  LIBS kelani_display kelani_app_lang kelani_settings kelani_game kelani_gfxfile)

kelani_test(test_display GUI SOURCES tests/gui/test_display.cpp LIBS kelani_display)
kelani_test(test_dialogs GUI SOURCES tests/gui/test_newgame.cpp tests/gui/test_streichholz.cpp
  LIBS kelani_dialogs)
