# The worldwide highscore: the form encoders (core), the form post (Qt) and our server.
kelani_library(kelani_web SOURCES records/uJwHTMLUtils.cpp records/uWebForm.cpp)

find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
find_package(SQLite3 REQUIRED)
find_package(Threads REQUIRED)
find_package(PostgreSQL REQUIRED)
find_package(OpenSSL REQUIRED)

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
add_library(kelani_server_lib STATIC
  server/uSqlDatabase.cpp server/uSqliteDatabase.cpp server/uPostgresDatabase.cpp server/uHighscoreStore.cpp
  server/uPlausibility.cpp server/uHighscoreService.cpp server/uHighscoreHttp.cpp server/uBoundedServer.cpp
  server/uHighscoreAdmin.cpp ${CMAKE_BINARY_DIR}/server/CountryScript.cpp)
target_include_directories(kelani_server_lib PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kelani_server_lib PUBLIC kelani_web kelani_base kelani_settings PkgConfig::HTTPLIB SQLite::SQLite3
                                               PostgreSQL::PostgreSQL OpenSSL::Crypto Threads::Threads)
kelani_warnings(kelani_server_lib)

add_executable(kelani-highscore-server server/main.cpp)
target_link_libraries(kelani-highscore-server PRIVATE kelani_server_lib)
target_compile_definitions(kelani-highscore-server PRIVATE KELANI_VERSION="${PROJECT_VERSION}")
kelani_warnings(kelani-highscore-server)
# The server and its deployment (nginx site, systemd units) form their own package.
install(TARGETS kelani-highscore-server RUNTIME DESTINATION bin COMPONENT server)
install(DIRECTORY server/deploy/ DESTINATION share/kelani-highscore-server COMPONENT server)

kelani_library(kelani_websend SOURCES records/uSendToWeb.cpp LIBS kelani_web kelani_records)

kelani_test(test_web SOURCES tests/records/test_uJwHTMLUtils.cpp tests/records/test_uSendToWeb.cpp LIBS kelani_websend)
kelani_test(test_server SOURCES tests/server/test_server.cpp LIBS kelani_server_lib kelani_websend)
if(TARGET test_server)
  add_dependencies(test_server kelani-highscore-server kelanitool)
  target_compile_definitions(test_server PRIVATE
    KELANI_SERVER_EXE="$<TARGET_FILE:kelani-highscore-server>" KELANITOOL="$<TARGET_FILE:kelanitool>"
    KELANI_COUNTRY_SCRIPT="${CMAKE_SOURCE_DIR}/app/lng/tfnewgame.lng")
endif()
kelani_test(test_server_postgres SOURCES tests/server/test_server_postgres.cpp LIBS kelani_server_lib)
if(TARGET test_server_postgres)
  add_dependencies(test_server_postgres kelani-highscore-server)
  target_compile_definitions(test_server_postgres PRIVATE KELANI_SERVER_EXE="$<TARGET_FILE:kelani-highscore-server>")
endif()

if(KELANI_GUI)
  kelani_library(kelani_webpost GUI SOURCES records/WebPost.cpp LIBS kelani_websend kelani_app_lang)
  kelani_test(test_webpost GUI SOURCES tests/records/test_webpost.cpp LIBS kelani_webpost kelani_server_lib)
  kelani_test(test_server_front GUI SOURCES tests/server/test_server_front.cpp
              LIBS kelani_webpost kelani_server_lib OpenSSL::SSL)
  if(TARGET test_server_front)
    add_dependencies(test_server_front kelani-highscore-server)
    target_compile_definitions(test_server_front PRIVATE
      KELANI_SERVER_EXE="$<TARGET_FILE:kelani-highscore-server>"
      KELANI_NGINX_SITE="${CMAKE_SOURCE_DIR}/server/deploy/nginx-kelani-highscore.conf")
  endif()
endif()
