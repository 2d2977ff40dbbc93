#!/usr/bin/env bash
# The online play service's figures on this machine; all traffic stays on 127.0.0.1.
#   a  one server holds 1,000 concurrent games (2,000 connections): relay times p50/p99/max
#   b  two servers on one PostgreSQL behind nginx, 200 games played to the end, one server killed
#      with -9 half-way: every game finishes, the server's move list equals both seats' lists
#   c  a client whose network stops carrying bytes for 30 s resumes and finishes
# usage: tools/bench/online_figures.sh [BUILD (build-rel)] [a] [b] [c]
# BUILD is an optimised build: cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
#   -DKELANI_TESTS=OFF -DKELANI_BENCH=ON && cmake --build build-rel --target kelanitool
#   kelani-play-server kelani-play-load kelani-freeze-relay
set -euo pipefail
cd "$(dirname "$0")/../.."
BIN=$(realpath "${1:-build-rel}")/bin
shift || true
PARTS=${*:-a b c}
SERVER=$BIN/kelani-play-server
LOAD=$BIN/kelani-play-load
RELAY=$BIN/kelani-freeze-relay
TOOL=$BIN/kelanitool

# Every seat is a connection and each server side one more: far beyond the shell's default.
ulimit -n "$(ulimit -Hn)"

SCRATCH=$(mktemp -d /tmp/kelani-online-figures.XXXXXX)
chmod 755 "$SCRATCH"
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$SCRATCH"
}
trap cleanup EXIT

# A loopback port nobody listens on.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    ss -ltn "sport = :$port" | grep -q LISTEN || { echo "$port"; return; }
  done
}

# start_server NAME OPTIONS...: a play server on a free port; sets PORT and SERVER_PID.
start_server() {
  local name=$1; shift
  "$SERVER" --port 0 "$@" >"$SCRATCH/$name.out" 2>"$SCRATCH/$name.err" &
  SERVER_PID=$!
  PIDS+=("$SERVER_PID")
  for _ in $(seq 100); do
    grep -q "listening on" "$SCRATCH/$name.out" 2>/dev/null && break
    sleep 0.1
  done
  PORT=$(sed -n 's/.*:\([0-9]*\)\/play.*/\1/p' "$SCRATCH/$name.out" | head -1)
  [ -n "$PORT" ] || { echo "$name did not start: $(cat "$SCRATCH/$name.err")" >&2; exit 1; }
}

# A PostgreSQL cluster of its own in the scratch folder; as root it runs as "nobody".
start_postgres() {
  local bin as=() data=$SCRATCH/pg
  bin=$(dirname "$(ls /usr/lib/postgresql/*/bin/postgres | tail -1)")
  mkdir -p "$data"
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$data"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  "${as[@]}" "$bin/initdb" -D "$data/data" -U kelani --auth=trust -E UTF8 >/dev/null
  PG_PORT=$(free_port)
  "${as[@]}" "$bin/postgres" -D "$data/data" -p "$PG_PORT" -k "$data" -c listen_addresses=127.0.0.1 \
    -c max_connections=300 -c fsync=on >"$data/log" 2>&1 &
  PIDS+=($!)
  for _ in $(seq 100); do "$bin/pg_isready" -q -h 127.0.0.1 -p "$PG_PORT" && return; sleep 0.1; done
  echo "PostgreSQL did not start: $(cat "$data/log")" >&2
  exit 1
}

