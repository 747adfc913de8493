#!/usr/bin/env bash
# Runs every test program of a build once as a single process, its tests in
# a shuffled order, several programs at a time. ctest gives each test its own
# process, which hides state one test leaves for the next; this run does not.
#   bash scripts/shuffled-tests.sh [build folder] [seed]
# The seed (random unless given, or RC_SHUFFLE_SEED) is printed so a failing
# order can be run again.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
seed=${2:-${RC_SHUFFLE_SEED:-$(( (RANDOM << 15 | RANDOM) % 99999 + 1 ))}}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export CITYRUN_HEADLESS=1 CITYRUN_SESSION_SEARCH=loopback
echo "== shuffled single-process run, seed $seed"
mapfile -t programs < <(find "$build/tests" -maxdepth 2 -type f -name '*_tests' -perm -u+x | sort)
run_one() {
  local program=$1 seed=$2 logs=$3 name
  name=$(basename "$program")
  # Each program runs from its own folder, as ctest runs it.
  if (cd "$(dirname "$program")" && "./$name" --gtest_shuffle --gtest_random_seed="$seed" \
        >"$logs/$name.log" 2>&1); then
    echo "passed $name"
  else
    echo "FAILED $name"
  fi
}
export -f run_one
printf '%s\n' "${programs[@]}" |
  xargs -P "$(nproc)" -I{} bash -c 'run_one "$1" "$2" "$3"' _ {} "$seed" "$logs" | tee "$logs/summary"
failed=$(grep -c '^FAILED' "$logs/summary")
passed=$(grep -c '^passed' "$logs/summary")
for name in $(grep '^FAILED' "$logs/summary" | cut -d' ' -f2); do
  echo "== $name (seed $seed)"
  grep -E -A12 '^\[  FAILED  \]|Failure|error:|Segmentation|Aborted' "$logs/$name.log" | head -80
  tail -5 "$logs/$name.log"
done
echo "shuffled: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
