# The display components and the dialogs before a game: new game and the lot.
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

kelani_test(test_display GUI SOURCES tests/components/test_display.cpp LIBS kelani_display)
kelani_test(test_dialogs GUI SOURCES tests/app/test_newgame.cpp tests/app/test_streichholz.cpp
  LIBS kelani_dialogs)
