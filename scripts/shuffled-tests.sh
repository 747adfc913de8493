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
if grep -q '^RC_SANITIZE:BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  # The sanitizer build's test environment, as its ctest preset gives it.
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
         LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true
fi
# A program still running after this long has hung: it is stopped and
# counted as failed, so a run always ends with its report.
hang_limit=${RC_SHUFFLE_HANG_SECONDS:-3600}
echo "== shuffled single-process run of $build, seed $seed"
mapfile -t programs < <(find "$build/tests" -maxdepth 2 -type f -name '*_tests' -perm -u+x | sort)
run_one() {
  local program=$1 seed=$2 logs=$3 name
  name=$(basename "$program")
  # Each program runs from its own folder, as ctest runs it.
  if (cd "$(dirname "$program")" &&
      timeout --kill-after=30 "$hang_limit" "./$name" --gtest_shuffle --gtest_random_seed="$seed" \
        >"$logs/$name.log" 2>&1); then
    echo "passed $name"
  else
    echo "FAILED $name"
  fi
}
export -f run_one
export hang_limit
# The longest programs first (the largest files, roughly), so that the last
# to finish is not a long one started late.
mapfile -t programs < <(ls -S "${programs[@]}")
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
