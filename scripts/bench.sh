#!/usr/bin/env bash
# Measures the product where it runs and prints one table: the preference
# build against its floor natively and under Wine (bench_pairs), and under
# Wine the start of the program to its page ready against a bare dialog of
# the same controls (bench_page_ready). Each ratio is the median of the
# ratios of pairs measured back to back in one run, shown with the medians
# of its two sides. With --breakdown, the cost of one build's opens step by
# step follows the table, for both environments, and then the steps of the
# program's start under Wine (start_steps).
#
# Usage: scripts/bench.sh [--breakdown] [PAIRS [STARTS]]
#   PAIRS   builds against the floor (default 200); STARTS: page-ready pairs (default 30)
#
# Environment:
#   RECO_BUILD_ROOT  where the build trees go (default: <repo>/build): bench
#                    (native, Release) and bench-windows (32-bit MinGW-w64,
#                    Release, with its own Wine prefix)
#   RECO_JOBS        parallel jobs for building (default: 2)
set -euo pipefail

breakdown=0
if [[ ${1:-} == --breakdown ]]; then
  breakdown=1
  shift
fi
pairs=${1:-200}
starts=${2:-30}
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build_root=${RECO_BUILD_ROOT:-$repo/build}
jobs=${RECO_JOBS:-2}
native=$build_root/bench
windows=$build_root/bench-windows

log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "building the native and the Windows benchmarks (log: $log)" >&2
{
  cmake --preset bench -B "$native"
  cmake --build "$native" -j "$jobs" --target bench_pairs
  cmake -S . -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DRECO_BUILD_TESTS=OFF -DRECO_BUILD_BENCH=ON
  cmake --build "$windows" -j "$jobs" --target bench_pairs bench_page_ready
} >"$log" 2>&1 || {
  tail -n 30 "$log"
  exit 1
}

# A virtual display (for the dialogs) and a persistent server in the
# benchmark tree's own prefix.
# shellcheck source=scripts/wine-session.sh
source "$repo/scripts/wine-session.sh"
trap 'rm -f "$log"; wine_session_stop' EXIT
wine_session_start "$windows" >/dev/null
wine_run() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }

echo "measuring: $pairs pairs natively, $pairs under Wine, $starts starts of each page" >&2
# A measure that fails shows as "failed" in its row; the others still print.
status=0
native_line=$("$native/bench/bench_pairs" "$pairs") || status=1
wine_line=$(wine_run "$windows/bench/bench_pairs.exe" "$pairs") || status=1
page_line=$(wine_run "$windows/bench/bench_page_ready.exe" "$starts") || status=1

# "WHAT  ratio R  OURS N UNIT  PEER N UNIT  (median of N pairs)"
row() {
  local environment=$1 peer=$2 line=$3
  local what ratio ours unit theirs
  read -r what _ ratio _ ours unit _ theirs _ <<<"$line"
  printf '%-15s %-7s %6s  %8s %-2s  %8s %-2s  %s\n' "${what:-failed}" "$environment" \
    "${ratio:-?}" "${ours:-?}" "$unit" "${theirs:-?}" "$unit" "$peer"
}

printf '\n%-15s %-7s %6s  %11s  %11s  %s\n' measure where ratio ours peer "peer is"
row native "open, read, close the same files (POSIX)" "$native_line"
row wine "CreateFileW, ReadFile, CloseHandle of the same files" "$wine_line"
row wine "a bare dialog of the same controls, started alike" "$page_line"
if [[ $page_line == *"visible at "* ]]; then
  visible=${page_line##*visible at }
  echo "(page-ready: the page was first seen visible at ${visible%)}; ready once its posted messages filled it)"
fi
echo "(ratio: median of the per-pair ratios of $pairs builds, $starts starts, measured back to back"
echo " in one run; ours and peer: medians)"

if ((breakdown)); then
  printf '\nnative: '
  "$native/bench/bench_pairs" --breakdown "$pairs"
  printf '\nwine: '
  wine_run "$windows/bench/bench_pairs.exe" --breakdown "$pairs"
  printf '\nwine, the steps of the program start before its dialog, five starts:\n'
  for _ in 1 2 3 4 5; do wine_run "$windows/bench/start_steps.exe"; done
fi
exit "$status"
