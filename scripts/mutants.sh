#!/usr/bin/env bash
# Deliberate faults, one at a time, in a scratch copy of the tree: each is
# applied, the native preset is rebuilt and its tests are run (niced, each
# test with a timeout, so a fault that hangs is caught), and the tests that
# failed are named. The scratch copy and its build stay under build/mutants,
# so that a second run rebuilds only what a fault touches.
#
#   scripts/mutants.sh [NAME...]   fifteen named faults, all or those named. A
#       fault no test notices has survived, and the script then exits 1.
#   scripts/mutants.sh --sample N [--seed S]
#       N faults of one token drawn from every site of the system code the
#       native build compiles: a comparison flipped (< <=, > >=, == !=), &&
#       and || swapped, an integer constant one up or one down, a whole simple
#       statement dropped. The same seed (1 unless given) on the same tree
#       draws the same faults. Each is caught, SURVIVED or not built; ctest
#       stops at the first failure, so one or two catching tests are named.
#       The summary gives the score, caught / (caught + survived), and the
#       survivors. Survivors are a finding here, not a failure: the exit
#       status is 0 once the tree as it is builds and passes.
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
  "no-copy|settings/settings_file.cpp|s/new_file.IniAppendText\(old_file.TextStart\(\), old_file.TextEnd\(\)\) != 0/true/|the write-back drops every line of the old file but its own records (NumRange, comments, other sections)"
  "copy-past|platform/posix/strings.cpp|s/if \(i \+ 1 == cch_dest\) \{/if (i == cch_dest) {/|a bounded copy that fills its buffer writes its terminator one unit past the end"
  "mutex-late|shared/sections.cpp|s/^  HANDLE mutex = CreateMutexW/  const bool early = Open(name);\n&/;s/const bool opened = Open\(name\);/const bool opened = early;/|a start opens the preference section before it takes the builder mutex, so it can open a section whose builder has not taken the mutex yet"
  "wait-ignored|shared/sections.cpp|s/WaitForSingleObject\(mutex, wait_ms\) != WAIT_OBJECT_0/WaitForSingleObject(mutex, wait_ms) % WAIT_TIMEOUT != WAIT_OBJECT_0/|a copy whose wait for the builder timed out goes on as if it had the mutex and reads the block still being built"
  "abandon-ignored|shared/sections.cpp|s/WaitForSingleObject\(mutex, wait_ms\) != WAIT_OBJECT_0/(WaitForSingleObject(mutex, wait_ms) \& ~WAIT_ABANDONED) != WAIT_OBJECT_0/|a copy that gets the mutex abandoned by a builder that died mid-build goes on with the half-built block"
)

say() { printf '\n==== %s\n' "$*"; }

selected=()
sample=
seed=1
while (($#)); do
  case $1 in
    --sample) sample=${2:-none}; shift 2 || shift ;;
    --seed) seed=${2:-none}; shift 2 || shift ;;
    *) selected+=("$1"); shift ;;
  esac
