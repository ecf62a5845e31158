#!/usr/bin/env bash
# Sets everything up, builds quorvel, creates the demo database (SQLite) and prints the
# mysql script of its customers table in UTF-8. Other tables: scripts/demo.sh orders
set -euo pipefail
cd "$(dirname "$0")/.."
table=${1:-customers}
scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target quorvel >/dev/null
db=$(pwd)/build/demo.db
rm -f "$db"
sqlite3 "$db" <demo/demo.sql
exec build/app/quorvel export --connect "Driver=SQLite3;Database=$db" --dbtype mysql \
  --table "$table" --encoding utf-8
