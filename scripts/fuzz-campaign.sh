#!/usr/bin/env bash
# A long fuzzing campaign: every target of the fuzz build runs for MINUTES
# minutes, all at once (libFuzzer uses one core per target), starting from
# the checked-in seeds and the corpus kept in the build tree. What a run
# found is then merged into that corpus (the one scripts/test.sh's short
# run starts from), and one table reports per target the inputs run, the
# rate, the corpus size and the findings. Exits non-zero on any finding.
#
# Usage: scripts/fuzz-campaign.sh MINUTES [TARGET...]   (default: every target)
#
# Environment:
#   RECO_BUILD_ROOT  where the build trees go (default: <repo>/build); the
#                    fuzz preset is configured and built there when missing
#   RECO_JOBS        parallel jobs for that build (default: 2)
#   RECO_NICE        niceness of the fuzzers (default: 0; 19 on a shared machine)
set -euo pipefail

if (($# < 1)) || ! [[ $1 =~ ^[0-9]+$ ]] || (($1 < 1)); then
  echo "usage: $0 MINUTES [TARGET...]" >&2
  exit 2
fi
minutes=$1
shift
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build_root=${RECO_BUILD_ROOT:-$repo/build}
dir=$build_root/fuzz

if [[ ! -f $dir/build.ninja ]]; then
  cmake --preset fuzz -B "$dir" >/dev/null
fi
cmake --build "$dir" -j "${RECO_JOBS:-2}" >/dev/null

targets=()
if (($# > 0)); then
  for name in "$@"; do
    if [[ ! -x $dir/fuzz/$name ]]; then
      echo "no fuzz target $name under $dir/fuzz" >&2
      exit 2
    fi
    targets+=("$dir/fuzz/$name")
  done
else
  while IFS= read -r f; do targets+=("$f"); done < <(
    find "$dir/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
fi
if ((${#targets[@]} == 0)); then
  echo "no fuzz target under $dir/fuzz" >&2
  exit 1
fi

stamp=$(date +%Y%m%d-%H%M%S)
work=$dir/campaign-$stamp
mkdir -p "$work"
echo "campaign of ${minutes} min per target, ${#targets[@]} targets at once; logs in $work"

pids=()
for t in "${targets[@]}"; do
  name=$(basename "$t")
  mkdir -p "$work/$name.new" "$dir/corpus/$name"
  # New inputs go to a directory of their own; the kept corpus and the
  # seeds are read only, and get what was found through the merge below.
  nice -n "${RECO_NICE:-0}" "$t" -max_total_time=$((minutes * 60)) -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$name-" \
    "$work/$name.new" "$dir/corpus/$name" "fuzz/corpus/$name" \
    </dev/null >"$work/$name.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || echo "$(basename "${targets[$i]}") ended with status $?"
done

printf '\n%-18s %12s %10s %8s %9s\n' target runs inputs/s corpus findings
for t in "${targets[@]}"; do
  name=$(basename "$t")
  log=$work/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  "$t" -merge=1 "$dir/corpus/$name" "$work/$name.new" </dev/null >"$work/$name.merge.log" 2>&1 ||
    echo "merge of $name failed: $work/$name.merge.log"
  corpus=$(find "$dir/corpus/$name" -type f | wc -l)
  findings=$(find "$work" -maxdepth 1 -type f -name "$name-*" | wc -l)
  printf '%-18s %12s %10s %8s %9s\n' "$name" "${runs:-?}" "${rate:-?}" "$corpus" "$findings"
  if ((findings > 0)) || [[ -z ${runs:-} ]]; then
    status=1
    find "$work" -maxdepth 1 -type f -name "$name-*"
    grep -m3 -E 'check failed|ERROR: ' "$log" || tail -n 20 "$log"
  fi
done
exit "$status"