done
if [[ -n $sample && ! ($sample =~ ^[1-9][0-9]*$ && $seed =~ ^[0-9]+$ && ${#selected[@]} == 0) ]]; then
  echo "usage: $0 [NAME...] | --sample N [--seed S]" >&2
  exit 2
fi

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
# that failed or could not run, one a line. The timeout reaches the tests
# that set none of their own (the unit tests set 60 s).
build_and_test() {
  nice -n 19 cmake --build "$build" -j "$jobs" >"$scratch/build.log" 2>&1 || return 2
  local junit=$scratch/junit.xml
  rm -f "$junit"
  nice -n 19 ctest --test-dir "$build" -j "$jobs" --timeout 20 --output-junit "$junit" "$@" \
    >"$scratch/test.log" 2>&1 || true
  [[ -s $junit ]] || return 2
  awk '/<testcase / && !/status="run"/ && !/status="disabled"/ {
         name = $0; sub(/.* name="/, "", name); sub(/".*/, "", name); print name }' "$junit"
}

wanted() {
  ((${#selected[@]} == 0)) && return 0
  local s
  for s in "${selected[@]}"; do [[ $s == "$1" ]] && return 0; done
  return 1
}

# The sites of one-token faults, found in Python 3 (its standard library only).
sites() {
  python3 - "$@" <<'PY'
"""One-token faults of the system code: where they can go, a seeded sample
of them, and one applied to a file.

  sample BUILD SRC N SEED PLAN   writes the sample to PLAN, one fault a line,
                                 fields split by \\x1f: file line column old
                                 new shown (the change with its neighbours)
  apply FILE LINE COLUMN OLD NEW
"""
import json
import os
import random
import re
import sys

SYSTEM = ("app", "shared", "settings", "builder", "ini", "paths")
FLIPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==",
         "&&": "||", "||": "&&"}
# Only an operator with a blank on each side: clang-format spaces binary
# operators, never the brackets of a template or the halves of ->, << and >>.
OPERATOR = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>|&&|\|\|)(?=\s)")
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.'])")
# A line that starts by naming a type and then a variable declares it.
DECLARATION = re.compile(r"(?:(?:const|constexpr|static)\s+)*[A-Za-z_][\w:]*(?:<.*>)?[*&]*"
                         r"\s+[*&]*[A-Za-z_]\w*\s*(?:[=;\[({]|$)")
NOT_SIMPLE = {"if", "for", "while", "do", "switch", "else", "case", "default", "using",
              "typedef", "namespace", "struct", "class", "enum", "template"}


def blanked(lines):
    """The lines with comments and the insides of literals made blanks, so
    that nothing in them is taken for code; columns stay where they were."""
    out, in_comment = [], False
    for line in lines:
        chars, i, n = list(line), 0, len(line)
        while i < n:
            if in_comment or line.startswith("/*", i):
                end = line.find("*/", i if in_comment else i + 2)
                stop = n if end < 0 else end + 2
                chars[i:stop] = " " * (stop - i)
                in_comment, i = end < 0, stop
            elif line.startswith("//", i):
                chars[i:] = " " * (n - i)
                break
            elif line[i] in "\"'":
                j = i + 1
                while j < n and line[j] != line[i]:
                    j += 2 if line[j] == "\\" else 1
                j = min(j, n)
                chars[i + 1:j] = " " * (j - i - 1)
                i = j + 1
            else:
                i += 1
        out.append("".join(chars))
    return out


def off_by_one(token, suffix):
    """The constant one down and one up, written as it was written."""
    if token.startswith(("0x", "0X")):
        value, form = int(token, 16), ("0x%x" if token[2:].islower() else "0x%X")
    elif len(token) > 1 and token.startswith("0"):
        return []  # octal, which the code does not use
    else:
        value, form = int(token), "%d"
    return [("-" + form % 1 if v < 0 else form % v) + suffix for v in (value - 1, value + 1)]


def sites(path, name):
    """Every fault of the file: (line, column, old, new)."""
    with open(path, encoding="utf-8", errors="surrogateescape", newline="") as f:
        lines = f.read().split("\n")
    found, braces = [], []
    previous_end, in_static_assert, continued = ";", False, False
    for number, code in enumerate(blanked(lines), 1):
        text = code.strip()
        if continued or text.startswith("#"):
            continued = text.endswith("\\")
            continue
        if not text:
            continue
        depth = braces.count("block")  # 1 in a function's own body
        first = re.match(r"[A-Za-z_]\w*", text)
        first = first.group(0) if first else ""
        if "static_assert" in text:
            in_static_assert = True
        if not in_static_assert and "template" not in text:
            column = len(code) - len(code.lstrip())
            # A whole statement that starts and ends on this line; a return
            # in a function's own body is left, as dropping it falls off the
            # function's end.
            if (text.endswith(";") and previous_end in ";{}:" and text[0] not in "}"
                    and text.count("(") == text.count(")") and first not in NOT_SIMPLE
                    and (first in ("return", "delete", "break", "continue")
                         or not DECLARATION.match(text))
                    and not (first == "return" and depth <= 1)
                    and not re.search(r"=\s*(default|delete)\s*;$", text)):
                found.append((number, column, lines[number - 1][column:len(code.rstrip())], ""))
            for m in OPERATOR.finditer(code):
                found.append((number, m.start(), m.group(1), FLIPS[m.group(1)]))
            for m in INTEGER.finditer(code):
                for new in off_by_one(m.group(1), m.group(2)):
                    found.append((number, m.start(), m.group(0), new))
        if in_static_assert and text.endswith(";"):
            in_static_assert = False
        for c in text:
            if c == "{":
                braces.append("namespace" if re.match(r"(namespace|extern)\b", text) else "block")
            elif c == "}" and braces:
                braces.pop()
        previous_end = text[-1]
    return [(name, *site) for site in found]


def shown(line, column, old, new):
    """The change with a word of its line on each side."""
    if not new:
        return old + " -> (dropped)"
    start, end = column, column + len(old)
    for blank in (False, True, False):
        while start > 0 and (line[start - 1] == " ") == blank:
            start -= 1
        while end < len(line) and (line[end] == " ") == blank:
            end += 1
    return "%s -> %s" % (line[start:end].strip(),
                         (line[start:column] + new + line[column + len(old):end]).strip())


def sample(build, src, count, seed, plan):
    with open(os.path.join(build, "compile_commands.json")) as f:
        compiled = {os.path.relpath(entry["file"], src) for entry in json.load(f)}
    files = sorted(p for p in compiled if p.endswith(".cpp") and p.split(os.sep)[0] in SYSTEM)
    every = [site for name in files for site in sites(os.path.join(src, name), name)]
    chosen = random.Random(seed).sample(every, min(count, len(every)))
    print("%d sites in %d files: %s" % (len(every), len(files), " ".join(files)))
    with open(plan, "w", encoding="utf-8", errors="surrogateescape") as out:
        for name, number, column, old, new in sorted(chosen):
            with open(os.path.join(src, name), encoding="utf-8", errors="surrogateescape") as f:
                line = f.read().split("\n")[number - 1]
            fields = [name, str(number), str(column), old, new, shown(line, column, old, new)]
            out.write("\x1f".join(fields) + "\n")


def apply(path, number, column, old, new):
    with open(path, encoding="utf-8", errors="surrogateescape", newline="") as f:
        lines = f.read().split("\n")
    line = lines[number - 1]
    if line[column:column + len(old)] != old:
        sys.exit("%s:%d: %r is not at column %d" % (path, number, old, column))
    lines[number - 1] = line[:column] + new + line[column + len(old):]
    with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as f:
        f.write("\n".join(lines))


if sys.argv[1] == "sample":
    sample(sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5]), sys.argv[6])
else:
    apply(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5], sys.argv[6])
PY
}

# The sampled faults, drawn and then each applied, built and tested in turn,
# in the order of their files and lines.
sampled_mutants() {
  local plan=$scratch/sample.txt
  sites sample "$build" "$src" "$sample" "$seed" "$plan"
  local total index=0 caught=0 not_built=0 survivors=()
  local file line column old new shown status failing
  total=$(wc -l <"$plan")
  say "$total faults drawn with seed $seed"
  while IFS=$'\x1f' read -r -u 3 file line column old new shown; do
    index=$((index + 1))
    printf '[%d/%d] %s:%s: %s | ' "$index" "$total" "$file" "$line" "$shown"
    status=0
    if sites apply "$src/$file" "$line" "$column" "$old" "$new"; then
      failing=$(build_and_test --stop-on-failure) || status=$?
    else
      status=2
    fi
    cp "$origin/$file" "$src/$file"
    if ((status != 0)); then
      echo "not built"
      not_built=$((not_built + 1))
    elif [[ -z $failing ]]; then
      echo "SURVIVED"
      survivors+=("$file:$line: $shown")
    else
      echo "caught by ${failing//$'\n'/, }"
      caught=$((caught + 1))
    fi
  done 3<"$plan"

  say "summary: $total faults, seed $seed, $((SECONDS / 60)) min $((SECONDS % 60)) s"
  local tested=$((caught + ${#survivors[@]}))
  awk -v c="$caught" -v t="$tested" 'BEGIN {
    printf "score: caught / (caught + survived) = %d / %d = %.1f %%\n", c, t, t ? 100 * c / t : 0 }'
  echo "survived: ${#survivors[@]}"
  local survivor
  for survivor in "${survivors[@]}"; do echo "  $survivor"; done
  echo "not built: $not_built"
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

if [[ -n $sample ]]; then
  sampled_mutants
  exit 0
fi

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
