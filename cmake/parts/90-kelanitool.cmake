# The headless companion: every tools/kelanitool/*.cpp is a command that registers itself.
file(GLOB KELANITOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/kelanitool/*.cpp)
add_executable(kelanitool ${KELANITOOL_SOURCES})
target_link_libraries(kelanitool PRIVATE kelani_core)
kelani_warnings(kelanitool)
