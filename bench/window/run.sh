#!/usr/bin/env bash
# The export through the main window (offscreen) into the script view, for 50,000, 100,000
# and 200,000 ticked rows of a 10-column MariaDB table, beside "quorvel export" of the same
# rows. Prints the grid load, the export time and per-row cost, and peak memory.
# Builds into build-bench/ and starts its own throwaway server unless one is running
# (QUORVEL_TEST_DB_PORT set by scripts/test-db.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
counts=${COUNTS:-"50000 100000 200000"}
max=$(printf '%s\n' $counts | sort -n | tail -1)
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target quorvel quorvel_peak_rss quorvel_window_bench >/dev/null
. bench/orders-table.sh
fill_orders bench_window "$max"
out=$(mktemp -d)
for rows in $counts; do
  echo "window:  $(QT_QPA_PLATFORM=offscreen build-bench/bench/window/quorvel_window_bench \
    "$QUORVEL_TEST_MYSQL_CONN" bench_window "$rows")"
  line=$(build-bench/bench/cli/quorvel_peak_rss build-bench/app/quorvel export \
    --connect "$QUORVEL_TEST_MYSQL_CONN" --dbtype mysql --table bench_window --top "$rows" \
    --output "$out/cli.sql" 2>&1 >/dev/null | grep '^wall=' | tail -1)
  echo "command line, $rows rows: $line script_bytes=$(stat -c %s "$out/cli.sql")"
done
rm -rf "$out"
