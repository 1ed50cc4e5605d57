#!/usr/bin/env bash
# Fifteen deliberate faults, one at a time, in a scratch copy of the tree: each
# is applied, the native preset is rebuilt and its tests are run, and the
# tests that failed are named. A fault no test notices has survived, and the
# script then exits 1. The scratch copy and its build stay under
# build/mutants, so that a second run rebuilds only what a fault touches.
#
#   scripts/mutants.sh [NAME...]   all faults, or only those named
#
# Environment: RECO_JOBS (default 2), RECO_BUILD_ROOT (default <repo>/build),
# RECO_MUTANTS_REV (a commit to take the tree from instead of the working
# tree, to compare the tests of two commits).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
jobs=${RECO_JOBS:-2}
scratch=${RECO_BUILD_ROOT:-$repo/build}/mutants
src=$scratch/src
build=$scratch/build

# name | file | sed expression (must change the file) | what the fault does
mutants=(
  "save-bit|app/range_values.cpp|s/(IDC_CHINESE_PUNCTUATION, 0x1000, )0x5000/\10x1000/|a save of the Chinese punctuation box drops the 0x4000 bit that tells the recognizer some punctuation is on"
  "no-charset|app/range_values.cpp|s/if \(item <= 0\) return kCharsetGb2312/if (item == 0) return kCharsetGb2312/|the charset combo without a selection (-1) saves GB18030 instead of GB2312"
  "default-cut|builder/text_tables.cpp|s/StringCchCopyW\(slot, row\.Capacity, wide\)/StringCchCopyW(slot, row.Capacity - 1, wide)/|a text default longer than its slot is cut one character short"
  "tenth-skin|builder/search_skins.cpp|s/table->Count \+ 1 < kSkinSlots/table->Count < kSkinSlots/|the skin list fills the tenth slot, which must stay empty"
  "hint-skip|ini/ini_reader.cpp|/found = FindSection\(name, text_start_, section_hint_\)/d|a section search never wraps from the hint to the start, so a section before the hint is missed"
  "no-checksum|ini/ini_writer.cpp|/sum = static_cast<BYTE>\(sum \+ bytes\[i\]\)/d|the writer's byte record misses its checksum: the sum stays 0"
  "share-mode|ini/ini_file.cpp|s/writing \? 0 : FILE_SHARE_READ/writing ? 0 : 0/|a file opened for reading keeps every other reader out"
  "dir-cut|paths/path_utils.cpp|s/static_cast<size_t>\(last - path\) \+ 1/static_cast<size_t>(last - path)/|the directory of a path is cut before its last backslash instead of after it"
  "server-zero|shared/sections.cpp|s/if \(!existed \&\& view_ != nullptr\)/if (view_ != nullptr)/|every opener of the server section zeroes it, wiping the server's and the open page's windows"
  "cut-unchecked|ini/ini_file.cpp|s/!SetEndOfFile\(file_\) /(SetEndOfFile(file_), false) /|closing a written file ignores a failed cut, so a file padded with the reserved room can replace the settings"
  "no-carry|shared/settings.cpp|s/CarryOver\(&old_file, &new_file, written\)/true/|the write-back drops every key of the old file it does not write itself (NumRange among them)"
  "copy-past|platform/posix/strings.cpp|s/if \(i \+ 1 == cch_dest\) \{/if (i == cch_dest) {/|a bounded copy that fills its buffer writes its terminator one unit past the end"
  "mutex-late|shared/sections.cpp|s/^  HANDLE mutex = CreateMutexW/  const bool early = Open(name);\n&/;s/const bool opened = Open\(name\);/const bool opened = early;/|a start opens the preference section before it takes the builder mutex, so it can open a section whose builder has not taken the mutex yet"
  "wait-ignored|shared/sections.cpp|s/WaitForSingleObject\(mutex, wait_ms\) != WAIT_OBJECT_0/WaitForSingleObject(mutex, wait_ms) % WAIT_TIMEOUT != WAIT_OBJECT_0/|a copy whose wait for the builder timed out goes on as if it had the mutex and reads the block still being built"
  "abandon-ignored|shared/sections.cpp|s/WaitForSingleObject\(mutex, wait_ms\) != WAIT_OBJECT_0/(WaitForSingleObject(mutex, wait_ms) \& ~WAIT_ABANDONED) != WAIT_OBJECT_0/|a copy that gets the mutex abandoned by a builder that died mid-build goes on with the half-built block"
)

