#!/usr/bin/env bash
# Runs a command inside a fresh network namespace that holds only a loopback
# interface, so nothing it starts can reach a real network: a test that
# forgets to confine its session search fails here instead of broadcasting.
#   bash scripts/loopback-only.sh ctest --preset default
set -euo pipefail
if [ "$#" -eq 0 ]; then
  echo "usage: $0 command [args...]" >&2
  exit 2
fi
exec unshare --net -- bash -c 'ip link set lo up && exec "$@"' loopback-only "$@"
