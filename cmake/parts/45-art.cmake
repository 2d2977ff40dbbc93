# Every picture of the game, painted by kelani-art at build time: the five graphics containers in
# the program folder, and the compiled-in pictures as Qt resources ":/pictures/<name>.png".
if(NOT KELANI_GUI)
  return()
endif()

# The painting code is a library of its own (Qt Gui only) so its tests can reach it; it is a build
# tool and never part of the program.
file(GLOB KELANI_ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/art/*.cpp)
list(REMOVE_ITEM KELANI_ART_SOURCES ${CMAKE_SOURCE_DIR}/tools/art/main.cpp)
add_library(kelani_artwork STATIC ${KELANI_ART_SOURCES})
target_include_directories(kelani_artwork PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kelani_artwork PUBLIC kelani_streams Qt6::Gui)
kelani_warnings(kelani_artwork)

foreach(tool kelani-art kelani-screens)
  add_executable(${tool})
  target_link_libraries(${tool} PRIVATE kelani_artwork)
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  kelani_warnings(${tool})
endforeach()
target_sources(kelani-art PRIVATE tools/art/main.cpp)
# Review pictures of the artwork as the game composes it (tools/screens/render.sh).
target_sources(kelani-screens PRIVATE tools/screens/main.cpp)

set(KELANI_GFX_FILES game.gfx steine.gfx mulden.gfx hands.gfx holz.gfx steine@2x.gfx hands@2x.gfx)
list(TRANSFORM KELANI_GFX_FILES PREPEND ${KELANI_PROGRAM_DIR}/)
set(KELANI_PICTURE_NAMES splash icon_16 icon_32 icon_48 icon_64 icon_128 icon_256 header_newgame header_lot
                         header_highscore header_history header_language lot_hidden hint_stone)
set(KELANI_PICTURE_DIR ${CMAKE_BINARY_DIR}/pictures)
list(TRANSFORM KELANI_PICTURE_NAMES PREPEND ${KELANI_PICTURE_DIR}/ OUTPUT_VARIABLE KELANI_PICTURE_FILES)
list(TRANSFORM KELANI_PICTURE_FILES APPEND .png)
add_custom_command(
  OUTPUT ${KELANI_GFX_FILES} ${KELANI_PICTURE_FILES}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:kelani-art> ${KELANI_PROGRAM_DIR}
          ${KELANI_PICTURE_DIR}
  DEPENDS kelani-art
  COMMENT "Painting the pictures and packing the graphics containers"
  VERBATIM)
add_custom_target(kelani_gfx ALL DEPENDS ${KELANI_GFX_FILES})

kelani_library(kelani_pictures GUI SOURCES)
set_source_files_properties(${KELANI_PICTURE_FILES} PROPERTIES GENERATED TRUE)
qt_add_resources(kelani_pictures kelani_pictures PREFIX /pictures BASE ${KELANI_PICTURE_DIR}
                 FILES ${KELANI_PICTURE_FILES})

kelani_test(test_art GUI SOURCES tests/assets/test_art.cpp LIBS kelani_streams kelani_pictures Qt6::Gui)
kelani_test(test_art_units GUI SOURCES tests/assets/test_art_units.cpp LIBS kelani_artwork)
if(TARGET test_art)
  target_compile_definitions(test_art PRIVATE KELANI_ART_TOOL="$<TARGET_FILE:kelani-art>")
  add_dependencies(test_art kelani_gfx)
endif()

kelani_bench(bench_art SOURCES bench/bench_art.cpp LIBS kelani_artwork)
