#!/usr/bin/env bash
# Builds and tests every preset: native, asan, windows (under Wine), a
# short run of each fuzz target, and clang-tidy over the portable sources. Exits non-zero when anything fails and
# ends with one line "N passed, N failed" that sums the test results of
# all presets (a preset that does not configure or build counts as one
# failure).
#
# Environment:
#   RECO_BUILD_ROOT  where the build trees go (default: <repo>/build)
#   RECO_PRESETS     which phases to run (default: "native asan windows fuzz tidy";
#                    "bench" builds the benchmarks)
#   RECO_JOBS        parallel jobs for building and testing (default: 2)
#   RECO_FUZZ_SECONDS  total time for all fuzz targets together (default: 60)
#   RECO_SKIP_SETUP  set to 1 to skip scripts/setup.sh
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build_root=${RECO_BUILD_ROOT:-$repo/build}
presets=${RECO_PRESETS:-native asan windows fuzz tidy}
jobs=${RECO_JOBS:-2}
fuzz_seconds=${RECO_FUZZ_SECONDS:-60}

total_passed=0
total_failed=0
total_skipped=0
failed_phases=()
timings=()

say() { printf '\n==== %s\n' "$*"; }

# Runs "$@" as a timed phase called $1; records a failure when it fails.
phase() {
  local name=$1
  shift
  local start=$SECONDS
  say "$name"
  if "$@"; then
    timings+=("$(printf '%-22s %4ds  ok' "$name" $((SECONDS - start)))")
    return 0
  fi
  timings+=("$(printf '%-22s %4ds  FAILED' "$name" $((SECONDS - start)))")
  failed_phases+=("$name")
  return 1
}

configure() {
  local preset=$1
  cmake --preset "$preset" -B "$build_root/$preset"
}

build() {
  cmake --build "$build_root/$1" -j "$jobs"
}

# Runs ctest in a build tree and adds its counts to the totals. ctest's own
# summary line gives the total and the failures; skipped tests are listed
# as "(Skipped)".
run_ctest() {
  local dir=$1
  shift
  local log
  log=$(mktemp)
  "$@" ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error \
    ${RECO_CTEST_RETRY:+--repeat until-pass:2} 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local summary total failed skipped
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' "$log")
  # A retried test that then passed is named, so that a flake is seen even
  # when the run is green.
  local retried
  retried=$(grep -E 'Test +#[0-9]+: .*\*\*\*' "$log" | sed -E 's/.*Test +#[0-9]+: ([^ ]+) .*/\1/' |
    sort -u | grep -vxF -f <(grep -E '^[[:space:]]*[0-9]+ - ' "$log" |
      sed -E 's/^[[:space:]]*[0-9]+ - ([^ ]+).*/\1/') || true)
  [[ -n $retried ]] && printf 'passed only when retried: %s\n' $retried
  rm -f "$log"
  if [[ -z $summary ]]; then
    total_failed=$((total_failed + 1))
    return 1
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  total_passed=$((total_passed + total - failed - skipped))
  total_failed=$((total_failed + failed))
  total_skipped=$((total_skipped + skipped))
  return "$status"
}

# ---- Native and sanitizer presets -------------------------------------------------

native_like() {
  local preset=$1
  shift
  phase "$preset: configure" configure "$preset" || { total_failed=$((total_failed + 1)); return; }
  phase "$preset: build" build "$preset" || { total_failed=$((total_failed + 1)); return; }
  phase "$preset: test" run_ctest "$build_root/$preset" "$@"
}

# Benchmarks are only built here: their numbers mean something only on a
# quiet machine.
bench() {
  phase "bench: configure" configure bench || { total_failed=$((total_failed + 1)); return; }
  phase "bench: build" build bench || total_failed=$((total_failed + 1))
}

# ---- Windows under Wine -------------------------------------------------------------

# shellcheck source=scripts/wine-session.sh
source "$repo/scripts/wine-session.sh"
trap wine_session_stop EXIT

windows() {
  local dir=$build_root/windows
  phase "windows: configure" configure windows || { total_failed=$((total_failed + 1)); return; }
  phase "windows: build" build windows || { total_failed=$((total_failed + 1)); return; }
  phase "windows: start wine" wine_session_start "$dir" ||
    { total_failed=$((total_failed + 1)); wine_session_stop; return; }
  # Retried once: a Wine process now and then ends at start-up, in a few
  # milliseconds and without a word, before any program code has run.
  RECO_CTEST_RETRY=1 phase "windows: test" run_ctest "$dir"
  wine_session_stop
}

# ---- The release package --------------------------------------------------------------

# Runs with the windows phase: the windows-release build, its ZIP (cpack),
# and the ZIP unpacked and run under a fresh prefix by
# scripts/package-test.sh, which counts as one test result.
make_zip() {
  (cd "$1" && cpack -G ZIP)
}

