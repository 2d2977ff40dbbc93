#!/usr/bin/env bash
# Two players try a game against each other online, as players would: two copies of the game (each
# with its own settings folder) under one Xvfb, the real kelani-play-server behind a scratch nginx,
# driven by keys through xdotool. Screenshots of what they see go to docs/screens/online-*.png.
#   tools/screens/online.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
cmake --build "$build" -j2 --target kelani kelani-play-server
scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# The server on SQLite, nginx in front of it passing the WebSocket upgrade.
"$build/bin/kelani-play-server" --port 0 --db "$scratch/play.db" --behind-proxy >"$scratch/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q listening "$scratch/server.log" && break; sleep 0.1; done
server_port=$(sed -n 's|.*ws://[^:]*:\([0-9]*\)/play.*|\1|p' "$scratch/server.log")
nginx_port=$(free_port)
mkdir -p "$scratch/nginx"
cat >"$scratch/nginx/nginx.conf" <<EOF
daemon off; master_process off; worker_processes 1; pid $scratch/nginx/nginx.pid;
error_log $scratch/nginx/error.log warn; events { worker_connections 64; }
http { access_log off; client_body_temp_path $scratch/nginx/body; proxy_temp_path $scratch/nginx/proxy;
  fastcgi_temp_path $scratch/nginx/fcgi; uwsgi_temp_path $scratch/nginx/uwsgi; scgi_temp_path $scratch/nginx/scgi;
  server { listen 127.0.0.1:$nginx_port;
    location /play { proxy_pass http://127.0.0.1:$server_port; proxy_http_version 1.1;
      proxy_set_header Upgrade \$http_upgrade; proxy_set_header Connection "upgrade";
      proxy_set_header X-Real-IP \$remote_addr; proxy_read_timeout 90s; } } }
EOF
nginx -c "$scratch/nginx/nginx.conf" -p "$scratch/nginx" &
pids+=($!)

# One X server for both players.
display=:$((RANDOM % 400 + 200))
Xvfb "$display" -screen 0 1700x700x24 &
pids+=($!)
export DISPLAY=$display
sleep 1

# Two portable copies, each with its own settings: Anna (Germany, German) and Ben (Austria, English).
copy() { # name language player country-index
  mkdir -p "$scratch/$1"
  cp -r "$build/bin/." "$scratch/$1/"
  printf '[settings]\nlanguage=%s\nsound=0\nhandani=1\nstoneani=0\nnoani=0\n[newgame]\nname1=%s\nland1=%s\n[online]\nserver=ws://127.0.0.1:%s/play\n' \
    "$2" "$3" "$4" "$nginx_port" >"$scratch/$1/settings.ini"
  (cd "$scratch/$1" && ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb ./kelani >"$scratch/$1.log" 2>&1) &
  pids+=($!)
}
window_of() { for _ in $(seq 100); do xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 && return; sleep 0.2; done; }
shot() { import -window root "docs/screens/online-$1.png"; }
# Without a window manager a click gives the focus: on the empty end of the window's menu bar.
focus() { xdotool mousemove --window "$1" 790 10 click 1; sleep 0.3; }
keys() { focus "$1"; shift; xdotool key --delay 150 "$@"; }

copy anna german Anna 0
sleep 4
anna=$(window_of "KELANI")
xdotool windowmove "$anna" 0 0 windowsize "$anna" 820 640
copy ben english Ben 1
sleep 4
ben=$(xdotool search --onlyvisible --name "KELANI" | grep -v "^$anna$" | tail -1)
xdotool windowmove "$ben" 860 0 windowsize "$ben" 820 640

# Anna creates the game and copies its link; Ben pastes it and joins.
keys "$anna" alt+i f
sleep 1
# A dialog that opens takes the keys.
xdotool key alt+a
sleep 2
xdotool key alt+k
shot invite
keys "$ben" alt+i f
sleep 1
xdotool key --delay 150 alt+l ctrl+v
sleep 0.5
shot join
xdotool key alt+j
sleep 3
shot lot
sleep 8

# They play a few moves by keys: whoever is to move plays his first pit (the digit) with Enter.
for turn in $(seq 8); do
  for w in "$anna" "$ben"; do keys "$w" 1 Return; sleep 0.3; keys "$w" 2 Return; sleep 0.3; done
  sleep 3
done
sleep 4
xdotool mousemove --window "$ben" 400 625 click 1 type "Good game, Anna <b>!</b>"
keys "$ben" Return
sleep 2
shot board
echo "screens written to docs/screens/online-*.png"
