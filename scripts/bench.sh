#!/usr/bin/env bash
# Measures the product where it runs and prints one table: the preference
# build against its floor natively and under Wine (bench_pairs: the median
# of the ratios of pairs measured back to back), each with the medians of
# its two sides. With --breakdown, the cost of one build's opens step by
# step follows the table, for both environments.
#
# Usage: scripts/bench.sh [--breakdown] [PAIRS]
#
# Environment:
#   RECO_BUILD_ROOT  where the build trees go (default: <repo>/build): bench
#                    (native, Release) and bench-windows (MinGW-w64, Release,
#                    with its own Wine prefix)
#   RECO_JOBS        parallel jobs for building (default: 2)
set -euo pipefail

breakdown=0
if [[ ${1:-} == --breakdown ]]; then
  breakdown=1
  shift
fi
pairs=${1:-200}
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build_root=${RECO_BUILD_ROOT:-$repo/build}
jobs=${RECO_JOBS:-2}
native=$build_root/bench
windows=$build_root/bench-windows
prefix=$windows/wineprefix

log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "building the native and the Windows benchmarks (log: $log)" >&2
{
  cmake --preset bench -B "$native"
  cmake --build "$native" -j "$jobs" --target bench_pairs
  cmake -S . -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DRECO_BUILD_TESTS=OFF -DRECO_BUILD_BENCH=ON
  cmake --build "$windows" -j "$jobs" --target bench_pairs
} >"$log" 2>&1 || {
  tail -n 30 "$log"
  exit 1
}

wine_run() { "$repo/cmake/wine-run.sh" "$prefix" "$@" </dev/null; }
stop_wine() { WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true; }
trap 'rm -f "$log"; stop_wine' EXIT

echo "measuring: $pairs pairs natively, $pairs under Wine" >&2
native_line=$("$native/bench/bench_pairs" "$pairs")
wine_line=$(wine_run "$windows/bench/bench_pairs.exe" "$pairs" | tr -d '\r')

# "build-to-floor  ratio R  build B us  floor F us  (median of N pairs)"
row() {
  local environment=$1 peer=$2 line=$3
  read -r what _ ratio _ ours _ _ floor _ <<<"$line"
  printf '%-16s %-8s %7s  %9s us  %9s us  %s\n' "$what" "$environment" "$ratio" "$ours" "$floor" \
    "$peer"
}

printf '\n%-16s %-8s %7s  %12s  %12s  %s\n' measure where ratio ours peer "peer is"
row native "open, read, close (POSIX)" "$native_line"
row wine "CreateFileW, ReadFile, CloseHandle" "$wine_line"
echo "(ratio: median of $pairs per-pair ratios, measured back to back in one run; times: medians)"

if ((breakdown)); then
  printf '\nnative: '
  "$native/bench/bench_pairs" --breakdown "$pairs"
  printf '\nwine: '
  wine_run "$windows/bench/bench_pairs.exe" --breakdown "$pairs" | tr -d '\r'
fi
