# The record windows' building blocks: the cell-less grid, the printing routines, the print
# dialog wrapper.
if(KELANI_GUI)
  kelani_library(kelani_printing GUI
    SOURCES records/SmallGrid.cpp records/uJwHelpPrinting.cpp components/uPrintDialog.cpp)
  kelani_test(test_printing GUI
    SOURCES tests/records/test_SmallGrid.cpp tests/records/test_uJwHelpPrinting.cpp
    LIBS kelani_printing)
endif()
