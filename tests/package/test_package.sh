#!/usr/bin/env bash
# Builds the Debian packages from a built tree into a scratch folder and checks what a player and a
# server operator get: the files, the Depends fields, the menu entry, the metainfo and the manual
# pages.
#   test_package.sh CPACK BUILD_DIR SOURCE_DIR
# The test build's own tree is packaged (sanitized binaries, so its Depends also name the
# sanitizer runtimes); `tools/kelani.sh package` makes the real packages from a Release tree.
set -euo pipefail
cpack=$1
build=$2
sources=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; exit 1; }

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
game="$scratch/kelani_${version}_${arch}.deb"
server="$scratch/kelani-highscore-server_${version}_${arch}.deb"
for deb in "$game" "$server"; do
  [ -f "$deb" ] || { ls "$scratch" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }
done

# expect_files DEB PATH...: every PATH is in the package's listing.
expect_files() {
  local deb=$1; shift
  local listing
  listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for path in "$@"; do
    grep -qxF "./$path" <<<"$listing" || fail "$(basename "$deb") lacks /$path"
  done
  local outside
  outside=$(grep -v -e '^\./usr/' -e '^\./$' <<<"$listing" || true)
  [ -z "$outside" ] || fail "$(basename "$deb") installs outside /usr: $outside"
}

# expect_depends DEB PACKAGE...: the Depends field names every PACKAGE.
expect_depends() {
  local deb=$1; shift
  local depends
  depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/ //g')
  for package in "$@"; do
    grep -qxF "$package" <<<"$depends" || fail "$(basename "$deb") does not depend on $package"
  done
}

# Manual pages: whatis finds their NAME line and groff renders them without a warning.
check_man_page() {
  local page=$1
  [ -f "$page" ] || return 0 # reported by expect_files
  lexgrog "$page" >/dev/null || fail "lexgrog cannot read $(basename "$page")"
  local warnings
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
}

program=usr/lib/kelani
icons=()
for size in 16 32 48 64 128 256; do icons+=("usr/share/icons/hicolor/${size}x${size}/apps/kelani.png"); done
expect_files "$game" "$program/kelani" "$program/game.gfx" "$program/steine.gfx" "$program/mulden.gfx" \
  "$program/hands.gfx" "$program/holz.gfx" "$program/game@2x.gfx" "$program/steine@2x.gfx" \
  "$program/mulden@2x.gfx" "$program/hands@2x.gfx" "$program/holz@2x.gfx" \
  "$program/hilfe/start.htm" "$program/hilfe/start_e.htm" \
  usr/bin/kelani usr/bin/kelanitool usr/share/applications/kelani.desktop "${icons[@]}" \
  usr/share/metainfo/example.tarvik.kelani.metainfo.xml usr/share/man/man6/kelani.6.gz \
  usr/share/man/man1/kelanitool.1.gz
deploy=()
for file in "$sources"/server/deploy/*; do
  if [ -f "$file" ]; then deploy+=("usr/share/kelani-highscore-server/$(basename "$file")"); fi
done
expect_files "$server" usr/bin/kelani-highscore-server usr/bin/kelani-play-server usr/share/man/man1/kelani-highscore-server.1.gz \
  "${deploy[@]}"
if dpkg-deb -c "$game" | grep 'highscore-server' >/dev/null; then fail "the game's package holds server files"; fi

[ "$(dpkg-deb -f "$game" Package)" = kelani ] || fail "game package name"
[ "$(dpkg-deb -f "$server" Package)" = kelani-highscore-server ] || fail "server package name"
expect_depends "$game" fonts-comic-neue fonts-liberation2 fonts-dejavu-core qt6-qpa-plugins \
  libqt6multimedia6 qt6-translations-l10n libqt6widgets6 libqt6printsupport6 libjpeg62-turbo libc6
expect_depends "$server" libsqlite3-0 libc6

root="$scratch/root"
dpkg-deb -x "$game" "$root"
dpkg-deb -x "$server" "$root"
metainfo="$root/usr/share/metainfo/example.tarvik.kelani.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >"$scratch/as.log" 2>&1 ||
  fail "metainfo does not validate: $(cat "$scratch/as.log")"
# The screenshots are the review pictures of docs/screens, published under the same names.
shots=$(sed -n 's|.*<image[^>]*>.*/\([^/<]*\)</image>.*|\1|p' "$metainfo")
[ -n "$shots" ] || fail "the metainfo shows no screenshot"
for shot in $shots; do
  [ -f "$sources/docs/screens/$shot" ] || fail "the metainfo shows $shot, which docs/screens lacks"
done
for page in "$root"/usr/share/man/man*/*.gz; do check_man_page "$page"; done

# The menu entry starts what the package installs: its Exec and Icon resolve inside the package.
entry="$root/usr/share/applications/kelani.desktop"
desktop-file-validate "$entry" >"$scratch/desktop.log" 2>&1 || fail "desktop entry: $(cat "$scratch/desktop.log")"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name does not lead to a program in /usr/bin"
[ "$(readlink -f "$root/usr/bin/$exec_name")" = "$(readlink -f "$root/$program/kelani")" ] ||
  fail "/usr/bin/$exec_name does not lead to the program folder"
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon=$icon has no picture"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$root/usr/share/applications/$launchable" ] || fail "the metainfo launches $launchable, which is not installed"

[ "$failures" -eq 0 ] || exit 1
echo "packages ok: $(basename "$game") $(basename "$server")"
