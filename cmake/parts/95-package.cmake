# The Debian packages (CPack formats the descriptions' continuation lines), made by `cpack -G DEB` in a built tree:
#   kelani                    the game as `cmake --install` lays it out under /usr, kelanitool,
#                             the manual pages and the AppStream metainfo
#   kelani-highscore-server   the worldwide highscore service and its deployment files
# Every install rule without a component of its own belongs to the game (see CMakeLists.txt).

# Manual pages go in gzipped, as Debian keeps them.
function(kelani_man_page page section component)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                     COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/docs/man/${page} > ${out}
                     DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page} VERBATIM)
  add_custom_target(man_${page} ALL DEPENDS ${out})
  install(FILES ${out} DESTINATION share/man/man${section} COMPONENT ${component})
endfunction()

install(TARGETS kelanitool RUNTIME DESTINATION bin COMPONENT game)
kelani_man_page(kelanitool.1 1 game)
if(TARGET kelani)
  kelani_man_page(kelani.6 6 game)
  install(FILES packaging/example.tarvik.kelani.metainfo.xml DESTINATION share/metainfo COMPONENT game)
endif()

# The server's own build installs it together with its deployment files (server/deploy).
kelani_man_page(kelani-highscore-server.1 1 server)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelani)
set(CPACK_PACKAGE_VENDOR Tarvik)
set(CPACK_PACKAGE_CONTACT "Tarvik <support@tarvik.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.tarvik.example/)

# What the game loads at run time that no library link shows: the fonts that stand in for Comic
# Sans MS, Arial and Tahoma, the platform plugins and Qt's own German texts for the standard
# dialogs. Qt's multimedia backends come with libqt6multimedia6, which the links already name.
set(CPACK_DEBIAN_GAME_PACKAGE_NAME kelani)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS
    "fonts-comic-neue, fonts-liberation2, fonts-dejavu-core, qt6-qpa-plugins, qt6-translations-l10n")
# The manual and the worldwide table open in the browser; sounds need a sound server.
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS "xdg-utils, pulseaudio | pipewire-pulse")
set(CPACK_COMPONENT_GAME_DESCRIPTION "KELANI (R) Freeware Nr. 2, a mancala board game
Kelani is a board game of the mancala family for two players: each player sows
the stones of one of his six pits around the board, and whoever has captured
the most stones when the game ends wins. Six rule sets, 3 to 8 stones per pit,
play against a friend or the computer at three levels, animated hands, saved
games, move history and highscore tables, in German and English.

kelanitool replays, analyses and inspects games and the game's files without a
screen.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME kelani-highscore-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION web)
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "nginx, postgresql")
set(CPACK_COMPONENT_SERVER_DESCRIPTION "worldwide highscore server of the Kelani board game
Receives the entries Kelani players send from the game's highscore window,
checks them and shows the worldwide tables as a web page and as JSON. Stores
in SQLite or PostgreSQL; meant to run behind nginx.")

include(CPack)

# Packages this very tree into a scratch folder (no separate Release build, to stay fast).
if(KELANI_TESTS AND TARGET kelani)
  add_test(NAME package.deb COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/test_package.sh ${CMAKE_CPACK_COMMAND}
                                    ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(package.deb PROPERTIES LABELS package)
endif()
