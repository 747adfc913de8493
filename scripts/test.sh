#!/usr/bin/env bash
# Installs what the project needs, checks the guides against the tree, builds
# it and runs the whole test suite: first the normal build, then a second tree
# built with the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The guides name only files, levels and functions the tree has.
bash scripts/check-doc-paths.sh
jobs=$(nproc)
for preset in default asan; do
  echo "== $preset build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset tests"
  # Tests may reach loopback only: each run is in a namespace without any
  # other network interface.
  if [ "$preset" = default ]; then
    # Each test in its own process, then each test program once as one
    # process, in a shuffled order.
    bash scripts/loopback-only.sh ctest --preset "$preset" -j "$jobs"
    bash scripts/loopback-only.sh bash scripts/shuffled-tests.sh build/default
  else
    # Under the sanitizer a process start costs several times more, and the
    # normal build has already run each test alone: each program runs once
    # as one process, in a shuffled order.
    bash scripts/loopback-only.sh bash scripts/shuffled-tests.sh build/asan
  fi
done
