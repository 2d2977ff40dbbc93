# The board view: the canvas, the drawing layers, the board layers, the board sketch and the hands.
if(KELANI_GUI)
  kelani_library(kelani_view GUI
    SOURCES view/uTCanvas.cpp view/uTBitmapLayer.cpp
    LIBS kelani_platform)

  kelani_test(test_view GUI
    SOURCES tests/view/test_canvas.cpp tests/view/test_layers.cpp tests/view/test_canvas_support.cpp
    LIBS kelani_view)
endif()
