# The record windows' building blocks: the cell-less grid, the printing routines, the print
# dialog wrapper.
if(KELANI_GUI)
  kelani_library(kelani_printing GUI
    SOURCES app/SmallGrid.cpp app/uJwHelpPrinting.cpp components/uPrintDialog.cpp components/uShellOpen.cpp)
  kelani_test(test_printing GUI
    SOURCES tests/app/test_SmallGrid.cpp tests/app/test_uJwHelpPrinting.cpp
    LIBS kelani_printing)
endif()

if(KELANI_GUI)
  # The record windows: the highscore table and the move history.
  kelani_library(kelani_recordwindows GUI
    SOURCES app/ufHighscore.cpp app/ufHistory.cpp
    LIBS kelani_printing kelani_webpost kelani_records kelani_view kelani_display kelani_app_lang)
  kelani_test(test_recordwindows GUI
    SOURCES tests/app/test_ufHighscore.cpp tests/app/test_ufHistory.cpp
    LIBS kelani_recordwindows kelani_server_lib)
endif()
