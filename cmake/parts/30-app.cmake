# Application shell basics: the profile file, the settings, the language-script parser (core),
# and the Qt side: translated windows and message boxes, the first-start dialog, sound effects.
kelani_library(kelani_settings SOURCES app/uIniFile.cpp app/uTSettings.cpp app/uLngScript.cpp)

kelani_test(test_settings SOURCES tests/app/test_uIniFile.cpp tests/app/test_uTSettings.cpp
            tests/app/test_uLngScript.cpp LIBS kelani_settings)
