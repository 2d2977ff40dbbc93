# Shared helpers every other group builds on: the code page (core) and the platform layer (Qt).
kelani_library(kelani_base SOURCES base/uCodePage.cpp)

if(KELANI_GUI)
  kelani_library(kelani_platform GUI SOURCES components/uPlatform.cpp LIBS kelani_base)
endif()

kelani_test(test_base SOURCES tests/base/test_uCodePage.cpp LIBS kelani_base)
