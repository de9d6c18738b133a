#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts the program
# with the sample configuration beside it.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
corppay_install

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORPPAY_TESTS=OFF
cmake --build build/release

exe=build/release/bin/corppay
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe" "$@"
else
    echo "No display found: starting corppay under Xvfb (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1600x1000x24" "$exe" "$@"
fi
