#!/usr/bin/env bash
# A 100 MB download from a local web server: the updater's transfer against curl -o, alternately,
# 5 runs each; prints the medians. Usage: bench/http/run.sh [build folder, default build-bench]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_http_transfer >/dev/null
tool="$build/bench/http/bench_http_transfer"
work=$(mktemp -d)
head -c 100000000 /dev/urandom > "$work/source.bin"
"$tool" serve "$work/source.bin" > "$work/port" &
server=$!
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
while [ ! -s "$work/port" ]; do sleep 0.1; done
url="http://127.0.0.1:$(cat "$work/port")/file"
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
: > "$work/curl"; : > "$work/ours"
for run in 1 2 3 4 5; do
  seconds curl -s --noproxy '*' -o "$work/curl.bin" "$url" >> "$work/curl"
  seconds "$tool" fetch "$url" "$work/ours.bin" >> "$work/ours"
done
cmp "$work/source.bin" "$work/ours.bin"
"$tool" fetch "$url" "$work/ours.bin"
curl_s=$(median < "$work/curl"); ours_s=$(median < "$work/ours")
echo "curl -o: ${curl_s}s   updater: ${ours_s}s   ratio: $(echo "scale=2; $ours_s / $curl_s" | bc)"
