# The game's recordings: synthesised at build time by kelani-sound (plain C++) and compiled into
# the program as Qt resources ":/sounds/<name in lower case>.wav".
add_library(kelani_soundsynth STATIC tools/sound/Recordings.cpp tools/sound/Marimba.cpp tools/sound/Stones.cpp
                                     tools/sound/Synth.cpp tools/sound/Wave.cpp)
target_include_directories(kelani_soundsynth PUBLIC ${CMAKE_SOURCE_DIR})
kelani_warnings(kelani_soundsynth)
add_executable(kelani-sound tools/sound/main.cpp)
target_link_libraries(kelani-sound PRIVATE kelani_soundsynth)
# A build tool, not part of the program folder.
set_target_properties(kelani-sound PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
kelani_warnings(kelani-sound)

set(KELANI_SOUND_NAMES start gewonnen verloren unentschieden 1steininmulde 4steininmulde 4steinausmulde
                       wenigsteineinstirnmulde vielesteineinstirnmulde wenigsteineinderhand vielesteineinderhand)
set(KELANI_SOUND_DIR ${CMAKE_BINARY_DIR}/sounds)
list(TRANSFORM KELANI_SOUND_NAMES PREPEND ${KELANI_SOUND_DIR}/ OUTPUT_VARIABLE KELANI_SOUND_FILES)
list(TRANSFORM KELANI_SOUND_FILES APPEND .wav)
add_custom_command(
  OUTPUT ${KELANI_SOUND_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELANI_SOUND_DIR}
  COMMAND kelani-sound ${KELANI_SOUND_DIR}
  DEPENDS kelani-sound
  COMMENT "Synthesising the recordings"
  VERBATIM)

if(KELANI_GUI)
  kelani_library(kelani_sounds GUI SOURCES)
  set_source_files_properties(${KELANI_SOUND_FILES} PROPERTIES GENERATED TRUE)
  # Static library: Qt puts the resources into an object library that initialises itself in
  # whatever executable links kelani_sounds.
  qt_add_resources(kelani_sounds kelani_sounds PREFIX /sounds BASE ${KELANI_SOUND_DIR} FILES ${KELANI_SOUND_FILES})
endif()

kelani_test(test_sound_synth SOURCES tests/assets/test_sound_synth.cpp LIBS kelani_soundsynth)
if(KELANI_GUI)
  kelani_test(test_sounds GUI SOURCES tests/assets/test_sounds.cpp LIBS kelani_sounds)
  if(TARGET test_sounds)
    target_compile_definitions(test_sounds PRIVATE KELANI_SOUND_TOOL="$<TARGET_FILE:kelani-sound>")
    add_dependencies(test_sounds kelani-sound)
  endif()
endif()
