#!/usr/bin/env bash
# Checks the layering of the includes, then builds and tests every preset:
# the Windows CE 5.0 check of the system sources, native, asan, windows
# (32-bit, under Wine), a short run of each fuzz target, and clang-tidy over
# the portable sources. Exits non-zero when anything fails and ends with one
# line "N passed, N failed[, N skipped]" that sums the results of all
# phases: each test ctest ran (as its JUnit report gives them), each fuzz
# target, the lint, the layering check and the CE check count as one result;
# a preset that does not configure or build counts as one failure. When the
# 32-bit compiler or Wine's 32-bit loader is missing, each Windows phase
# (configure, build, test, full disk and kills, package) counts as one
# skipped result, never as passed.
#
# Environment:
#   RECO_BUILD_ROOT  where the build trees go (default: <repo>/build)
#   RECO_PRESETS     which phases to run after the layering check, which always
#                    runs (default: "ce-check native asan windows fuzz tidy";
#                    "bench" builds the benchmarks)
#   RECO_JOBS        parallel jobs for building and testing (default: 2)
#   RECO_FUZZ_SECONDS  total time for all fuzz targets together (default: 60)
#   RECO_SKIP_SETUP  set to 1 to skip scripts/setup.sh
#   RECO_WINE32_LOADER  Wine's 32-bit loader (default: /usr/lib/wine/wine, from
#                    Debian's wine32 package); the 32-bit Windows phases are
#                    skipped when it or the i686 compiler is missing

# The phase functions run through phase() and count(), which shellcheck
# cannot follow.
# shellcheck disable=SC2317
set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo" || exit 1
build_root=${RECO_BUILD_ROOT:-$repo/build}
presets=${RECO_PRESETS:-ce-check native asan windows fuzz tidy}
jobs=${RECO_JOBS:-2}
fuzz_seconds=${RECO_FUZZ_SECONDS:-60}

total_passed=0
total_failed=0
total_skipped=0
failed_phases=()
timings=()

say() { printf '\n==== %s\n' "$*"; }

# Adds one result of a phase that is not a ctest run.
count() {
  if "$@"; then
    total_passed=$((total_passed + 1))
  else
    total_failed=$((total_failed + 1))
    return 1
  fi
}

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

# A Windows tree made for another compiler (the 64-bit one of earlier
# builds) is configured afresh: CMake would keep that compiler, and the
# toolchain file refuses such a tree.
configure() {
  local preset=$1 dir=$build_root/$1
  local fresh=()
  if [[ $preset == windows* && -f $dir/CMakeCache.txt ]] &&
    ! grep -qs 'i686-w64-mingw32-g++' "$dir"/CMakeFiles/*/CMakeCXXCompiler.cmake; then
    fresh=(--fresh)
  fi
  cmake --preset "$preset" -B "$dir" "${fresh[@]}"
}

build() {
  cmake --build "$build_root/$1" -j "$jobs"
}

# Passed, failed and skipped tests of a ctest JUnit report, and on the next
# lines the names of the tests that passed. A test ctest could not run (no
# executable, a fixture that failed) is "notrun" like a skipped one, but
# without a SKIP_ reason, and counts as failed, as ctest counts it.
junit_results() {
  awk '
    function close_case() {
      if (pending) failed++
      pending = 0
    }
    /<testcase / {
      close_case()
      name = $0; sub(/.* name="/, "", name); sub(/".*/, "", name)
      status = $0; sub(/.* status="/, "", status); sub(/".*/, "", status)
      if (status == "run") { passed++; names[passed] = name }
      else if (status == "fail") failed++
      else if (status == "disabled") skipped++
      else pending = 1
    }
    /<skipped message=/ && pending {
      if ($0 ~ /message="SKIP_/) skipped++; else failed++
      pending = 0
    }
    END {
      close_case()
      print passed + 0, failed + 0, skipped + 0
      for (i = 1; i <= passed; i++) print names[i]
    }
  ' "$1"
}

