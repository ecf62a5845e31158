#!/usr/bin/env bash
# Starts or stops a throwaway MariaDB server for the integration tests and benchmarks.
#   eval "$(scripts/test-db.sh start)"   # prints export lines: connection text, port, data dir
#   scripts/test-db.sh stop              # stops the server of $QUORVEL_TEST_DB_DIR by its pid
# Runs as root without systemd; the data directory is temporary and removed on stop.
set -euo pipefail

user=quorvel
password='Qv-test-pw1'
database=quorvel_test

free_port() {
  local port
  for _ in $(seq 1 200); do
    port=$((20000 + RANDOM % 30000))
    if ! ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
      echo "$port"
      return 0
    fi
  done
  echo "test-db: no free port found" >&2
  return 1
}

start() {
  local dir port pid
  dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-db.XXXXXX")
  port=$(free_port)
  mariadb-install-db --no-defaults --user=root --datadir="$dir/data" \
    --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1 || {
    cat "$dir/install.log" >&2
    rm -rf "$dir"
    exit 1
  }
  mariadbd --no-defaults --user=root --datadir="$dir/data" --socket="$dir/sock" \
    --port="$port" --bind-address=127.0.0.1 --pid-file="$dir/pid" \
    --character-set-server=utf8mb4 --collation-server=utf8mb4_general_ci \
    --log-error="$dir/error.log" >/dev/null 2>&1 </dev/null &
  pid=$!
  echo "$pid" >"$dir/server.pid"
  for _ in $(seq 1 200); do
    if mariadb --no-defaults --socket="$dir/sock" -uroot -e 'SELECT 1' >/dev/null 2>&1; then
      break
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      cat "$dir/error.log" >&2
      rm -rf "$dir"
      exit 1
    fi
    sleep 0.1
  done
  mariadb --no-defaults --socket="$dir/sock" -uroot <<SQL
CREATE DATABASE $database CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
CREATE USER '$user'@'localhost' IDENTIFIED BY '$password';
CREATE USER '$user'@'127.0.0.1' IDENTIFIED BY '$password';
GRANT ALL ON *.* TO '$user'@'localhost';
GRANT ALL ON *.* TO '$user'@'127.0.0.1';
SQL
  local conn="Driver={MariaDB Unicode};Server=127.0.0.1;Port=$port;Database=$database;UID=$user;PWD=$password"
  echo "export QUORVEL_TEST_DB_DIR='$dir'"
  echo "export QUORVEL_TEST_DB_PORT='$port'"
  echo "export QUORVEL_TEST_DB_USER='$user'"
  echo "export QUORVEL_TEST_DB_PASSWORD='$password'"
  echo "export QUORVEL_TEST_DB_NAME='$database'"
  echo "export QUORVEL_TEST_DB_SOCKET='$dir/sock'"
  echo "export QUORVEL_TEST_MYSQL_CONN='$conn'"
}

stop() {
  local dir=${QUORVEL_TEST_DB_DIR:-}
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  if [ -f "$dir/server.pid" ]; then
    local pid
    pid=$(cat "$dir/server.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    fi
  fi
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
