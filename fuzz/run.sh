#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer) in build-fuzz/ and runs each
# for a number of executions (default 1,000,000), starting from the seeds in fuzz/seeds/.
#   fuzz/run.sh [executions] [target...]      targets: picture_fuzz text_fuzz import_fuzz page_fuzz
# A crash stops the run with the input saved under build-fuzz/artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(picture_fuzz text_fuzz import_fuzz page_fuzz)
build=$root/build-fuzz
cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j3 >/dev/null
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