# Runs ctest in a build tree and adds the results of its JUnit report to the
# totals. A test that passed only when retried is named, so that a flake is
# seen even when the run is green; ctest's JUnit report keeps only the last
# attempt, so the failed attempts are read from its output.
run_ctest() {
  local dir=$1
  shift
  local log junit
  log=$(mktemp)
  junit=$(mktemp)
  "$@" ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error \
    --output-junit "$junit" ${RECO_CTEST_RETRY:+--repeat until-pass:2} 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local results passed failed skipped
  results=$(junit_results "$junit")
  read -r passed failed skipped <<<"$results"
  local retried
  retried=$(grep -E 'Test +#[0-9]+: .*\*\*\*' "$log" | sed -E 's/.*Test +#[0-9]+: ([^ ]+) .*/\1/' |
    sort -u | grep -xF -f <(tail -n +2 <<<"$results") | tr '\n' ' ' || true)
  [[ -n $retried ]] && echo "passed only when retried: ${retried% }"
  rm -f "$log" "$junit"
  if ((passed + failed + skipped == 0)); then
    echo "no test results from $dir"
    total_failed=$((total_failed + 1))
    return 1
  fi
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  total_skipped=$((total_skipped + skipped))
  return "$status"
}

# ---- Windows CE 5.0 conformance --------------------------------------------------

