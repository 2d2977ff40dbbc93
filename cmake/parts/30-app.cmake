# Application shell basics: the profile file, the settings, the language-script parser (core),
# and the Qt side: translated windows and message boxes, the first-start dialog, sound effects.
kelani_library(kelani_settings SOURCES app/uIniFile.cpp app/uTSettings.cpp app/uLngScript.cpp)

kelani_test(test_settings SOURCES tests/app/test_uIniFile.cpp tests/app/test_uTSettings.cpp
            tests/app/test_uLngScript.cpp LIBS kelani_settings)

if(KELANI_GUI)
  # The language scripts of every window are compiled in as ":/lng/<form name in lower case>.lng".
  kelani_library(kelani_app_lang GUI
    SOURCES app/MultiLanguage.cpp app/lngDialogs.cpp app/ufLanguage.cpp app/uSound.cpp app/uAppSettings.cpp
            app/lng/lng.qrc
    LIBS kelani_settings kelani_platform kelani_streams)
  if(TARGET kelani_app_lang AND TARGET kelani_sounds)
    target_link_libraries(kelani_app_lang PUBLIC kelani_sounds)
  endif()

  kelani_test(test_app_lang GUI
    SOURCES tests/app/test_MultiLanguage.cpp tests/app/test_lngDialogs.cpp tests/app/test_ufLanguage.cpp
            tests/app/test_uSound.cpp tests/app/test_scripts.cpp
    LIBS kelani_app_lang)
endif()

if(KELANI_GUI)
  kelani_bench(bench_app SOURCES bench/bench_app.cpp LIBS kelani_app_lang)
endif()

# libFuzzer target for the script parser: configure with clang and -DKELANI_FUZZ=ON, then
#   build-fuzz/bin/fuzz_lngscript -max_total_time=300 CORPUS_FOLDER
kelani_fuzz(fuzz_lngscript LIB kelani_settings)