package() {
  local dir=$build_root/windows-release
  phase "package: configure" configure windows-release || { total_failed=$((total_failed + 1)); return; }
  phase "package: build" build windows-release || { total_failed=$((total_failed + 1)); return; }
  rm -f "$dir"/recorange-*-win64.zip
  phase "package: zip" make_zip "$dir" || { total_failed=$((total_failed + 1)); return; }
  local zip
  zip=$(find "$dir" -maxdepth 1 -name 'recorange-*-win64.zip' | head -n1)
  if phase "package: test" bash scripts/package-test.sh "$zip" "$build_root/package-test"; then
    total_passed=$((total_passed + 1))
  else
    total_failed=$((total_failed + 1))
  fi
}

# ---- Fuzz targets ---------------------------------------------------------------------

run_fuzzers() {
  local dir=$build_root/fuzz
  local targets=()
  local f
  while IFS= read -r f; do targets+=("$f"); done < <(
    find "$dir/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x 2>/dev/null | sort)
  if ((${#targets[@]} == 0)); then
    echo "no fuzz targets built yet (fuzz_* under $dir/fuzz): nothing to run"
    return 0
  fi
  local each=$((fuzz_seconds / ${#targets[@]}))
  ((each < 5)) && each=5
  local failures=0
  local t name corpus seeds dict args
  for t in "${targets[@]}"; do
    name=$(basename "$t")
    # New inputs go to a corpus in the build tree; the seeds in the source
    # tree are only read.
    corpus=$dir/corpus/$name
    mkdir -p "$corpus" "$dir/artifacts"
    args=(-max_total_time="$each" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
          -artifact_prefix="$dir/artifacts/$name-")
    for dict in "fuzz/$name.dict" "fuzz/${name#fuzz_}.dict" "fuzz/dict/${name#fuzz_}.dict"; do
      [[ -f $dict ]] && args+=(-dict="$dict") && break
    done
    seeds=()
    for corpus_dir in "fuzz/corpus/$name" "fuzz/corpus/${name#fuzz_}"; do
      [[ -d $corpus_dir ]] && seeds+=("$corpus_dir")
    done
    echo "-- $name for ${each}s"
    if "$t" "${args[@]}" "$corpus" "${seeds[@]}" </dev/null >"$dir/$name.log" 2>&1; then
      grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units)' "$dir/$name.log" | tail -2
    else
      echo "$name FAILED; the end of its log:"
      tail -n 40 "$dir/$name.log"
      failures=$((failures + 1))
    fi
  done
  ((failures == 0))
}

fuzz() {
  if [[ ! -f fuzz/CMakeLists.txt ]]; then
    say "fuzz: skipped, there are no fuzz targets yet (fuzz/CMakeLists.txt is missing)"
    return
  fi
  phase "fuzz: configure" configure fuzz || { total_failed=$((total_failed + 1)); return; }
  phase "fuzz: build" build fuzz || { total_failed=$((total_failed + 1)); return; }
  phase "fuzz: run" run_fuzzers || total_failed=$((total_failed + 1))
}

# ---- Lint ------------------------------------------------------------------------------

# clang-tidy over every project source in the native build's compile
# database (Windows-only sources are not in it), with .clang-tidy's checks
# and warnings as errors.
tidy() {
  local dir=$build_root/native
  if [[ ! -f $dir/compile_commands.json ]]; then
    phase "tidy: configure" configure native || { total_failed=$((total_failed + 1)); return; }
  fi
  phase "tidy" run_tidy "$dir" || total_failed=$((total_failed + 1))
}

# Only the findings are shown: the per-file command lines and the counts of
# warnings suppressed in library headers are dropped.
run_tidy() {
  run-clang-tidy -p "$1" -j "$jobs" -quiet \
    "^$repo/(app|builder|ini|paths|platform|resources|shared|tools|tests)/" 2>&1 |
    grep -vE '^[0-9]+ warnings? generated\.$|^clang-tidy(-[0-9]+)? '
  return "${PIPESTATUS[0]}"
}

# ---- Main -------------------------------------------------------------------------------

if [[ ${RECO_SKIP_SETUP:-0} != 1 ]]; then
  phase "setup" bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
fi

for p in $presets; do
  case $p in
    native) native_like native ;;
    asan)
      native_like asan env ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      ;;
    bench) bench ;;
    windows) windows; package ;;
    package) package ;;
    fuzz) fuzz ;;
    tidy) tidy ;;
    *) echo "unknown preset $p" >&2; total_failed=$((total_failed + 1)) ;;
  esac
done

say "summary"
printf '%s\n' "${timings[@]}"
printf '%-22s %4ds\n' "total" "$SECONDS"
if ((${#failed_phases[@]})); then
  echo "failed phases: ${failed_phases[*]}"
fi
if ((total_skipped > 0)); then
  echo "$total_passed passed, $total_failed failed, $total_skipped skipped"
else
  echo "$total_passed passed, $total_failed failed"
fi
if ((total_failed > 0 || ${#failed_phases[@]} > 0)); then
  exit 1
fi
exit 0
