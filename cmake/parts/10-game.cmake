# The rules engine, the computer player and the random generator: Qt-free core.
kelani_library(kelani_game SOURCES game/uTFeld.cpp game/uTKI.cpp game/uTMeister.cpp game/uRandom.cpp)

kelani_test(test_game SOURCES tests/game/test_uTFeld.cpp tests/game/test_uTFeld_invariants.cpp
            tests/game/test_uTKI.cpp tests/game/test_uTMeister.cpp
            LIBS kelani_game)


# kelanitool's play commands, run as the built program.
kelani_test(test_kelanitool_play SOURCES tests/game/test_kelanitool_play.cpp LIBS kelani_game)
if(TARGET test_kelanitool_play)
  target_compile_definitions(test_kelanitool_play PRIVATE KELANITOOL="$<TARGET_FILE:kelanitool>")
  add_dependencies(test_kelanitool_play kelanitool)
endif()

kelani_bench(bench_ki SOURCES bench/bench_ki.cpp LIBS kelani_game)