say() { printf '\n==== %s\n' "$*"; }

# The tree into the scratch copy: the working tree (committed or not, but
# not ignored), or the commit RECO_MUTANTS_REV. Only files that changed are
# copied, and they take the time of the copy, so that the build sees them
# and stays warm for the rest; files the tree no longer has go.
origin=$repo
if [[ -n ${RECO_MUTANTS_REV:-} ]]; then
  origin=$scratch/rev
  rm -rf "$origin"
  mkdir -p "$origin"
  git archive "$RECO_MUTANTS_REV" | tar -x -C "$origin"
fi
tree_files() {
  if [[ $origin == "$repo" ]]; then
    git ls-files -z --cached --others --exclude-standard
  else
    (cd "$origin" && find . -type f -printf '%P\0')
  fi
}
sync_tree() {
  mkdir -p "$src"
  local file listed=$scratch/files
  tree_files >"$listed"
  while IFS= read -r -d '' file; do
    if ! cmp -s "$origin/$file" "$src/$file"; then
      mkdir -p "$src/$(dirname "$file")"
      cp "$origin/$file" "$src/$file"
    fi
  done <"$listed"
  (cd "$src" && find . -type f -printf '%P\0') | while IFS= read -r -d '' file; do
    grep -qzxF -- "$file" "$listed" || rm -f "$src/$file"
  done
}

# Builds the scratch copy and runs its tests; prints the names of the tests
# that failed or could not run, one a line.
build_and_test() {
  cmake --build "$build" -j "$jobs" >"$scratch/build.log" 2>&1 || return 2
  local junit=$scratch/junit.xml
  rm -f "$junit"
  ctest --test-dir "$build" -j "$jobs" --output-junit "$junit" >"$scratch/test.log" 2>&1 || true
  [[ -s $junit ]] || return 2
  awk '/<testcase / && !/status="run"/ && !/status="disabled"/ {
         name = $0; sub(/.* name="/, "", name); sub(/".*/, "", name); print name }' "$junit"
}

selected=("$@")
wanted() {
  ((${#selected[@]} == 0)) && return 0
  local s
  for s in "${selected[@]}"; do [[ $s == "$1" ]] && return 0; done
  return 1
}

say "scratch copy in $scratch"
sync_tree
if [[ ! -f $build/CMakeCache.txt ]]; then
  # The native preset's settings, with the build tree outside the copy.
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++ \
    -DRECO_BUILD_TESTS=ON >"$scratch/configure.log" 2>&1 ||
    { cat "$scratch/configure.log"; exit 1; }
fi

say "the tree as it is"
if ! failing=$(build_and_test); then
  echo "the scratch copy does not build or test; see $scratch/build.log"
  exit 1
fi
if [[ -n $failing ]]; then
  printf 'tests fail without any fault, so no fault can be told apart:\n%s\n' "$failing"
  exit 1
fi
echo "builds, every test passes"

caught=0
survived=()
broken=()
for entry in "${mutants[@]}"; do
  IFS='|' read -r name file expression description <<<"$entry"
  wanted "$name" || continue
  say "$name: $description ($file)"
  sed -E -i "$expression" "$src/$file"
  if cmp -s "$origin/$file" "$src/$file"; then
    echo "NOT APPLIED: the expression matches nothing in $file"
    broken+=("$name")
    continue
  fi
  diff "$origin/$file" "$src/$file" | sed -n 's/^[<>] /  /p' || true
  status=0
  failing=$(build_and_test) || status=$?
  # Restored with the time of the copy, newer than the mutant's object, so
  # that the next build compiles it again.
  cp "$origin/$file" "$src/$file"
  if ((status != 0)); then
    echo "DOES NOT BUILD: see $scratch/build.log"
    broken+=("$name")
  elif [[ -z $failing ]]; then
    echo "SURVIVED: every test passes"
    survived+=("$name")
  else
    echo "caught by:"
    while IFS= read -r test; do echo "  $test"; done <<<"$failing"
    caught=$((caught + 1))
  fi
done

say "summary"
echo "$caught caught, ${#survived[@]} survived, ${#broken[@]} not applied or not built"
((${#survived[@]} == 0)) || echo "survived: ${survived[*]}"
((${#broken[@]} == 0)) || echo "not applied or not built: ${broken[*]}"
((${#survived[@]} == 0 && ${#broken[@]} == 0))
