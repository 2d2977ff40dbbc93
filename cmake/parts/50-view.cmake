# The board view. kelani_canvas: the canvas and the drawing layers (needed by every window that
# draws). kelani_view: the board layers, the board sketch and the hands.
if(KELANI_GUI)
  kelani_library(kelani_canvas GUI
    SOURCES view/uTCanvas.cpp view/uTBitmapLayer.cpp
    LIBS kelani_platform)

  kelani_library(kelani_view GUI
    SOURCES view/uTFeldSketch.cpp view/uTSpielfeldLayers.cpp view/uTHands.cpp
    LIBS kelani_canvas kelani_game kelani_gfxfile)
  # The artwork review draws the history's small board with the game's own sketch.
  if(TARGET kelani-screens AND TARGET kelani_view)
    target_link_libraries(kelani-screens PRIVATE kelani_view)
  endif()

  kelani_test(test_view GUI
    SOURCES tests/view/test_canvas.cpp tests/view/test_layers.cpp tests/view/test_canvas_support.cpp
    LIBS kelani_canvas)

  kelani_test(test_board GUI
    SOURCES tests/view/test_sketch.cpp tests/view/test_layers_board.cpp tests/view/test_hands.cpp
            tests/view/test_canvas_support.cpp
    LIBS kelani_view)
endif()

kelani_bench(bench_frame SOURCES bench/bench_frame.cpp LIBS kelani_view)

# The board drawn with the real pictures: needs the containers in the program folder.
if(KELANI_GUI)
  kelani_test(test_board_golden GUI
    SOURCES tests/view/test_layers_golden.cpp tests/view/test_canvas_support.cpp
    LIBS kelani_view)
  if(TARGET test_board_golden AND TARGET kelani_gfx)
    add_dependencies(test_board_golden kelani_gfx)
  endif()
endif()
