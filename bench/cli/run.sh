#!/usr/bin/env bash
# quorvel export against mysqldump on a MariaDB table of 200,000 rows x 10 columns: five runs
# each, alternating; prints the medians, the ratio and quorvel's peak memory. SHAPE=orders
# (default: text with Chinese, decimals, dates) or SHAPE=readings (floats, bits, years, binary).
# Builds into build-bench/ and starts its own throwaway server unless one is running
# (QUORVEL_TEST_DB_PORT set by scripts/test-db.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
rows=${ROWS:-200000}
runs=${RUNS:-5}
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target quorvel quorvel_peak_rss >/dev/null
. bench/orders-table.sh
shape=${SHAPE:-orders}
case "$shape" in
  orders) fill_orders bench_orders "$rows" ;;
  readings) fill_readings bench_orders "$rows" ;;
  *) echo "SHAPE is orders or readings" >&2; exit 2 ;;
esac
out=$(mktemp -d)
measure() { # prints wall seconds and peak KiB of one run
  local line
  line=$("$@" 2>&1 >/dev/null | grep '^wall=' | tail -1)
  echo "$line" | sed -E 's/wall=([0-9.]+) peak_kib=([0-9]+)/\1 \2/'
}
ours=() theirs=() peaks=()
for i in $(seq 1 "$runs"); do
  read -r wall peak < <(measure build-bench/bench/cli/quorvel_peak_rss build-bench/app/quorvel export \
    --connect "$QUORVEL_TEST_MYSQL_CONN" --dbtype mysql --table bench_orders --top "$rows" \
    --output "$out/quorvel.sql")
  ours+=("$wall"); peaks+=("$peak")
  read -r wall _ < <(measure build-bench/bench/cli/quorvel_peak_rss mysqldump "${client[@]}" --no-create-info \
    --skip-extended-insert --compact --complete-insert --result-file="$out/mysqldump.sql" \
    "$QUORVEL_TEST_DB_NAME" bench_orders)
  theirs+=("$wall")
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
q=$(median "${ours[@]}"); m=$(median "${theirs[@]}"); p=$(median "${peaks[@]}")
echo "shape: $shape, rows: $rows x 10 columns, runs: $runs each (alternating)"
echo "quorvel export: ${ours[*]} s -> median $q s, peak memory median $((p / 1024)) MiB"
echo "mysqldump:      ${theirs[*]} s -> median $m s"
echo "ratio: $(awk -v q="$q" -v m="$m" 'BEGIN {printf "%.2f", q / m}')x (target <= 1.2x)"
echo "script sizes: $(stat -c %s "$out/quorvel.sql") bytes (quorvel), $(stat -c %s "$out/mysqldump.sql") bytes (mysqldump)"
rm -rf "$out"