# nginx in front of the given upstream ports, WebSocket upgrade passed on; sets NGINX_PORT.
start_nginx() {
  local f=$SCRATCH/nginx upstreams=""
  mkdir -p "$f"
  for port in "$@"; do upstreams+="server 127.0.0.1:$port max_fails=1 fail_timeout=10s; "; done
  NGINX_PORT=$(free_port)
  cat >"$f/nginx.conf" <<CONF
daemon off; master_process off; worker_processes 1; pid $f/nginx.pid;
worker_rlimit_nofile 8192;
error_log $f/error.log warn;
events { worker_connections 4096; }
http {
  access_log off; client_body_temp_path $f/body; proxy_temp_path $f/proxy;
  fastcgi_temp_path $f/fcgi; uwsgi_temp_path $f/uwsgi; scgi_temp_path $f/scgi;
  upstream play { $upstreams }
  server {
    listen 127.0.0.1:$NGINX_PORT;
    location /play {
      proxy_pass http://play;
      proxy_http_version 1.1;
      proxy_set_header Upgrade \$http_upgrade;
      proxy_set_header Connection "upgrade";
      proxy_set_header X-Real-IP \$remote_addr;
      proxy_connect_timeout 2s;
      proxy_read_timeout 120s;
    }
  }
}
CONF
  nginx -c "$f/nginx.conf" -p "$f" &
  PIDS+=($!)
  for _ in $(seq 100); do ss -ltn "sport = :$NGINX_PORT" | grep -q LISTEN && return; sleep 0.1; done
  echo "nginx did not start: $(cat "$f/error.log")" >&2
  exit 1
}

figure_a() {
  start_server a --db "$SCRATCH/a.db" --connections 2100
  echo "a. one server, 1,000 concurrent games, 2,000 connections:"
  "$LOAD" --servers "ws://127.0.0.1:$PORT/play" --games 1000 --think-ms 3000 --ramp-ms 5 --duration-s 600
  kill "$SERVER_PID"
}

figure_b() {
  start_postgres
  local db="postgresql://kelani@127.0.0.1:$PG_PORT/postgres"
  start_server b1 --db "$db" --behind-proxy
  local port1=$PORT victim=$SERVER_PID
  start_server b2 --db "$db" --behind-proxy
  start_nginx "$port1" "$PORT"
  echo "b. two servers on one PostgreSQL behind nginx, 200 games, one server killed with -9 half-way:"
  # About 40 moves a game: the kill falls half-way through the moves of all games.
  "$LOAD" --servers "ws://127.0.0.1:$NGINX_PORT/play" --games 200 --think-ms 200 --ramp-ms 10 \
    --duration-s 400 --verify --kill-pid "$victim" --kill-at-moves 4000
}

figure_c() {
  start_server c --db "$SCRATCH/c.db"
  local relay_out=$SCRATCH/relay.out
  "$RELAY" --to "$PORT" --freeze-after-ms 3000 --freeze-ms 30000 >"$relay_out" 2>"$SCRATCH/relay.err" &
  PIDS+=($!)
  for _ in $(seq 50); do [ -s "$relay_out" ] && break; sleep 0.1; done
  local relay_port began
  relay_port=$(sed 's/[^0-9]//g' "$relay_out")
  began=$SECONDS
  "$TOOL" online --server "ws://127.0.0.1:$relay_port/play" --create --level 4 --time-ms 300 --name Anna \
    >"$SCRATCH/creator.out" 2>"$SCRATCH/creator.err" &
  local creator_pid=$!
  PIDS+=("$creator_pid")
  for _ in $(seq 100); do [ -s "$SCRATCH/creator.out" ] && break; sleep 0.1; done
  local code joiner creator
  code=$(sed -n '1s/.*"code":"\([^"]*\)".*/\1/p' "$SCRATCH/creator.out")
  joiner=$("$TOOL" online --server "ws://127.0.0.1:$PORT/play" --join "$code" --level 4 --time-ms 300 --name Ben)
  wait "$creator_pid"
  creator=$(sed -n 2p "$SCRATCH/creator.out")
  local seconds same="false"
  seconds=$((SECONDS - began))
  [ "$(sed 's/"seat":[12],//; s/"reconnects":[0-9]*//' <<<"$creator")" = \
    "$(sed 's/"seat":[12],//; s/"reconnects":[0-9]*//' <<<"$joiner")" ] && same="true"
  echo "c. a client's network stops for 30 s mid-game ($(paste -sd ";" "$SCRATCH/relay.err")):"
  echo "{\"creator\":$creator,\"joiner\":$joiner,\"same_game\":$same,\"seconds\":$seconds}"
}

for part in $PARTS; do "figure_$part"; done
