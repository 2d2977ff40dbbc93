# Move history, saved games and highscore tables: Qt-free core.
kelani_library(kelani_records
  SOURCES records/uRecordFile.cpp records/uTHistory.cpp records/uTJwHighscore.cpp records/uTHighscore.cpp
  LIBS kelani_streams kelani_game)

kelani_test(test_records
  SOURCES tests/records/test_uTHistory.cpp tests/records/test_uTHighscore.cpp tests/records/test_golden.cpp
          tests/records/test_damaged_files.cpp
  LIBS kelani_records)

kelani_test(test_kelanitool_records SOURCES tests/records/test_kelanitool_records.cpp)
if(TARGET test_kelanitool_records)
  target_include_directories(test_kelanitool_records PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(test_kelanitool_records PRIVATE KELANITOOL="$<TARGET_FILE:kelanitool>")
  add_dependencies(test_kelanitool_records kelanitool)
endif()

# libFuzzer target for the record readers: configure with clang and -DKELANI_FUZZ=ON.
kelani_fuzz(fuzz_records LIB kelani_records)
