#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer) over the product's libraries in
# build-fuzz/ (or $FUZZ_BUILD) and runs each for a number of executions (default 1,000,000),
# starting from the seeds in fuzz/seeds/.
#   fuzz/run.sh [executions] [target...]      targets: picture_fuzz text_fuzz import_fuzz page_fuzz
# A build that fails, or a crash, stops the run with a non-zero exit; a crash's input is saved
# under build-fuzz/artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(picture_fuzz text_fuzz import_fuzz page_fuzz)
build=${FUZZ_BUILD:-$root/build-fuzz}
mkdir -p "$build"
# The build's output goes to a log, shown when the build fails.
if ! { cmake -S "$root" -B "$build" -DORVANE_FUZZ=ON -DORVANE_TESTS=OFF -DCMAKE_C_COMPILER=clang \
         -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j"${FUZZ_JOBS:-3}" --target fuzz_targets; } >"$build/build.log" 2>&1; then
  grep -E "error|Error|undefined" "$build/build.log" | head -40 || true
  echo "the fuzz targets do not build (log: $build/build.log)"
  exit 1
fi
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/artifacts"
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  mkdir -p "$corpus"
  cp "$root/fuzz/seeds/${t%_fuzz}"/* "$corpus"/
  case $t in
    picture_fuzz) maxlen=16384 ;;
    *) maxlen=4096 ;;
  esac
  echo "== $t: $runs executions"
  log=$build/$t.log
  start=$(date +%s)
  set +e
  "$build/$t" -runs="$runs" -max_len="$maxlen" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$t-" "$corpus" >"$log" 2>&1
  status=$?
  set -e
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|.*Test unit written)" "$log" || true
  echo "$t: exit $status, $(( $(date +%s) - start )) s wall (log: $log)"
  [ "$status" -eq 0 ] || exit "$status"
done
