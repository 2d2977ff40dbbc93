#!/usr/bin/env bash
# The layer check itself: every way of reaching a higher layer or Qt from the core is caught, and
# ordinary system headers are not mistaken for either.
set -euo pipefail
checker=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{base,game,app}

expect() { # expect pass|fail INCLUDE-LINE FOLDER
    local want=$1 line=$2 folder=$3
    printf '%s\n' "$line" >"$tree/$folder/unit.h"
    local got=pass
    "$checker" "$tree" 2>/dev/null || got=fail
    rm "$tree/$folder/unit.h"
    if [ "$got" != "$want" ]; then
        echo "FAILED: '$line' in $folder/ should $want, did $got"
        exit 1
    fi
}

expect fail '#include "app/ufSpielfeld.h"' game
expect fail '#include <app/ufSpielfeld.h>' game
expect fail '#  include  <app/ufSpielfeld.h>' base
expect fail '#include <QString>' game
expect fail '#include <qglobal.h>' base
expect fail '#include <QtCore/qglobal.h>' base
expect fail '#include "QObject"' game
expect pass '#include "base/uCodePage.h"' game
expect pass '#include <base/uCodePage.h>' game
expect pass '#include <queue>' base
expect pass '#include <sys/socket.h>' base
expect pass '#include <QString>' app
expect pass '#include <game/uTFeld.h>' app
