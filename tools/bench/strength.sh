#!/usr/bin/env bash
# The Master against "Profi" (level 3): GAMES games with each colour in each rule set 1-6, 4 stones,
# head pits on. Scores the Master: a win 1, a draw 1/2, a game cut off at --max-moves 1/2.
#   tools/bench/strength.sh [kelanitool] [time-ms per move (20)] [games per colour (40)]
# Prints one line per rule set and the total; the bar is 90 % over all, 75 % in every rule set.
# The budget is clock time: on a busy machine the Master searches less, so give the load (uptime)
# with the figures.
set -euo pipefail
tool=${1:-build-bench/bin/kelanitool}
ms=${2:-20}
games=${3:-40}

# "wins1 wins2 draws unfinished" of a selfplay summary line.
counts() { sed -E 's/.*"wins1":([0-9]+),"wins2":([0-9]+),"draws":([0-9]+),"unfinished":([0-9]+).*/\1 \2 \3 \4/'; }

percent() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", 100 * a / b }'; }

play() { # level1 level2 variant
    "$tool" selfplay --variant "$3" --stones 4 --head 1 --level1 "$1" --level2 "$2" --games "$games" \
        --time-ms "$ms" --max-moves 400 --seed "$3" | tail -n 1 | counts
}

printf '%-9s %16s %16s %8s\n' "rule set" "Master first" "Master second" "score"
total=0
for v in 1 2 3 4 5 6; do
    read -r w1 l1 d1 u1 < <(play 4 3 "$v")
    read -r l2 w2 d2 u2 < <(play 3 4 "$v")
    # Half points, kept whole: a win 2, a draw or a cut-off game 1.
    half=$((2 * (w1 + w2) + d1 + d2 + u1 + u2))
    total=$((total + half))
    printf '%-9s %5d-%d-%d (%d cut) %5d-%d-%d (%d cut) %7.1f%%\n' "$v" "$w1" "$l1" "$d1" "$u1" "$w2" "$l2" "$d2" "$u2" \
        "$(percent "$half" $((4 * games)))"
done
printf '%-9s %42s %7.1f%%\n' "all" "" "$(percent "$total" $((24 * games)))"
