#!/usr/bin/env bash
# The long fuzzing campaign: builds the fuzz preset (clang, libFuzzer, ASan +
# UBSan) and runs every fuzz target, or the ones named, for SECONDS each
# (default 600). Each target keeps its corpus in build/fuzz/corpus/<target>,
# so a campaign continues where the last one stopped; crashes are written to
# build/fuzz/artifacts/. JOBS=n runs n fuzzing processes per target;
# FUZZ_BUILD_DIR builds somewhere else than build/fuzz.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: fuzz_parse_reply,
#        fuzz_station, fuzz_driver_<deliverable>)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
[ $# -gt 0 ] && shift
scripts/setup.sh
build=${FUZZ_BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-2}"

bin=$build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_parse_reply fuzz_station)
  for exe in "$bin"/fuzz_driver_*; do targets+=("$(basename "$exe")"); done
fi

mkdir -p "$build/artifacts"
failed=()
for target in "${targets[@]}"; do
  short=${target#fuzz_}
  case "$target" in
    fuzz_parse_reply) dict=reply.dict ;;
    fuzz_station) dict=station.dict ;;
    *) dict=driver.dict ;;
  esac
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  extra=()
  [ -d "fuzz/regressions/$target" ] && extra=("fuzz/regressions/$target")
  echo "=== $target: ${seconds} s"
  fork=()
  [ -n "${JOBS:-}" ] && fork=(-fork="$JOBS" -ignore_crashes=0)
  if ! UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
    "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -dict="fuzz/dict/$dict" -artifact_prefix="$build/artifacts/$target-" "${fork[@]}" \
      "$corpus" "$bin/seeds/$short" "${extra[@]}"; then
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "CRASHED: ${failed[*]} (inputs in $build/artifacts/)"
  exit 1
fi
echo "No crash in: ${targets[*]}"
