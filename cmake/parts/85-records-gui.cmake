# The record windows' building blocks: the cell-less grid, the printing routines, the print
# dialog wrapper.
if(KELANI_GUI)
  kelani_library(kelani_printing GUI
    SOURCES records/SmallGrid.cpp records/uJwHelpPrinting.cpp components/uPrintDialog.cpp)
  kelani_test(test_printing GUI
    SOURCES tests/records/test_SmallGrid.cpp tests/records/test_uJwHelpPrinting.cpp
    LIBS kelani_printing)
endif()

if(KELANI_GUI)
  # The record windows: the highscore table and the move history.
  kelani_library(kelani_recordwindows GUI
    SOURCES records/ufHighscore.cpp records/ufHistory.cpp
    LIBS kelani_printing kelani_webpost kelani_records kelani_view kelani_display kelani_app_lang)
  kelani_test(test_recordwindows GUI
    SOURCES tests/records/test_ufHighscore.cpp tests/records/test_ufHistory.cpp
    LIBS kelani_recordwindows kelani_server_lib)
endif()
