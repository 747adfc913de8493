#!/usr/bin/env bash
# Installs what the project needs, builds the game and its data, and runs it.
# Extra arguments go to cityrun. Without a display it runs headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
cd build/default/game
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then export CITYRUN_HEADLESS=1; fi
exec ./cityrun "$@"
