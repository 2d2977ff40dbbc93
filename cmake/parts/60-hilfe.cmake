# The help pages live in the program folder beside the executable, as the help command expects.
file(GLOB KELANI_HILFE CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/hilfe/*)
set(KELANI_HILFE_OUT "")
foreach(page IN LISTS KELANI_HILFE)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${KELANI_PROGRAM_DIR}/hilfe/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page} ${KELANI_PROGRAM_DIR}/hilfe/${name}
                     DEPENDS ${page})
  list(APPEND KELANI_HILFE_OUT ${KELANI_PROGRAM_DIR}/hilfe/${name})
endforeach()
add_custom_target(kelani_hilfe ALL DEPENDS ${KELANI_HILFE_OUT})
install(DIRECTORY hilfe DESTINATION ${KELANI_INSTALL_PROGRAM_DIR})
kelani_test(test_hilfe SOURCES tests/app/test_hilfe.cpp)
if(TARGET test_hilfe)
  target_compile_definitions(test_hilfe PRIVATE KELANI_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # GCC 12 reports libstdc++'s own <regex> internals as maybe uninitialised once sanitizers are on.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(test_hilfe PRIVATE -Wno-maybe-uninitialized)
  endif()
endif()
