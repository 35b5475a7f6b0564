#!/usr/bin/env bash
# Sets up the machine, builds KMT40 and starts it with a simulated controller on COM1, so it can
# be tried without hardware. Further arguments go to the program (e.g. "adjustkit").
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs" --target kmt40 copy_data

exec build/bin/kmt40 --simulate "$@"