# The system sources compiled for 32-bit ARM against the CE 5.0 declarations
# of platform/ce, warnings as errors, never linked (cmake/CeCheck.cmake).
# Configure and build together are one result; the build goes on after a
# failing file, so that every error is listed.
ce_check() {
  configure ce-check && cmake --build "$build_root/ce-check" -j "$jobs" -- -k 0
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

# The Windows build is 32-bit: it needs the i686 compiler, and Wine needs
# its 32-bit loader to run what it makes. When either is missing (setup
# could not install the i386 packages), the phases that need them are
# counted as skipped, each by name.
wine32_loader=${RECO_WINE32_LOADER:-/usr/lib/wine/wine}
win32_missing=
if ! command -v i686-w64-mingw32-g++-posix >/dev/null; then
  win32_missing="the compiler i686-w64-mingw32-g++-posix (package g++-mingw-w64-i686)"
elif [[ ! -x $wine32_loader ]]; then
  win32_missing="Wine's 32-bit loader $wine32_loader (package wine32:i386)"
fi

# True when the 32-bit Windows phases can run; otherwise counts the phases
# named in "$@" as skipped.
win32_ready() {
  [[ -z $win32_missing ]] && return 0
  say "${1%%:*}: SKIPPED"
  echo "The 32-bit Windows phases could not run: $win32_missing is missing" \
    "(scripts/setup.sh installs it)."
  local name
  for name in "$@"; do
    echo "skipped: $name"
    timings+=("$(printf '%-22s %4ds  SKIPPED' "$name" 0)")
    total_skipped=$((total_skipped + 1))
  done
  return 1
}

windows() {
  win32_ready "windows: configure" "windows: build" "windows: test" \
    "windows: full disk and kills" || return
  local dir=$build_root/windows
  phase "windows: configure" configure windows || { total_failed=$((total_failed + 1)); return; }
  phase "windows: build" build windows || { total_failed=$((total_failed + 1)); return; }
  phase "windows: start wine" wine_session_start "$dir" ||
    { total_failed=$((total_failed + 1)); wine_session_stop; return; }
  # Retried once: a Wine process now and then ends at start-up, in a few
  # milliseconds and without a word, before any program code has run.
  RECO_CTEST_RETRY=1 phase "windows: test" run_ctest "$dir"
  phase "windows: full disk and kills" run_reliability "$dir"
  wine_session_stop
}

# The settings write-back end to end under Wine (scripts/wine-reliability.sh);
# its closing "N passed, N failed" line adds to the totals.
run_reliability() {
  local log counts
  log=$(mktemp)
  bash "$repo/scripts/wine-reliability.sh" "$1" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
  rm -f "$log"
  if [[ -z $counts ]]; then
    total_failed=$((total_failed + 1))
    return 1
  fi
  total_passed=$((total_passed + ${counts%% passed*}))
  total_failed=$((total_failed + $(sed -E 's/.*, ([0-9]+) failed/\1/' <<<"$counts")))
  return "$status"
}

# ---- The release package --------------------------------------------------------------

# Runs with the windows phase: the windows-release build, its ZIP (cpack),
# and the ZIP unpacked and run under a fresh prefix by
# scripts/package-test.sh, which counts as one test result. The page driver
# the test acts through is built in the same tree (by name: a tree without
# the tests leaves it out of its default build, and the ZIP never holds it).
make_zip() {
  (cd "$1" && cpack -G ZIP)
}

build_release() {
  build windows-release &&
    cmake --build "$build_root/windows-release" -j "$jobs" --target recopage
}

package() {
  win32_ready "package" || return
  local dir=$build_root/windows-release
  phase "package: configure" configure windows-release || { total_failed=$((total_failed + 1)); return; }
  phase "package: build" build_release || { total_failed=$((total_failed + 1)); return; }
  rm -f "$dir"/recorange-*-win32.zip
  phase "package: zip" make_zip "$dir" || { total_failed=$((total_failed + 1)); return; }
  local zip
  zip=$(find "$dir" -maxdepth 1 -name 'recorange-*-win32.zip' | head -n1)
  if phase "package: test" bash scripts/package-test.sh "$zip" "$build_root/package-test" \
    "$(find "$dir" -name recopage.exe | head -n1)"; then
    total_passed=$((total_passed + 1))
  else
    total_failed=$((total_failed + 1))
  fi
}

# ---- Fuzz targets ---------------------------------------------------------------------

# Each target runs for its share of the time from the checked-in seeds,
# growing a corpus of its own in the build tree, and counts as one result.
run_fuzzers() {
  local dir=$build_root/fuzz
  local targets=()
  local f
  while IFS= read -r f; do targets+=("$f"); done < <(
    find "$dir/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x 2>/dev/null | sort)
  if ((${#targets[@]} == 0)); then
    echo "the fuzz build made no target (fuzz_* under $dir/fuzz)"
    total_failed=$((total_failed + 1))
    return 1
  fi
  local each=$((fuzz_seconds / ${#targets[@]}))
  ((each < 5)) && each=5
  local failures=0
  local t name corpus
  for t in "${targets[@]}"; do
    name=$(basename "$t")
    corpus=$dir/corpus/$name
    mkdir -p "$corpus" "$dir/artifacts"
    echo "-- $name for ${each}s"
    if count "$t" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$dir/artifacts/$name-" "$corpus" "fuzz/corpus/$name" \
      </dev/null >"$dir/$name.log" 2>&1; then
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
  phase "fuzz: configure" configure fuzz || { total_failed=$((total_failed + 1)); return; }
  phase "fuzz: build" build fuzz || { total_failed=$((total_failed + 1)); return; }
  phase "fuzz: run" run_fuzzers
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
  phase "tidy" count run_tidy "$dir"
}

# Only the findings are shown: the per-file command lines and the counts of
# warnings suppressed in library headers are dropped.
run_tidy() {
  run-clang-tidy -p "$1" -j "$jobs" -quiet \
    "^$repo/(app|builder|ini|paths|platform|resources|settings|shared|tools|tests)/" 2>&1 |
    grep -vE '^[0-9]+ warnings? generated\.$|^clang-tidy(-[0-9]+)? '
  return "${PIPESTATUS[0]}"
}

# ---- Main -------------------------------------------------------------------------------

if [[ ${RECO_SKIP_SETUP:-0} != 1 ]]; then
  phase "setup" bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
fi

# Cheap, and the same for every preset: it always runs.
phase "layering" count bash scripts/check-layering.sh

for p in $presets; do
  case $p in
    ce-check) phase "ce-check" count ce_check ;;
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
