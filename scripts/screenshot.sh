#!/usr/bin/env bash
# Screenshots of the real window on a virtual X display: connects to the SQLite demo
# database, opens the customers table, ticks three rows, exports, and saves both pages as
# docs/screenshot-table.png and docs/screenshot-script.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j2 --target quorvel_screenshot >/dev/null
db=$(pwd)/build/demo.db
rm -f "$db"
sqlite3 "$db" <demo/demo.sql
mkdir -p docs
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x760x24" \
  build/tests/gui/quorvel_screenshot "Driver=SQLite3;Database=$db" customers docs/screenshot
echo "docs/screenshot-table.png docs/screenshot-script.png"
