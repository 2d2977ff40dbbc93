# The rules engine, the computer player and the random generator: Qt-free core.
kelani_library(kelani_game SOURCES game/uTFeld.cpp game/uTKI.cpp game/uRandom.cpp)

kelani_test(test_game SOURCES tests/game/test_uTFeld.cpp tests/game/test_uTFeld_invariants.cpp
            tests/game/test_uTKI.cpp
            LIBS kelani_game)


