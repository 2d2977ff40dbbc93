#!/usr/bin/env bash
# Checks that the folders stay layers: a file includes only its own folder and the folders below
# it, so the include graph between folders has no cycle, and the Qt-free core includes no Qt.
#   tools/check_layers.sh [source folder]   (exit 1 and one line per offending include)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# From the bottom up; the first five are the Qt-free core.
LAYERS=(base game streams records settings components view control app)
QT_FREE=5
# On top: they may use every layer and each other, and no layer uses them.
TOP=(tools server bench tests)

declare -A rank
for i in "${!LAYERS[@]}"; do rank[${LAYERS[$i]}]=$i; done
for folder in "${TOP[@]}"; do rank[$folder]=${#LAYERS[@]}; done

status=0
complain() {
    echo "$1" >&2
    status=1
}

# Our own folders are reached as "folder/unit.h" or <folder/unit.h>: both forms count.
OWN_INCLUDE='^\s*#\s*include\s*["<]([^">/]+)/'
# Every Qt header: <QWidget>, <QtCore/qglobal.h>, <qglobal.h>.
QT_INCLUDE='^\s*#\s*include\s*[<"](Q[A-Za-z0-9_]*|Qt[A-Za-z]*/[^>"]*|q[a-z0-9_]*\.h)[>"]'

for folder in "${LAYERS[@]}" "${TOP[@]}"; do
    [ -d "$folder" ] || continue
    own=${rank[$folder]}
    while IFS= read -r hit; do
        [[ ${hit#*:*:} =~ $OWN_INCLUDE ]] && target=${BASH_REMATCH[1]}
        if [ -z "${rank[$target]+set}" ]; then
            # A system header below a folder of its own (<sys/socket.h>, <QtCore/...>) is no layer of ours.
            [ -e "$target" ] && complain "$hit: $target/ is no layer"
        elif [ "${rank[$target]}" -gt "$own" ]; then
            complain "$hit: $folder/ may not include the higher layer $target/"
        fi
    done < <(grep -rnE --include='*.h' --include='*.cpp' "$OWN_INCLUDE" "$folder" || true)
    if [ "$own" -lt "$QT_FREE" ]; then
        while IFS= read -r hit; do
            complain "$hit: $folder/ is Qt-free"
        done < <(grep -rnE --include='*.h' --include='*.cpp' "$QT_INCLUDE" "$folder" || true)
    fi
done
exit $status
