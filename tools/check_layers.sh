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

for folder in "${LAYERS[@]}" "${TOP[@]}"; do
    [ -d "$folder" ] || continue
    own=${rank[$folder]}
    while IFS= read -r hit; do
        file=${hit%%:*}
        target=$(sed -E 's/.*#include *"([^"/]+)\/.*/\1/' <<<"$hit")
        if [ -z "${rank[$target]+set}" ]; then
            complain "$hit: $target/ is no layer"
        elif [ "${rank[$target]}" -gt "$own" ]; then
            complain "$hit: $folder/ may not include the higher layer $target/"
        fi
    done < <(grep -rnE --include='*.h' --include='*.cpp' '^\s*#\s*include\s*"[^"/]+/' "$folder" || true)
    if [ "$own" -lt "$QT_FREE" ]; then
        while IFS= read -r hit; do
            complain "$hit: $folder/ is Qt-free"
        done < <(grep -rnE --include='*.h' --include='*.cpp' '^\s*#\s*include\s*<Q' "$folder" || true)
    fi
done
exit $status
