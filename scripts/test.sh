#!/usr/bin/env bash
# Runs every test: setup, build, all CTest labels (with a throwaway MariaDB server for the
# database tests), the fetch-path test under valgrind, then the unit, integration and
# end-to-end tests again under address and undefined-behaviour sanitizers, and the updater's
# threads under the thread sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -DQUORVEL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"

if [ -x scripts/test-db.sh ]; then
  eval "$(scripts/test-db.sh start)"
  trap '"$root"/scripts/test-db.sh stop' EXIT
  # With the server running, a database test that cannot reach it fails instead of skipping.
  export QUORVEL_REQUIRE_DB=1
fi
(cd build && ctest --output-on-failure -j"$jobs")

# Valgrind sees what the drivers do with our fetch buffers; a small table still spans two
# blocks. Any error fails the run.
QUORVEL_FETCH_ROWS=1100 valgrind -q --error-exitcode=1 --leak-check=no \
  build/tests/integration/test_integration --gtest_filter='*FetchPath*Mixed*'

# The window tests do not run there, so they are not built either.
cmake -S . -B build-asan -DQUORVEL_WERROR=ON -DQUORVEL_SANITIZE=ON -DQUORVEL_UNIT_ONLY=OFF \
  -DQUORVEL_BENCH=OFF -DQUORVEL_GUI_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs"
# The first run's times let CTest start the longest tests first.
mkdir -p build-asan/Testing/Temporary
cp build/Testing/Temporary/CTestCostData.txt build-asan/Testing/Temporary/ 2>/dev/null || true
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" -L 'unit|integration|e2e')

# The worker threads and the transfers under the thread sanitizer: a data race fails the run.
cmake -S . -B build-tsan -DQUORVEL_WERROR=ON -DQUORVEL_TSAN=ON -DQUORVEL_UNIT_ONLY=ON \
  -DQUORVEL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tsan -j"$jobs" --target test_upgrade
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/upgrade/test_upgrade
echo "All tests passed."
