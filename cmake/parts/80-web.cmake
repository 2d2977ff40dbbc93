# The worldwide highscore: the form encoders (core), the form post (Qt) and our server.
kelani_library(kelani_web SOURCES records/uJwHTMLUtils.cpp records/uWebForm.cpp)

find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(SQLite3 REQUIRED)
find_package(Threads REQUIRED)

# The server names countries as the game's new-game script does: the script is compiled in, so a
# server deployed on its own needs no copy of it.
set(KELANI_COUNTRY_SOURCE ${CMAKE_SOURCE_DIR}/app/lng/tfnewgame.lng)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KELANI_COUNTRY_SOURCE})
file(READ ${KELANI_COUNTRY_SOURCE} country_hex HEX)
string(REGEX REPLACE "(..)" "0x\\1," country_bytes "${country_hex}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/server/CountryScript.cpp CONTENT [[
#include "server/uHighscoreService.h"
namespace kelani::server {
namespace {
const unsigned char kScript[] = {${country_bytes}};
}
std::string BuiltInCountryScript() { return std::string(reinterpret_cast<const char*>(kScript), sizeof kScript); }
} // namespace kelani::server
]])
add_library(kelani_server_lib STATIC server/uHighscoreStore.cpp server/uHighscoreService.cpp
                                     server/uHighscoreHttp.cpp ${CMAKE_BINARY_DIR}/server/CountryScript.cpp)
target_include_directories(kelani_server_lib PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kelani_server_lib PUBLIC kelani_web kelani_base kelani_settings PkgConfig::HTTPLIB SQLite::SQLite3
                                               Threads::Threads)
kelani_warnings(kelani_server_lib)

add_executable(kelani-highscore-server server/main.cpp)
target_link_libraries(kelani-highscore-server PRIVATE kelani_server_lib)
kelani_warnings(kelani-highscore-server)

kelani_library(kelani_websend SOURCES records/uSendToWeb.cpp LIBS kelani_web kelani_records)

kelani_test(test_web SOURCES tests/records/test_uJwHTMLUtils.cpp tests/records/test_uSendToWeb.cpp LIBS kelani_websend)
kelani_test(test_server SOURCES tests/server/test_server.cpp LIBS kelani_server_lib)
if(TARGET test_server)
  target_compile_definitions(test_server PRIVATE
    KELANI_SERVER_EXE="$<TARGET_FILE:kelani-highscore-server>"
    KELANI_COUNTRY_SCRIPT="${CMAKE_SOURCE_DIR}/app/lng/tfnewgame.lng")
endif()

if(KELANI_GUI)
  kelani_library(kelani_webpost GUI SOURCES app/WebPost.cpp LIBS kelani_websend kelani_app_lang)
  kelani_test(test_webpost GUI SOURCES tests/app/test_webpost.cpp LIBS kelani_webpost kelani_server_lib)
endif()
